// The decisions behind Find Text and Find Hex: entries shown through the
// display table, the picked-entry rule, the checks and their messages, and
// the search and history each dialog leaves.
#include "viewer/frame/find_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "viewer/file/search.h"
#include "viewer/settings/settings.h"

namespace zorvo {
namespace {

class FindTextTest : public testing::Test {
 protected:
  void SetUp() override {
    for (RecentSearchList* list : {&settings.recentTexts, &settings.recentHex}) {
      list->entries.fill(std::string());
      list->count = 0;
    }
  }
  static std::vector<std::string> Counted(const RecentSearchList& list) {
    return {list.entries.begin(), list.entries.begin() + list.count};
  }
  static void List(RecentSearchList& list, std::vector<std::string> entries) {
    for (size_t i = 0; i < entries.size(); ++i) list.entries[i] = entries[i];
    list.count = static_cast<int>(entries.size());
  }

  Settings settings;
  SearchState search;
};

TEST_F(FindTextTest, EntriesShowThroughTheDisplayTable) {
  EXPECT_EQ(DisplayText("\xC1\xC2\x40\xF1", CodeTableFor(kOptEbcdic)), L"AB 1");
  EXPECT_EQ(DisplayText("\x05\x25", CodeTableFor(kOptEbcdic)), L"\u00B7\u00B7")
      << "control codes show as a middle dot";
  // Display characters are code page 1252, so 0x80 is the euro sign.
  EXPECT_EQ(DisplayText("\x80\xE9\t", CodeTableFor(0)), L"\u20AC\u00E9\u00A4");
  EXPECT_EQ(DisplayText("\x82", CodeTableFor(kOptAscii)), L"\u00E9") << "OEM e-acute";
  EXPECT_EQ(DisplayText("", CodeTableFor(0)), L"");
  EXPECT_EQ(HexDigitsOf("\x41\x0F\xFF"), L"41 0F FF");
  EXPECT_EQ(HexDigitsOf(""), L"");
}

TEST_F(FindTextTest, AnEntryIsPickedOnlyWhileTheFieldShowsIt) {
  const std::vector<std::wstring> shown{L"alpha", L"beta", L"gamma"};
  EXPECT_EQ(PickedEntry(shown, 2, L"gamma"), 2);
  EXPECT_EQ(PickedEntry(shown, 0, L"alpha"), 0);
  EXPECT_EQ(PickedEntry(shown, 2, L"gamm"), -1) << "edited after picking";
  EXPECT_EQ(PickedEntry(shown, 1, L"BETA"), -1) << "a case change is an edit";
  EXPECT_EQ(PickedEntry(shown, -1, L"beta"), -1) << "typed, though listed";
  EXPECT_EQ(PickedEntry(shown, 3, L"gamma"), -1);
  EXPECT_EQ(PickedEntry({}, 0, L""), -1);
}

TEST_F(FindTextTest, MessagesAndLengthLimits) {
  EXPECT_EQ(SearchLengthMessage(), L"Search text length must be a number between 1 and 255!");
  EXPECT_EQ(HexLengthMessage(), L"Number of hex digits must be between 1 and 510!");
  EXPECT_EQ(InvalidHexDigitMessage(L'g'), L"Invalid hex digit \"g\"!");
  EXPECT_FALSE(SearchTextLengthOk(L""));
  EXPECT_TRUE(SearchTextLengthOk(L"x"));
  EXPECT_TRUE(SearchTextLengthOk(std::wstring(255, L'x')));
  EXPECT_FALSE(SearchTextLengthOk(std::wstring(256, L'x')));
}

TEST_F(FindTextTest, HexTextChecks) {
  HexTextCheck check = CheckHexText(L"41 42 4", 1);
  EXPECT_EQ(check.result, HexTextCheck::kOk);
  EXPECT_EQ(check.bytes, "\x41\x42\x40");

  EXPECT_EQ(CheckHexText(L"", 0).result, HexTextCheck::kOk) << "Preview of nothing";
  EXPECT_EQ(CheckHexText(L"", 1).result, HexTextCheck::kBadLength) << "Find of nothing";
  EXPECT_EQ(CheckHexText(std::wstring(510, L'a'), 1).result, HexTextCheck::kOk);
  EXPECT_EQ(CheckHexText(std::wstring(511, L'a'), 0).result, HexTextCheck::kBadLength);

  check = CheckHexText(L"41 4g", 1);
  EXPECT_EQ(check.result, HexTextCheck::kBadDigit);
  EXPECT_EQ(check.badIndex, 4);
  EXPECT_TRUE(check.bytes.empty());
  // Characters beyond one byte must not shift the index of the bad one.
  check = CheckHexText(L"41\u4E00", 1);
  EXPECT_EQ(check.result, HexTextCheck::kBadDigit);
  EXPECT_EQ(check.badIndex, 2);
  EXPECT_EQ(CheckHexText(L"\u0141", 1).result, HexTextCheck::kBadDigit)
      << "a character whose low byte is a digit";
}

TEST_F(FindTextTest, TypedTextIsConvertedPickedEntriesAreNot) {
  const RecentSearchList& texts = settings.recentTexts;
  List(settings.recentTexts, {"\xC1\xC2"});
  EXPECT_EQ(TextSearchBytes(texts, -1, L"ABC", kOptEbcdic), "\xC1\xC2\xC3");
  EXPECT_EQ(TextSearchBytes(texts, 0, L"AB", kOptEbcdic), "\xC1\xC2")
      << "already in the file's code";
  EXPECT_EQ(TextSearchBytes(texts, 0, L"ignored", 0), "\xC1\xC2");
  EXPECT_EQ(TextSearchBytes(texts, -1, L"\u00E9", kOptAscii), "\x82");
  EXPECT_EQ(TextSearchBytes(texts, -1, L"\u20AC\u00E9", 0), "\x80\xE9");
}

TEST_F(FindTextTest, OnlyNewTypedTextsLengthenTheList) {
  RecentSearchList& texts = settings.recentTexts;
  std::string text = "one";
  RememberSearch(texts, -1, text);
  text = "two";
  RememberSearch(texts, -1, text);
  EXPECT_EQ(Counted(texts), (std::vector<std::string>{"two", "one"}));

  text = "ONE";  // listed under another spelling: searched for as typed
  RememberSearch(texts, -1, text);
  EXPECT_EQ(text, "ONE");
  EXPECT_EQ(Counted(texts), (std::vector<std::string>{"ONE", "two"}));

  text = "two";
  RememberSearch(texts, 1, text);
  EXPECT_EQ(Counted(texts), (std::vector<std::string>{"two", "ONE"}));

  for (int i = 0; i < 12; ++i) {
    text = "t" + std::to_string(i);
    RememberSearch(texts, -1, text);
  }
  EXPECT_EQ(texts.count, kRecentSearches);
  EXPECT_EQ(texts.entries.front(), "t11");
}

TEST_F(FindTextTest, APickedHexEntryMovesAndIsSearchedWithCase) {
  List(settings.recentHex, {"ff", "41 6a"});
  StartHexSearch(settings.recentHex, search, 1, L"41 6a", "\x41\x6A", true, false);
  EXPECT_EQ(search.pattern, "\x41\x6A");
  EXPECT_EQ(search.flags, kSearchDefined | kSearchCaseSensitive | kSearchFromTop);
  EXPECT_EQ(Counted(settings.recentHex), (std::vector<std::string>{"41 6a", "ff"}));
  EXPECT_EQ(settings.recentTexts.count, 0) << "the text list is another list";
}

}  // namespace
}  // namespace zorvo
