// What the Find Text and Find Hex dialogs decide, apart from the dialogs
// themselves: how a remembered search shows in the list, which entry counts
// as picked, the checks of the typed text and their messages, and the
// search each dialog starts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "viewer/file/code_tables.h"
#include "viewer/file/search.h"
#include "viewer/settings/recent_lists.h"

namespace zorvo {

inline constexpr int kMinSearchText = 1;
inline constexpr int kMaxSearchText = 255;
inline constexpr int kMaxHexDigits = 510;  // two for each of 255 bytes
inline constexpr wchar_t kBadOptionsCaption[] = L"Bad Options";

// File bytes as the window shows them: each through `table`, then the
// display character (code page 1252) as a wide character.
std::wstring DisplayText(std::string_view bytes, const CodeTable& table);

// Bytes as two hex digits each, separated by blanks ("41 42 43").
std::wstring HexDigitsOf(std::string_view bytes);

// The entry the user picked: `selection` (the list's current one, -1 for
// none) when the edit field still shows it; -1 when the text was typed.
int PickedEntry(const std::vector<std::wstring>& shown, int selection, std::wstring_view editText);

// "Search text length must be a number between 1 and 255!"
std::wstring SearchLengthMessage();
// "Number of hex digits must be between 1 and 510!"
std::wstring HexLengthMessage();
// "Invalid hex digit "g"!"
std::wstring InvalidHexDigitMessage(wchar_t digit);

// Whether the text of Find Text may be searched for (1 to 255 characters).
bool SearchTextLengthOk(std::wstring_view text);

// The check of hex text behind Preview (`minimum` 0) and Find (1).
struct HexTextCheck {
  enum Result { kOk, kBadLength, kBadDigit } result = kOk;
  int badIndex = -1;  // kBadDigit: the character that is not usable
  std::string bytes;  // kOk: the bytes the text stands for
};
HexTextCheck CheckHexText(std::wstring_view text, int minimum);

// The bytes Find Text searches for: a picked entry as kept (already in the
// file's code), a typed text converted from the display code to the file's
// code chosen by `options`.
std::string TextSearchBytes(const RecentSearchList& list, int picked, std::wstring_view typed,
                            uint32_t options);

// Puts a search first in `list`: the entry `picked`, or `text` (an entry
// equal to it moves instead, and `text` takes its spelling). A text not
// counted before makes the list one longer.
void RememberSearch(RecentSearchList& list, int picked, std::string& text);

// The flags of a search started from one of the dialogs.
uint16_t DialogSearchFlags(bool caseSensitive, bool fromTop, bool markAll);

// Find's last step: remembers the text, sets the search up. Find Text: the
// entry or typed text; Find Hex: the hex text as typed and its bytes,
// always compared with case.
void StartTextSearch(RecentSearchList& list, SearchState& search, int picked,
                     std::wstring_view typed, uint32_t options, bool caseSensitive, bool fromTop,
                     bool markAll);
void StartHexSearch(RecentSearchList& list, SearchState& search, int picked,
                    std::wstring_view typed, const std::string& bytes, bool fromTop, bool markAll);

}  // namespace zorvo
