#include "viewer/frame/menu_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "viewer/frame/view_state.h"
#include "viewer/frame/viewer.h"
#include "viewer/resources/resource.h"
#include "viewer/settings/format_options.h"
#include "viewer/settings/profile_store.h"

namespace zorvo {
namespace {

const MenuEntry kSep{L"", true};

// The File menu as the resources have it.
std::vector<MenuEntry> FileMenu() {
  return {{L"&Open...\tCtrl+O"},
          {L"&Close"},
          kSep,
          {L"&Print...\tCtrl+P"},
          {L"Page Se&tup..."},
          {L"P&rint Setup..."},
          {L"Print Pa&ge\tCtrl+Q"},
          {L"Print T&ags..."},
          kSep,
          {L"Ignore &DDE"},
          kSep,
          {L"E&xit"}};
}

// What remains after deleting `deleted` in the order given.
std::vector<std::wstring> Remaining(std::vector<MenuEntry> items, const std::vector<int>& deleted) {
  for (int index : deleted) items.erase(items.begin() + index);
  std::vector<std::wstring> texts;
  for (const MenuEntry& e : items) texts.push_back(e.separator ? L"-" : e.text);
  return texts;
}

std::vector<std::wstring> Trim(const std::vector<MenuEntry>& items, const wchar_t* rule) {
  return Remaining(items, MenuItemsToDelete(items, rule));
}

TEST(MenuRules, KeysCountFromOneAndStarTakesTheWholeMenu) {
  EXPECT_EQ(DeleteMenuKey(0), L"DeleteMenu1");
  EXPECT_EQ(DeleteMenuKey(5), L"DeleteMenu6");
  EXPECT_TRUE(DeletesWholeMenu(L"*"));
  EXPECT_TRUE(DeletesWholeMenu(L"*xyz"));
  EXPECT_FALSE(DeletesWholeMenu(L""));
  EXPECT_FALSE(DeletesWholeMenu(L"x*"));
}

TEST(MenuRules, MnemonicFollowsTheFirstAmpersand) {
  EXPECT_EQ(MenuMnemonic(L"E&xit"), L'x');
  EXPECT_EQ(MenuMnemonic(L"Fre&eze Columns..."), L'e');
  EXPECT_EQ(MenuMnemonic(L"A&b&c"), L'b');
  EXPECT_EQ(MenuMnemonic(L"Plain"), 0);
  EXPECT_EQ(MenuMnemonic(L"Trailing&"), 0);
  EXPECT_EQ(MenuMnemonic(L""), 0);
}

TEST(MenuRules, EmptyRuleKeepsEverythingEvenStraySeparators) {
  const std::vector<MenuEntry> items{kSep, {L"&A"}, kSep, kSep};
  EXPECT_TRUE(MenuItemsToDelete(items, L"").empty());
}

TEST(MenuRules, DeletesItemsByLetterAndTheSeparatorLeftLast) {
  // Exit goes, which leaves the separator above it last.
  EXPECT_EQ(Trim(FileMenu(), L"xo"),
            (std::vector<std::wstring>{L"&Close", L"-", L"&Print...\tCtrl+P", L"Page Se&tup...",
                                       L"P&rint Setup...", L"Print Pa&ge\tCtrl+Q",
                                       L"Print T&ags...", L"-", L"Ignore &DDE"}));
}

TEST(MenuRules, LettersCompareWithoutCase) {
  EXPECT_EQ(Trim(FileMenu(), L"XO"), Trim(FileMenu(), L"xo"));
  EXPECT_EQ(Trim({{L"&Go To"}, {L"&keep"}}, L"g"), (std::vector<std::wstring>{L"&keep"}));
}

TEST(MenuRules, LeadingSeparatorGoes) {
  EXPECT_EQ(Trim(FileMenu(), L"oc"),
            (std::vector<std::wstring>{L"&Print...\tCtrl+P", L"Page Se&tup...", L"P&rint Setup...",
                                       L"Print Pa&ge\tCtrl+Q", L"Print T&ags...", L"-",
                                       L"Ignore &DDE", L"-", L"E&xit"}));
}

TEST(MenuRules, AdjacentSeparatorsCollapse) {
  EXPECT_EQ(Trim(FileMenu(), L"d"),
            (std::vector<std::wstring>{L"&Open...\tCtrl+O", L"&Close", L"-", L"&Print...\tCtrl+P",
                                       L"Page Se&tup...", L"P&rint Setup...",
                                       L"Print Pa&ge\tCtrl+Q", L"Print T&ags...", L"-", L"E&xit"}));
}

TEST(MenuRules, SeparatorsOnlyAboveTheFirstCommandAllGo) {
  // Deleting the first two groups of Edit leaves two separators on top.
  const std::vector<MenuEntry> edit{{L"&Copy"},       {L"Copy &Tags"}, kSep,
                                    {L"&Select All"}, {L"&Unselect"},  kSep,
                                    {L"&Find Text"},  {L"&Go To"}};
  EXPECT_EQ(Trim(edit, L"ctsu"), (std::vector<std::wstring>{L"&Find Text", L"&Go To"}));
}

TEST(MenuRules, ItemsWithoutALetterStay) {
  EXPECT_EQ(Trim({{L"No letter"}, {L"&Yes"}}, L"ny"), (std::vector<std::wstring>{L"No letter"}));
}

TEST(MenuRules, DeletionsComeHighestFirst) {
  const std::vector<int> deleted = MenuItemsToDelete(FileMenu(), L"ocx");
  EXPECT_EQ(deleted, (std::vector<int>{11, 10, 2, 1, 0}));
}

TEST(RecentMenu, NamesTheFileAfterItsLastBackslash) {
  EXPECT_EQ(RecentMenuText(1, L"C:\\Data\\Reports\\big.log"), L"&1 big.log");
  EXPECT_EQ(RecentMenuText(9, L"plain.txt"), L"&9 plain.txt");
  EXPECT_EQ(RecentMenuText(2, L"\\\\server\\share\\a b.txt"), L"&2 a b.txt");
}

TEST(RecentMenu, OneItemPerListedFileWithConsecutiveIds) {
  RecentFileList list;
  list.entries[0] = L"C:\\x\\first.txt";
  list.entries[1] = L"D:\\second";
  list.count = 2;
  const std::vector<RecentMenuItem> items = RecentMenuItems(list);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].id, static_cast<uint32_t>(IDM_RECENT));
  EXPECT_EQ(items[0].text, L"&1 first.txt");
  EXPECT_EQ(items[1].id, static_cast<uint32_t>(IDM_RECENT + 1));
  EXPECT_EQ(items[1].text, L"&2 second");

