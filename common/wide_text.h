// Conversions between the program's wide texts and the bytes a POSIX system
// or a terminal uses. Paths and messages are wide everywhere; on POSIX they
// travel as UTF-8, with undecodable bytes kept as U+DC80..U+DCFF so that any
// file name survives the round trip.
#pragma once

#include <string>
#include <string_view>

namespace zorvo {

std::wstring WideFromUtf8(std::string_view bytes);
std::string Utf8FromWide(std::wstring_view text);
// Each byte becomes the 16-bit character of the same code.
std::wstring WideFromLatin1(std::string_view bytes);
// Display characters of the Windows-1252 code page as UTF-8, for a terminal.
std::string Utf8FromWindows1252(std::string_view bytes);
// The same, appended to `out`.
void AppendUtf8FromWindows1252(std::string& out, std::string_view bytes);

}  // namespace zorvo
