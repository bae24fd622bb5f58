#include "viewer/frame/find_text.h"

#include "common/wide_text.h"
#include "viewer/file/search.h"
#include "viewer/settings/ansi_code_page.h"

namespace zorvo {

std::wstring DisplayText(std::string_view bytes, const CodeTable& table) {
  std::string shown(bytes);
  for (char& c : shown) c = static_cast<char>(table[static_cast<unsigned char>(c)]);
  return WideFromUtf8(Utf8FromWindows1252(shown));
}

std::wstring HexDigitsOf(std::string_view bytes) {
  static constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
  std::wstring text;
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (!text.empty()) text.push_back(L' ');
    text.push_back(kDigits[b >> 4]);
    text.push_back(kDigits[b & 0xF]);
  }
  return text;
}

int PickedEntry(const std::vector<std::wstring>& shown, int selection, std::wstring_view editText) {
  // A list entry stays picked only while its text is untouched: an edited
  // one is a new text, typed in the display code.
  if (selection < 0 || static_cast<size_t>(selection) >= shown.size()) return -1;
  return shown[static_cast<size_t>(selection)] == editText ? selection : -1;
}

std::wstring SearchLengthMessage() {
  return L"Search text length must be a number between " + std::to_wstring(kMinSearchText) +
         L" and " + std::to_wstring(kMaxSearchText) + L"!";
}

std::wstring HexLengthMessage() {
  return L"Number of hex digits must be between 1 and " + std::to_wstring(kMaxHexDigits) + L"!";
}

std::wstring InvalidHexDigitMessage(wchar_t digit) {
  return std::wstring(L"Invalid hex digit \"") + digit + L"\"!";
}

bool SearchTextLengthOk(std::wstring_view text) {
  const auto length = static_cast<int64_t>(text.size());
  return length >= kMinSearchText && length <= kMaxSearchText;
}

HexTextCheck CheckHexText(std::wstring_view text, int minimum) {
  HexTextCheck check;
  const auto length = static_cast<int64_t>(text.size());
  if (length < minimum || length > kMaxHexDigits) {
    check.result = HexTextCheck::kBadLength;
    return check;
  }
  // One byte for each character, so an index into the narrow text is one
  // into the typed text; anything beyond Latin-1 narrows to a non-digit.
  const int parsed = ParseHexText(NarrowFromWide(text), check.bytes);
  if (parsed < 0) {
    check.result = HexTextCheck::kBadDigit;
    check.badIndex = -parsed - 1;
    check.bytes.clear();
  }
  return check;
}

std::string TextSearchBytes(const RecentSearchList& list, int picked, std::wstring_view typed,
                            uint32_t options) {
  if (picked >= 0 && picked < kRecentSearches) return list.entries[static_cast<size_t>(picked)];
  std::string bytes = NarrowFromWide(typed);
  SearchTextToFileCode(bytes, options);
  return bytes;
}

void RememberSearch(RecentSearchList& list, int picked, std::string& text) {
  // Asked before the move: afterwards the text is always listed.
  const bool counted = picked >= 0 || FindRecentSearch(list, text) >= 0;
  AddRecentSearch(list, picked, text);
  if (!counted) CountNewRecentSearch(list);
}

uint16_t DialogSearchFlags(bool caseSensitive, bool fromTop, bool markAll) {
  uint16_t flags = kSearchDefined;
  if (caseSensitive) flags |= kSearchCaseSensitive;
  if (fromTop) flags |= kSearchFromTop;
  if (markAll) flags |= kSearchMarkAll;
  return flags;
}

void StartTextSearch(RecentSearchList& list, SearchState& search, int picked,
                     std::wstring_view typed, uint32_t options, bool caseSensitive, bool fromTop,
                     bool markAll) {
  std::string bytes = TextSearchBytes(list, picked, typed, options);
  RememberSearch(list, picked, bytes);
  search.pattern = bytes;
  search.flags = DialogSearchFlags(caseSensitive, fromTop, markAll);
}

void StartHexSearch(RecentSearchList& list, SearchState& search, int picked,
                    std::wstring_view typed, const std::string& bytes, bool fromTop, bool markAll) {
  std::string text = picked >= 0 && picked < kRecentSearches
                         ? list.entries[static_cast<size_t>(picked)]
                         : NarrowFromWide(typed);
  RememberSearch(list, picked, text);
  search.pattern = bytes;
  // Bytes given as digits mean exactly those bytes.
  search.flags = DialogSearchFlags(true, fromTop, markAll);
}

}  // namespace zorvo