  list.count = 0;
  EXPECT_TRUE(RecentMenuItems(list).empty());
}

TEST(RecentMenu, AtMostNineItems) {
  RecentFileList list;
  list.entries.fill(L"f");
  list.count = 12;  // a count beyond the list never reads past it
  const std::vector<RecentMenuItem> items = RecentMenuItems(list);
  ASSERT_EQ(items.size(), 9u);
  EXPECT_EQ(items.back().id, static_cast<uint32_t>(IDM_RECENT + 8));
  EXPECT_EQ(items.back().text, L"&9 f");
}

// Which items gray without a file is checked on the real menus (the window
// tests); here what depends on more than the file.

// What MenuStateFor sets for `id`: 1 on, 0 off, -1 not set.
int StateOf(const std::vector<MenuCommandState>& states, uint32_t id, MenuCommandState::Kind kind) {
  for (const MenuCommandState& s : states) {
    if (s.id == id && s.kind == kind) return s.on ? 1 : 0;
  }
  return -1;
}
int Enabled(int position, const MenuInputs& in, uint32_t id) {
  return StateOf(MenuStateFor(position, in), id, MenuCommandState::kEnable);
}
int Checked(int position, const MenuInputs& in, uint32_t id) {
  return StateOf(MenuStateFor(position, in), id, MenuCommandState::kCheck);
}

MenuInputs WithFile() {
  MenuInputs in;
  in.fileOpen = true;
  return in;
}

// Copy Tags keeps its accelerator: the menu never grays it.
TEST(MenuState, PrintTagsNeedsMarksCopyTagsIsNeverGrayed) {
  MenuInputs in = WithFile();
  EXPECT_EQ(Enabled(kMenuFile, in, IDM_PRINTTAGS), 0);
  EXPECT_EQ(Enabled(kMenuEdit, in, IDM_COPYTAGS), -1);
  in.tagCount = 3;
  EXPECT_EQ(Enabled(kMenuFile, in, IDM_PRINTTAGS), 1);
  in.fileOpen = false;
  EXPECT_EQ(Enabled(kMenuFile, in, IDM_PRINTTAGS), 0);
}

