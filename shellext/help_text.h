// The status-bar text of the menu entry. The help text is typed by the user
// (the configuration tool stores it), so it is never used as a printf format:
// its first "%s" becomes the file name and every other character, '%'
// included, is copied as it stands.
#pragma once

#include <cstddef>
#include <string_view>

namespace zorvo {

template <class Char>
inline constexpr Char kPercentS[] = {Char('%'), Char('s'), Char(0)};

// Writes `text` with its first "%s" replaced by `name` into `out`, at most
// `capacity` characters including the terminating 0, and returns the number
// of characters written before the terminator. Nothing is written when
// `capacity` is 0.
template <class Char>
size_t SubstituteFileName(std::basic_string_view<Char> text, std::basic_string_view<Char> name,
                          Char* out, size_t capacity) {
  if (capacity == 0 || out == nullptr) return 0;
  size_t written = 0;
  auto put = [&](std::basic_string_view<Char> part) {
    const size_t room = capacity - 1 - written;
    const size_t n = part.size() < room ? part.size() : room;
    part.copy(out + written, n);
    written += n;
  };
  const size_t at = text.find(std::basic_string_view<Char>(kPercentS<Char>, 2));
  if (at == std::basic_string_view<Char>::npos) {
    put(text);
  } else {
    put(text.substr(0, at));
    put(name);
    put(text.substr(at + 2));
  }
  out[written] = Char(0);
  return written;
}

}  // namespace zorvo
