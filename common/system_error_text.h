// Turns a system error code into readable text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zorvo {

// The system's own text for `code`; failing that the text of a message module
// (Windows only), then the exception-name table ("EXCEPTION - ...") and the
// sockets table ("SOCKETS - NO_ERROR"). Trailing blanks and line ends are
// removed. Nothing when no source knows the code.
std::optional<std::wstring> SystemErrorText(uint32_t code);

// The table lookups alone, shared by both platforms.
std::optional<std::wstring> ErrorNameFromTables(uint32_t code);
// Removes trailing characters with codes of 32 or less.
void TrimTrailingBlanks(std::wstring& text);

}  // namespace zorvo
