// The character codes a file can be shown in, and the 256-entry tables that
// turn each file byte into a display character of the ANSI code page.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace zorvo {

enum CharCode : int { kAnsi = 0, kAscii = 1, kEbcdic = 2 };

// Options-word bits read here.
enum CodeBits : uint32_t {
  kOptAscii = 0x40,
  kOptEbcdic = 0x80,
  kOptFormFeedChar = 0x100,  // a form feed shows as itself (printing)
};

using CodeTable = std::array<unsigned char, 256>;

// The table for an options word: EBCDIC when 0x80 is set, else ASCII (the OEM
// code page) when 0x40 is set, else ANSI. The form-feed entry of the ANSI and
// ASCII tables follows bit 0x100 of this request.
CodeTable CodeTableFor(uint32_t options);

// The EBCDIC display table and its reverse, for search texts.
const CodeTable& EbcdicTable();
const CodeTable& ReverseEbcdicTable();

// Converts a search text typed in the display code into the file's code as
// chosen by `options`, in place.
void SearchTextToFileCode(std::string& text, uint32_t options);

// The platform's OEM conversions (OemToCharBuffA / CharToOemBuffA on
// Windows, code page 437 elsewhere), for bytes 32-255 of a table or a text.
void OemToAnsi(unsigned char* bytes, size_t count);
void AnsiToOem(unsigned char* bytes, size_t count);

}  // namespace zorvo
