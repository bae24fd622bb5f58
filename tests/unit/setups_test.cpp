// Named setups, the setup list, setup names, and Save Options.
#include <gtest/gtest.h>

#include "settings_fixture.h"

namespace zorvo {
namespace {

class SetupsTest : public SettingsTest {};

TEST_F(SetupsTest, SaveSetupWritesTheKindsAndListsTheNameOnce) {
  LoadGlobalSettings(settings);
  LoadOptions(settings, kOptionsSection, kKindFormat);
  settings.colors[kMessageBgnd] = 0xFF0000;
  settings.setups.CurrentSetup = L"Setup: Daily";
  settings.setups.SetupKinds = kKindFormat | kKindColors;
  Put(kSetupListSection, L"Setup1", L"Weekly");
  SaveSetupSection(settings, nullptr, nullptr);

  EXPECT_EQ(Get(L"Setup: Daily", L"SaveOptions"), L"769");
  EXPECT_EQ(Get(L"Setup: Daily", L"Options0"), L"544");
  EXPECT_EQ(Get(L"Setup: Daily", L"MessageBgnd"), L"16711680");
  EXPECT_FALSE(Get(L"Setup: Daily", L"WindowText")) << "colours equal to their defaults stay out";
  EXPECT_FALSE(Get(L"Setup: Daily", L"Titles")) << "a kind not chosen is not written";
  EXPECT_EQ(SetupList(settings), (std::vector<std::wstring>{L"Weekly", L"Daily"}));

  // The same name in other letter case replaces the section, lists nothing new.
  settings.setups.CurrentSetup = L"Setup: DAILY";
  settings.setups.SetupKinds = kKindTitles;
  SaveSetupSection(settings, nullptr, nullptr);
  EXPECT_FALSE(Get(L"Setup: Daily", L"Options0")) << "a setup is rewritten from scratch";
  EXPECT_EQ(Get(L"Setup: Daily", L"Titles"), L"0");
  EXPECT_EQ(SetupList(settings).size(), 2u);
}

TEST_F(SetupsTest, SetupNames) {
  EXPECT_EQ(CheckSetupName(L""), L"You must select a name.");
  EXPECT_EQ(CheckSetupName(L" lead"), L"The setup name must not begin with a space.");
  EXPECT_EQ(CheckSetupName(L"\tlead"), L"The setup name must not begin with a space.");
  EXPECT_EQ(CheckSetupName(std::wstring(56, L'n')), L"");
  EXPECT_EQ(CheckSetupName(std::wstring(57, L'n')), L"The selected setup name is too long.");
  EXPECT_EQ(CheckSetupName(L"trail "), L"");
}

// The five boxes, ids 241-245, as the two dialogs read and show them.
TEST_F(SetupsTest, KindsFromTheBoxes) {
  const struct {
    KindBoxes boxes;
    uint32_t kinds, grey;
  } cases[] = {
      {SaveOptionsBoxes(), 0x30F, 0xC},
      {{kBoxUnchecked, kBoxChecked, kBoxUnchecked, kBoxGrey, kBoxUnchecked}, 0xA, 0x8},
      {{kBoxGrey, kBoxGrey, kBoxGrey, kBoxGrey, kBoxGrey}, 0x30F, 0x30F},
      {{}, 0, 0},
  };
  for (const auto& c : cases) {
    const BoxKinds got = KindsFromBoxes(c.boxes);
    EXPECT_EQ(got.kinds, c.kinds);
    EXPECT_EQ(got.grey, c.grey);
    EXPECT_EQ(AllBoxesGrey(c.boxes), c.grey == 0x30F);
  }
}

TEST_F(SetupsTest, SetupListEndsAtTheFirstGap) {
  Put(kSetupListSection, L"Setup1", L"a");
  Put(kSetupListSection, L"Setup2", L"");
  Put(kSetupListSection, L"Setup3", L"c");
  EXPECT_EQ(SetupList(settings), (std::vector<std::wstring>{L"a"}));
  settings.setups.CurrentSetup = L"Setup: b";
  settings.setups.SetupKinds = kKindFormat;
  SaveSetupSection(settings, nullptr, nullptr);
  EXPECT_EQ(Get(kSetupListSection, L"Setup2"), L"b") << "the first empty slot";
}

TEST_F(SetupsTest, ReloadReplacesOnlyTheKindsTheSetupHolds) {
  LoadOptions(settings, kOptionsSection, kKindFormat);
  settings.options.TabLength = 3;
  Put(L"Setup: T", L"SaveOptions", L"2");
  Put(L"Setup: T", L"Titles", L"1");
  Put(L"Setup: T", L"Title1", L"REPORT");
  Put(L"Setup: T", L"TabLength", L"6");
  LineTable titles(kTitleSlots, kTitleText);
  ClearTitles(titles);
  settings.setups.CurrentSetup = L"Setup: T";
  EXPECT_EQ(ReloadSetup(settings, &titles), 1);
  EXPECT_EQ(titles.Alast, 1);
  EXPECT_EQ(settings.options.TabLength, 3);
  EXPECT_EQ(SetupKindsOf(settings, L"Setup: missing"), 0xFFFFFFFFu);
  settings.setups.CurrentSetup.clear();
  EXPECT_EQ(ReloadSetup(settings, &titles), 0);
}

TEST_F(SetupsTest, SaveOptionsResetsWritesAndKeeps) {
  LoadOptions(settings, kOptionsSection, kKindFormat);
  Put(kTitlesSection, L"Titles", L"1");
  Put(kTitlesSection, L"Title1", L"kept?");
  Put(kPageSetupSection, L"PrintOptions", L"1");
  Put(kPrintSetupSection, L"PrtDevice", L"Lister");
  Put(kColorsSection, L"WindowText", L"255");
  settings.setups.CurrentSetup = L"Setup: current";
  settings.setups.SetupNameEntry = L"Setup: typed elsewhere";

  // Format checked, Titles unchecked, Page Setup and Print Setup grey,
  // Colors checked.
  const uint32_t kinds = kKindFormat | kKindPageSetup | kKindPrinter | kKindColors;
  const uint32_t grey = kKindPageSetup | kKindPrinter;
  SaveOptionsCommand(settings, kinds, grey, nullptr, nullptr);
  EXPECT_EQ(Get(kOptionsSection, L"Options0"), L"544");
  EXPECT_TRUE(KeysOf(kTitlesSection).empty()) << "an unchecked kind goes back to its defaults";
  EXPECT_EQ(Get(kPageSetupSection, L"PrintOptions"), L"1") << "grey kinds are kept";
  EXPECT_EQ(Get(kPrintSetupSection, L"PrtDevice"), L"Lister");
  EXPECT_TRUE(KeysOf(kColorsSection).empty()) << "colours equal to the defaults are not kept";
  EXPECT_EQ(settings.setups.CurrentSetup, L"Setup: current");

  // All five grey: nothing changes.
  Put(kTitlesSection, L"Titles", L"1");
  SaveOptionsCommand(
      settings, kKindFormat | kKindTitles | kKindPageSetup | kKindPrinter | kKindColors,
      kKindFormat | kKindTitles | kKindPageSetup | kKindPrinter | kKindColors, nullptr, nullptr);
  EXPECT_EQ(Get(kTitlesSection, L"Titles"), L"1");

  // A fresh profile with Colors checked leaves "Zorvo Colors" empty.
  Reset(0);
  SaveOptionsCommand(settings, kKindColors, 0, nullptr, nullptr);
  EXPECT_TRUE(KeysOf(kColorsSection).empty());
}

}  // namespace
}  // namespace zorvo
