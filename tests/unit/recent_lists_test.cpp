#include "viewer/settings/recent_lists.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "viewer/settings/profile_store.h"

namespace zorvo {
namespace {

class RecentListsTest : public testing::Test {
 protected:
  void SetUp() override {
    SetProfile(std::make_unique<ProfileStore>(MakeMemoryBackend()));
    RecentListSwitches() = RecentSwitches{};
    RecentFiles() = RecentFileList{};
    RecentTexts().entries.fill(std::string());
    RecentTexts().count = -1;
    RecentHex().entries.fill(std::string());
    RecentHex().count = -1;
  }
  void TearDown() override { SetProfile(nullptr); }

  static void Open(std::wstring path) { AddRecentFile(path); }
  static std::vector<std::wstring> Files() {
    const RecentFileList& list = RecentFiles();
    return {list.entries.begin(), list.entries.begin() + list.count};
  }
  // Searches for `text` as the dialog does: typed texts not listed count.
  static void Search(RecentSearchList& list, std::string text) {
    const bool listed = FindRecentSearch(list, text) >= 0;
    AddRecentSearch(list, -1, text);
    if (!listed) CountNewRecentSearch(list);
  }
  static std::vector<std::string> Counted(const RecentSearchList& list) {
    return {list.entries.begin(), list.entries.begin() + list.count};
  }
  static std::vector<std::wstring> Keys(const wchar_t* section) {
    return Profile().backend().Keys(section);
  }
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
  AddRecentFile(path);
  EXPECT_EQ(path, L"C:\\Data\\X.TXT");
  EXPECT_EQ(Files(), (std::vector<std::wstring>{L"C:\\Data\\X.TXT", L"other"}));
}

TEST_F(RecentListsTest, OnlyAToZFoldWhenComparing) {
  Open(L"caf\u00E9");
  std::wstring path = L"CAF\u00C9";
  AddRecentFile(path);
  EXPECT_EQ(path, L"CAF\u00C9");
  EXPECT_EQ(Files(), (std::vector<std::wstring>{L"CAF\u00C9", L"caf\u00E9"}));

  RecentSearchList& texts = RecentTexts();
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
  RecentSearchList& texts = RecentTexts();
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
  RecentSearchList& hex = RecentHex();
  hex.count = 0;
  for (const char* t : {"c1", "b2", "a3"}) Search(hex, t);
  std::string chosen = "whatever the box held";
  EXPECT_EQ(AddRecentSearch(hex, 2, chosen), 2);
  EXPECT_EQ(chosen, "c1");
  EXPECT_EQ(Counted(hex), (std::vector<std::string>{"c1", "a3", "b2"}));
}

TEST_F(RecentListsTest, FilesLoadWithoutGapsAndSaveRenumbered) {
  ProfileWriteText(L"MRU Files", L"File3", L"C:\\three");
  ProfileWriteText(L"MRU Files", L"File7", L"C:\\seven");
  LoadRecentFiles();
  EXPECT_EQ(Files(), (std::vector<std::wstring>{L"C:\\three", L"C:\\seven"}));
  EXPECT_EQ(SaveRecentFiles(), 1);
  EXPECT_EQ(ProfileGetText(L"MRU Files", L"File1", L"", 262), L"C:\\three");
  EXPECT_EQ(ProfileGetText(L"MRU Files", L"File2", L"", 262), L"C:\\seven");
  // Keys above the count go, so that the next start does not list their
  // files twice.
  EXPECT_EQ(ProfileGetText(L"MRU Files", L"File3", L"-", 262), L"-");
  EXPECT_EQ(ProfileGetText(L"MRU Files", L"File7", L"-", 262), L"-");
  LoadRecentFiles();
  EXPECT_EQ(Files(), (std::vector<std::wstring>{L"C:\\three", L"C:\\seven"}));
}

TEST_F(RecentListsTest, FilesSwitchedOffAreNeitherLoadedNorSaved) {
  ProfileWriteText(L"MRU Files", L"File1", L"x");
  RecentListSwitches().MruFiles = 0;
  Open(L"y");
  LoadRecentFiles();
  EXPECT_EQ(RecentFiles().count, 0);
  EXPECT_TRUE(RecentFiles().entries[0].empty());
  Open(L"z");
  EXPECT_EQ(SaveRecentFiles(), 0);
  EXPECT_EQ(ProfileGetText(L"MRU Files", L"File1", L"", 262), L"x");
}

TEST_F(RecentListsTest, SearchesSwitchedOffAreNotSaved) {
  RecentListSwitches().MruSearch = 0;
  RecentTexts().count = 0;
  Search(RecentTexts(), "abc");
  EXPECT_EQ(SaveRecentSearch(), 0);
  EXPECT_TRUE(Keys(L"MRU Search").empty());
}

TEST_F(RecentListsTest, AReadOnlyProfileIsNotWritten) {
  SetProfile(std::make_unique<ProfileStore>(MakeMemoryBackend(), -1));
  Open(L"a");
  RecentTexts().count = 0;
  Search(RecentTexts(), "abc");
  EXPECT_EQ(SaveRecentFiles(), 0);
  EXPECT_EQ(SaveRecentSearch(), 0);
  EXPECT_TRUE(Keys(L"MRU Files").empty());
  EXPECT_TRUE(Keys(L"MRU Search").empty());
}

TEST_F(RecentListsTest, SearchCountsAreKeptInRange) {
  struct Case {
    const wchar_t* count;
    int loaded;
  };
  for (const Case& c : {Case{L"15", 10}, Case{L"-3", 0}, Case{L"4", 4}}) {
    ProfileWriteText(L"MRU Search", L"Texts", c.count);
    EXPECT_EQ(LoadRecentSearch(RecentTexts()), c.loaded) << c.count;
    EXPECT_EQ(RecentTexts().count, c.loaded);
  }
  EXPECT_EQ(LoadRecentSearch(RecentHex()), 0);  // no key
}

TEST_F(RecentListsTest, OnlyLoadedSearchListsAreSaved) {
  RecentTexts().count = 0;
  Search(RecentTexts(), "first");
  Search(RecentTexts(), "second");
  ProfileWriteText(L"MRU Search", L"Hexs", L"1");
  ProfileWriteText(L"MRU Search", L"Hex1", L"C1C2");
  EXPECT_EQ(SaveRecentSearch(), 1);
  EXPECT_EQ(Keys(L"MRU Search"),
            (std::vector<std::wstring>{L"Hexs", L"Hex1", L"Texts", L"Text1", L"Text2"}));
  EXPECT_EQ(ProfileGetInt(L"MRU Search", L"Texts", 0), 2);
  EXPECT_EQ(ProfileGetTextNarrow(L"MRU Search", L"Text1", 256), "second");
  EXPECT_EQ(ProfileGetTextNarrow(L"MRU Search", L"Hex1", 256), "C1C2");
}

TEST_F(RecentListsTest, EightBitTextsSurviveSaveAndLoad) {
  RecentSearchList& texts = RecentTexts();
  texts.count = 0;
  const std::string ebcdic = "\x81\xC1\x40\xF0";
  Search(texts, ebcdic);
  Search(texts, "plain");
  ASSERT_EQ(SaveRecentSearch(), 1);
  texts.entries.fill(std::string());
  texts.count = -1;
  EXPECT_EQ(LoadRecentSearch(texts), 2);
  EXPECT_EQ(Counted(texts), (std::vector<std::string>{"plain", ebcdic}));
}

}  // namespace
}  // namespace zorvo
