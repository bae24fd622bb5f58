// Every place where the platform calls into our code (a window or dialog
// procedure, the DDE callback, a COM method) goes through Guarded, so that
// no exception unwinds through the system's frames. The caller says what a
// failure answers and how it is reported.
#pragma once

#include <new>

namespace zorvo {

enum class GuardFailure { kOutOfMemory, kOther };

// Runs `body`; when it throws, returns `onFailure(kind)` instead. Both must
// return the same type.
template <class Body, class OnFailure>
auto Guarded(Body&& body, OnFailure&& onFailure) noexcept -> decltype(body()) {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    try {
      return onFailure(GuardFailure::kOutOfMemory);
    } catch (...) {
    }
  } catch (...) {
    try {
      return onFailure(GuardFailure::kOther);
    } catch (...) {
    }
  }
  // The report itself failed: answer as the body's type starts.
  return decltype(body())();
}

}  // namespace zorvo
