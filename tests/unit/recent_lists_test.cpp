#include "viewer/settings/recent_lists.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "viewer/settings/profile_store.h"
#include "viewer/settings/settings.h"

namespace zorvo {
namespace {

class RecentListsTest : public testing::Test {
 protected:
  void Open(std::wstring path) { AddRecentFile(settings, path); }
  std::vector<std::wstring> Files() {
    const RecentFileList& list = settings.recentFiles;
    return {list.entries.begin(), list.entries.begin() + list.count};
  }
  // Searches for `text` as the dialog does: typed texts not listed count.
  void Search(RecentSearchList& list, std::string text) {
    const bool listed = FindRecentSearch(list, text) >= 0;
    AddRecentSearch(list, -1, text);
    if (!listed) CountNewRecentSearch(list);
  }
  std::vector<std::string> Counted(const RecentSearchList& list) {
    return {list.entries.begin(), list.entries.begin() + list.count};
  }
  std::vector<std::wstring> Keys(const wchar_t* section) {
    return settings.profile().backend().Keys(section);
  }

  Settings settings;
};

TEST_F(RecentListsTest, OpeningMovesAFileToTheFront) {
  Open(L"a");
  Open(L"b");
  Open(L"c");
  Open(L"a");
  EXPECT_EQ(Files(), (std::vector<std::wstring>{L"a", L"c", L"b"}));
}

TEST_F(RecentListsTest, AListedFileKeepsItsSpelling) {
  Open(L"C:\\Data\\X.TXT");
  Open(L"other");
  std::wstring path = L"c:\\data\\x.txt";
  AddRecentFile(settings, path);
  EXPECT_EQ(path, L"C:\\Data\\X.TXT");
  EXPECT_EQ(Files(), (std::vector<std::wstring>{L"C:\\Data\\X.TXT", L"other"}));
}

TEST_F(RecentListsTest, OnlyAToZFoldWhenComparing) {
  Open(L"caf\u00E9");
  std::wstring path = L"CAF\u00C9";
  AddRecentFile(settings, path);
  EXPECT_EQ(path, L"CAF\u00C9");
  EXPECT_EQ(Files(), (std::vector<std::wstring>{L"CAF\u00C9", L"caf\u00E9"}));

  RecentSearchList& texts = settings.recentTexts;
  texts.count = 0;
  Search(texts, "\xE9t\xE9");
  std::string upper = "\xC9T\xC9";
  EXPECT_EQ(FindRecentSearch(texts, upper), -1);
  Search(texts, upper);
  EXPECT_EQ(Counted(texts), (std::vector<std::string>{"\xC9T\xC9", "\xE9t\xE9"}));
}

TEST_F(RecentListsTest, AnEmptyPathLeavesTheListAlone) {
  Open(L"a");
  Open(L"b");
  Open(L"");
  EXPECT_EQ(Files(), (std::vector<std::wstring>{L"b", L"a"}));
}

TEST_F(RecentListsTest, SearchesMoveToTheFrontAndTheOldestFallsOff) {
  RecentSearchList& texts = settings.recentTexts;
  texts.count = 0;
  for (int i = 1; i <= 10; ++i) Search(texts, "t" + std::to_string(i));
  ASSERT_EQ(texts.count, 10);
  EXPECT_EQ(texts.entries.front(), "t10");
  EXPECT_EQ(texts.entries.back(), "t1");

  Search(texts, "t11");
  EXPECT_EQ(texts.count, 10);
  EXPECT_EQ(texts.entries.front(), "t11");
  EXPECT_EQ(texts.entries.back(), "t2");

  std::string again = "T5";  // listed, under another spelling, which it replaces
  EXPECT_EQ(AddRecentSearch(texts, -1, again), 2);
  EXPECT_EQ(again, "T5");
  EXPECT_EQ(Counted(texts), (std::vector<std::string>{"T5", "t11", "t10", "t9", "t8", "t7",
                                                      "t6", "t4", "t3", "t2"}));
}

TEST_F(RecentListsTest, AChosenIndexMovesThatEntry) {
  RecentSearchList& hex = settings.recentHex;
  hex.count = 0;
  for (const char* t : {"c1", "b2", "a3"}) Search(hex, t);
  std::string chosen = "whatever the box held";
  EXPECT_EQ(AddRecentSearch(hex, 2, chosen), 2);
  EXPECT_EQ(chosen, "c1");
  EXPECT_EQ(Counted(hex), (std::vector<std::string>{"c1", "a3", "b2"}));
}

TEST_F(RecentListsTest, FilesLoadWithoutGapsAndSaveRenumbered) {
  settings.profile().WriteText(L"MRU Files", L"File3", L"C:\\three");
  settings.profile().WriteText(L"MRU Files", L"File7", L"C:\\seven");
  LoadRecentFiles(settings);
  EXPECT_EQ(Files(), (std::vector<std::wstring>{L"C:\\three", L"C:\\seven"}));
  EXPECT_EQ(SaveRecentFiles(settings), 1);
  EXPECT_EQ(settings.profile().GetText(L"MRU Files", L"File1", L"", 262), L"C:\\three");
  EXPECT_EQ(settings.profile().GetText(L"MRU Files", L"File2", L"", 262), L"C:\\seven");
  // Keys above the count go, so that the next start does not list their
  // files twice.
  EXPECT_EQ(settings.profile().GetText(L"MRU Files", L"File3", L"-", 262), L"-");
  EXPECT_EQ(settings.profile().GetText(L"MRU Files", L"File7", L"-", 262), L"-");
  LoadRecentFiles(settings);
  EXPECT_EQ(Files(), (std::vector<std::wstring>{L"C:\\three", L"C:\\seven"}));
}

TEST_F(RecentListsTest, FilesSwitchedOffAreNeitherLoadedNorSaved) {
  settings.profile().WriteText(L"MRU Files", L"File1", L"x");
  settings.recentSwitches.MruFiles = 0;
  Open(L"y");
  LoadRecentFiles(settings);
  EXPECT_EQ(settings.recentFiles.count, 0);
  EXPECT_TRUE(settings.recentFiles.entries[0].empty());
  Open(L"z");
  EXPECT_EQ(SaveRecentFiles(settings), 0);
  EXPECT_EQ(settings.profile().GetText(L"MRU Files", L"File1", L"", 262), L"x");
}

TEST_F(RecentListsTest, SearchesSwitchedOffAreNotSaved) {
  settings.recentSwitches.MruSearch = 0;
  settings.recentTexts.count = 0;
  Search(settings.recentTexts, "abc");
  EXPECT_EQ(SaveRecentSearch(settings), 0);
  EXPECT_TRUE(Keys(L"MRU Search").empty());
}

TEST_F(RecentListsTest, AReadOnlyProfileIsNotWritten) {
  settings.store = std::make_unique<ProfileStore>(MakeMemoryBackend(), -1);
  Open(L"a");
  settings.recentTexts.count = 0;
  Search(settings.recentTexts, "abc");
  EXPECT_EQ(SaveRecentFiles(settings), 0);
  EXPECT_EQ(SaveRecentSearch(settings), 0);
  EXPECT_TRUE(Keys(L"MRU Files").empty());
  EXPECT_TRUE(Keys(L"MRU Search").empty());
}

TEST_F(RecentListsTest, SearchCountsAreKeptInRange) {
  struct Case {
    const wchar_t* count;
    int loaded;
  };
  for (const Case& c : {Case{L"15", 10}, Case{L"-3", 0}, Case{L"4", 4}}) {
    settings.profile().WriteText(L"MRU Search", L"Texts", c.count);
    EXPECT_EQ(LoadRecentSearch(settings, settings.recentTexts), c.loaded) << c.count;
    EXPECT_EQ(settings.recentTexts.count, c.loaded);
  }
  EXPECT_EQ(LoadRecentSearch(settings, settings.recentHex), 0);  // no key
}

TEST_F(RecentListsTest, OnlyLoadedSearchListsAreSaved) {
  settings.recentTexts.count = 0;
  Search(settings.recentTexts, "first");
  Search(settings.recentTexts, "second");
  settings.profile().WriteText(L"MRU Search", L"Hexs", L"1");
  settings.profile().WriteText(L"MRU Search", L"Hex1", L"C1C2");
  EXPECT_EQ(SaveRecentSearch(settings), 1);
  EXPECT_EQ(Keys(L"MRU Search"),
            (std::vector<std::wstring>{L"Hexs", L"Hex1", L"Texts", L"Text1", L"Text2"}));
  EXPECT_EQ(settings.profile().GetInt(L"MRU Search", L"Texts", 0), 2);
  EXPECT_EQ(settings.profile().GetTextNarrow(L"MRU Search", L"Text1", 256), "second");
  EXPECT_EQ(settings.profile().GetTextNarrow(L"MRU Search", L"Hex1", 256), "C1C2");
}

TEST_F(RecentListsTest, EightBitTextsSurviveSaveAndLoad) {
  RecentSearchList& texts = settings.recentTexts;
  texts.count = 0;
  const std::string ebcdic = "\x81\xC1\x40\xF0";
  Search(texts, ebcdic);
  Search(texts, "plain");
  ASSERT_EQ(SaveRecentSearch(settings), 1);
  texts.entries.fill(std::string());
  texts.count = -1;
  EXPECT_EQ(LoadRecentSearch(settings, texts), 2);
  EXPECT_EQ(Counted(texts), (std::vector<std::string>{"plain", ebcdic}));
}

}  // namespace
}  // namespace zorvo