TEST(MenuState, IgnoreDdeCheckedUnlessServing) {
  MenuInputs in;
  in.ddeState = kDdeServing;
  EXPECT_EQ(Checked(kMenuFile, in, IDM_IGNOREDDE), 0);
  in.ddeState = kDdeOff;
  EXPECT_EQ(Checked(kMenuFile, in, IDM_IGNOREDDE), 1);
  in.ddeState = 1;
  EXPECT_EQ(Checked(kMenuFile, in, IDM_IGNOREDDE), 1);
}

TEST(MenuState, ViewChecksTheCurrentFormatOnly) {
  MenuInputs in;
  const uint32_t ids[] = {IDM_TEXT, IDM_HEX, IDM_RAW};
  for (int format = 0; format < 3; ++format) {
    in.format = format;
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(Checked(kMenuView, in, ids[i]), i == format ? 1 : 0) << format << " " << i;
    }
  }
}

TEST(MenuState, ViewChecksWrapOnTopAndZoomDirection) {
  MenuInputs in;
  in.currentOptions = 0x60;
  EXPECT_EQ(Checked(kMenuView, in, IDM_WRAP), 0);
  in.currentOptions = 0x61;
  EXPECT_EQ(Checked(kMenuView, in, IDM_WRAP), 1);
  EXPECT_EQ(Checked(kMenuView, in, IDM_ONTOP), 0);
  in.alwaysOnTop = true;
  EXPECT_EQ(Checked(kMenuView, in, IDM_ONTOP), 1);
  EXPECT_EQ(Checked(kMenuView, in, IDM_FOLLOWEND), 0);
  in.followEnd = true;
  EXPECT_EQ(Checked(kMenuView, in, IDM_FOLLOWEND), 1);

  EXPECT_EQ(Checked(kMenuView, in, IDM_ZOOMIN), 0);
  EXPECT_EQ(Checked(kMenuView, in, IDM_ZOOMOUT), 0);
  in.zoomSteps = 2;
  EXPECT_EQ(Checked(kMenuView, in, IDM_ZOOMIN), 1);
  EXPECT_EQ(Checked(kMenuView, in, IDM_ZOOMOUT), 0);
  in.zoomSteps = -1;
  EXPECT_EQ(Checked(kMenuView, in, IDM_ZOOMIN), 0);
  EXPECT_EQ(Checked(kMenuView, in, IDM_ZOOMOUT), 1);
}

TEST(MenuState, SavingNeedsAWritableProfile) {
  MenuInputs in;
  EXPECT_EQ(Enabled(kMenuFormat, in, IDM_SAVEOPTIONS), 1);
  EXPECT_EQ(Enabled(kMenuFormat, in, IDM_SAVESETUP), 1);
  EXPECT_EQ(Enabled(kMenuFormat, in, IDM_LOADSETUP), -1);
  in.profileReadOnly = -1;
  EXPECT_EQ(Enabled(kMenuFormat, in, IDM_SAVEOPTIONS), 0);
  EXPECT_EQ(Enabled(kMenuFormat, in, IDM_SAVESETUP), 0);
}

TEST(MenuState, HelpAndUnknownMenusSetNothing) {
  EXPECT_TRUE(MenuStateFor(kMenuHelp, WithFile()).empty());
  EXPECT_TRUE(MenuStateFor(6, WithFile()).empty());
  EXPECT_TRUE(MenuStateFor(-1, WithFile()).empty());
}

TEST(MenuInputs, ComeFromTheRecordsOfThisRun) {
  Viewer app;
  app.settings.store = std::make_unique<ProfileStore>(MakeMemoryBackend(), -1);
  app.doc.file.path = L"C:\\a.txt";
  app.doc.tags.count = 4;
  app.doc.view.ddeState = kDdeServing;
  app.doc.view.alwaysOnTop = true;
  app.doc.view.zoomSteps = -3;
  app.settings.options.Format = 2;
  app.settings.options.CurrentOptions = 0x41;
  const MenuInputs in = CurrentMenuInputs(app);
  EXPECT_TRUE(in.fileOpen);
  EXPECT_EQ(in.tagCount, 4u);
  EXPECT_EQ(in.ddeState, 0);
  EXPECT_TRUE(in.alwaysOnTop);
  EXPECT_EQ(in.zoomSteps, -3);
  EXPECT_EQ(in.format, 2);
  EXPECT_EQ(in.currentOptions, 0x41u);
  EXPECT_EQ(in.profileReadOnly, -1);

  app.doc.file.path.clear();
  EXPECT_FALSE(CurrentMenuInputs(app).fileOpen);
}

}  // namespace
}  // namespace zorvo
