// 8-bit texts in the profile. They are stored widened byte by byte and read
// back narrowed the same way, so any byte string survives the round trip;
// a character above U+00FF (only typed by hand) goes through the system's
// ANSI code page, '?' when it has none.
#pragma once

#include <string>
#include <string_view>

namespace zorvo {

std::wstring WideFromNarrow(std::string_view text);
std::string NarrowFromWide(std::wstring_view text);
// One character above U+00FF in the ANSI code page; '?' when it has none.
char AnsiFromWideChar(wchar_t c);

}  // namespace zorvo
