#include <string.h>

#include <climits>
#include <utility>

#include "common/system_error_text.h"
#include "common/wide_text.h"

namespace zorvo {

namespace {

// strerror_r comes in two shapes; these pick the message out of either.
[[maybe_unused]] const char* MessageOf(int result, const char* buffer) {
  return result == 0 ? buffer : nullptr;  // XSI: fills the buffer
}
[[maybe_unused]] const char* MessageOf(const char* result, const char*) {
  return result;  // GNU: returns the message, maybe a static one
}

}  // namespace

std::optional<std::wstring> SystemErrorText(uint32_t code) {
  std::wstring text;
  if (code <= INT_MAX) {
    char buffer[256] = {};
    const char* message = MessageOf(strerror_r(static_cast<int>(code), buffer, sizeof buffer), buffer);
    // The C library's text for codes it does not know is no text at all.
    if (message != nullptr && *message != '\0' && strncmp(message, "Unknown error", 13) != 0) {
      text = WideFromUtf8(message);
    }
  }
  if (text.empty()) {
    std::optional<std::wstring> named = ErrorNameFromTables(code);
    if (!named) return std::nullopt;
    text = std::move(*named);
  }
  TrimTrailingBlanks(text);
  return text;
}

}  // namespace zorvo
