// Options and the profile layout: defaults, bounds, the derived code bits,
// the switch letters, saving and loading, title lines, the start-up order.
#include <gtest/gtest.h>

#include "settings_fixture.h"
#include "viewer/settings/user_skip_counts.h"

namespace zorvo {
namespace {

class FormatOptionsTest : public SettingsTest {
 protected:
  void LoadMain() {
    LoadGlobalSettings(settings);
    LoadOptions(settings, kOptionsSection, kKindFormat);
  }
};

TEST_F(FormatOptionsTest, ProfileWithoutOptionsGivesTheDefaults) {
  LoadMain();
  const FormatOptions& o = settings.options;
  EXPECT_EQ(o.Options, (std::array<uint32_t, 3>{0x220, 0x3, 0x1}));
  EXPECT_EQ(o.CurrentOptions, 0x220u);
  EXPECT_EQ(o.Format, 0);
  EXPECT_EQ(o.TabLength, 8);
  EXPECT_EQ(o.MaxLineLength, 4096);
  EXPECT_EQ(o.VertScroll, 2);
  EXPECT_EQ(o.HorzScroll, 0);
  EXPECT_EQ(o.FontFace, L"Courier New");
  EXPECT_EQ(o.FontSize, 10);
  EXPECT_EQ(o.FontWeight, 0);
  EXPECT_EQ(o.FontItalic, 0);
  EXPECT_EQ(o.CCName, L"(none)");
}

TEST_F(FormatOptionsTest, ValuesAreClampedNeverRejected) {
  struct Case {
    const wchar_t* key;
    const wchar_t* text;
    int expected;
    int FormatOptions::*field;
  };
  const Case cases[] = {
      {L"TabLength", L"0", 1, &FormatOptions::TabLength},
      {L"TabLength", L"300", 255, &FormatOptions::TabLength},
      {L"MaxLineLength", L"3", 8, &FormatOptions::MaxLineLength},
      {L"MaxLineLength", L"100000", 100000, &FormatOptions::MaxLineLength},
      // Near the 32-bit limit widths would overflow: as long as the screen's text.
      {L"MaxLineLength", L"2147483647", kScreenText, &FormatOptions::MaxLineLength},
      {L"FontWeight", L"1000", 900, &FormatOptions::FontWeight},
      {L"CharCode", L"7", 3, &FormatOptions::CharCode},
      {L"CharCode", L"-1", 3, &FormatOptions::CharCode},
      {L"Format", L"5", 0, &FormatOptions::Format},  // an unknown format shows as Text
      {L"FreezeColumns", L"300000000", 255, &FormatOptions::FreezeColumns},
      {L"FreezeColumns", L"-3", 0, &FormatOptions::FreezeColumns},
  };
  for (const Case& c : cases) {
    Reset(0);
    Put(kOptionsSection, c.key, c.text);
    LoadMain();
    EXPECT_EQ(settings.options.*c.field, c.expected) << c.key << "=" << c.text;
  }
  for (auto [text, expected] : {std::pair{L"-1", 0}, {L"7", 2}, {L"1", 1}}) {
    Reset(0);
    Put(kOptionsSection, L"VertScroll", text);
    LoadMain();
    EXPECT_EQ(settings.options.VertScroll, expected) << text;
  }
  Reset(0);
  Put(kOptionsSection, L"FontItalic", L"513");
  LoadMain();
  EXPECT_EQ(settings.options.FontItalic, 1) << "only the low 8 bits";
}

TEST_F(FormatOptionsTest, FontForms) {
  struct Case {
    const wchar_t* text;
    const wchar_t* face;
    int size;
  };
  const Case cases[] = {
      {L"Lucida Console,0", L"Lucida Console", 1},
      {L"Lucida Console,500", L"Lucida Console", 240},
      {L"Lucida Console", L"Lucida Console", 10},  // no comma: the size stays
      {L"Fixedsys,", L"Fixedsys", 10},             // nothing after the comma
      {L"Fixedsys, 12", L"Fixedsys", 10},          // a blank after the comma
      {L"Terminal,12", L"Terminal", 12},
      {L"A face name far longer than thirty-one characters,9", L"A face name far longer than thir",
       9},
  };
  for (const Case& c : cases) {
    Reset(0);
    Put(kOptionsSection, L"Font", c.text);
    LoadMain();
    EXPECT_EQ(settings.options.FontFace, std::wstring(c.face).substr(0, 31)) << c.text;
    EXPECT_EQ(settings.options.FontSize, c.size) << c.text;
  }
}

TEST_F(FormatOptionsTest, OptionsWordsAndDerivedBits) {
  Put(kOptionsSection, L"Options0", L"4294967295");
  Put(kOptionsSection, L"Options1", L"");  // empty leaves the word as it is
  Put(kOptionsSection, L"CCChar", L"4");
  Put(kOptionsSection, L"CCName", L"LINEPRT");
  Put(kOptionsSection, L"CharCode", L"2");
  LoadMain();
  const FormatOptions& o = settings.options;
  for (uint32_t word : {o.Options[0], o.Options[1], o.Options[2], o.CurrentOptions}) {
    EXPECT_EQ(word & 0xF0002000u, 0x40002000u);
    EXPECT_EQ(word & 0xC0u, 0x80u);
  }
  EXPECT_EQ(o.Options[1], 0x3u | 0x80u | 0x40002000u);
  EXPECT_TRUE(UserSkipCountsStale(settings));

  settings.options.CCChar = 1;
  settings.options.CharCode = 0;
  DeriveCodeBits(settings);
  EXPECT_EQ(o.Options[2], 0x1u | 0x10002000u);
  settings.options.CCChar = 0;
  DeriveCodeBits(settings);
  EXPECT_EQ(o.Options[2], 0x1u);
}

TEST_F(FormatOptionsTest, SwitchLettersOverrideTheProfile) {
  Put(kOptionsSection, L"Options0", L"8");  // show background on
  LoadMain();
  ApplySwitchOverrides(settings, ParseCommandLine("-W -b"));
  EXPECT_EQ(settings.options.CurrentOptions, 0x201u) << "wrap on, background off, the rest kept";

  Reset(0);
  LoadMain();
  ApplySwitchOverrides(settings, ParseCommandLine("-AC -Y"));
  EXPECT_EQ(settings.options.CharCode, 2) << "C wins over A";
  EXPECT_EQ(settings.options.CurrentOptions & 0xC0u, 0x80u);
  EXPECT_EQ(settings.options.Options[1] & 0xC0u, 0x80u);
  EXPECT_EQ(settings.options.EscExit, 1);

  // A format letter brings that format's own word; on/off letters act on it.
  Reset(0);
  LoadMain();
  ApplySwitchOverrides(settings, ParseCommandLine("-RH -e"));
  EXPECT_EQ(settings.options.Format, 2);
  EXPECT_EQ(settings.options.CurrentOptions, 0x1u);
  EXPECT_EQ(settings.options.Options[0], 0x220u) << "the Text word is kept";
}

TEST_F(FormatOptionsTest, PadLineLengthKeepsWithinTheScreensText) {
  for (auto [text, expected] : {std::pair{L"2147483647", kScreenText}, {L"-5", 0}, {L"132", 132}}) {
    Reset(0);
    Put(kGlobalSection, L"PadLineLength", text);
    LoadGlobalSettings(settings);
    EXPECT_EQ(settings.globals.PadLineLength, expected) << text;
  }
}

TEST_F(FormatOptionsTest, RecentListsSwitch) {
  Put(kGlobalSection, L"MruFiles", L"0");
  Put(L"MRU Files", L"File1", L"C:\\a.txt");
  LoadGlobalSettings(settings);
  LoadOptions(settings, kOptionsSection, kKindAll);
  EXPECT_EQ(settings.recentFiles.count, 0);
  ApplySwitchOverrides(settings, ParseCommandLine("-S"));
  EXPECT_EQ(settings.recentSwitches.MruFiles, 1);
  EXPECT_EQ(settings.recentFiles.count, 1) << "a list switched on for the run is read";
  ApplySwitchOverrides(settings, ParseCommandLine("-s"));
  EXPECT_EQ(settings.recentSwitches.MruSearch, 0);
  EXPECT_EQ(settings.recentFiles.count, 0) << "a list switched off is not shown";
}

TEST_F(FormatOptionsTest, SaveAndLoadAgain) {
  FormatOptions& o = settings.options;
  LoadMain();
  o.Format = 1;
  o.CurrentOptions = o.Options[1] = 0x13;
  o.CharCode = 1;
  o.MaxLineLength = 132;
  o.FontFace = L"Lucida Console";
  o.FontSize = 14;
  o.FreezeColumns = 12;
  o.SaveWindowPos = true;
  DeriveCodeBits(settings);
  const FormatOptions saved = o;
  const WindowRect window{10, 20, 110, 220};
  EXPECT_EQ(SaveFormatOptions(settings, kOptionsSection, &window), 1);
  EXPECT_EQ(Get(kOptionsSection, L"WindowPos"), L"20,10,200,100") << "top,left,height,width";
  EXPECT_EQ(Get(kOptionsSection, L"Font"), L"Lucida Console,14");
  EXPECT_EQ(Get(kOptionsSection, L"Options1"), L"83");

  o = FormatOptions{};
  LoadOptions(settings, kOptionsSection, kKindFormat | kKindWindowPos);
  EXPECT_EQ(o.Options, saved.Options);
  EXPECT_EQ(o.CurrentOptions, saved.CurrentOptions);
  EXPECT_EQ(o.FontFace, saved.FontFace);
  EXPECT_EQ(o.FreezeColumns, 12);
  EXPECT_FALSE(o.SaveWindowPos) << "every load clears it";
  EXPECT_EQ(o.WindowPos, (std::array<int32_t, 4>{20, 10, 200, 100}));

  // Follow End is saved only when on, and taken away again when off.
  EXPECT_FALSE(Get(kOptionsSection, L"FollowEnd").has_value());
  o.FollowEnd = 1;
  SaveFormatOptions(settings, kOptionsSection, nullptr);
  EXPECT_EQ(Get(kOptionsSection, L"FollowEnd"), L"1");
  o = FormatOptions{};
  LoadOptions(settings, kOptionsSection, kKindFormat);
  EXPECT_EQ(o.FollowEnd, 1);
  o.FollowEnd = 0;
  SaveFormatOptions(settings, kOptionsSection, nullptr);
  EXPECT_FALSE(Get(kOptionsSection, L"FollowEnd").has_value());

  // Without a saved position the system chooses.
  Reset(0);
  LoadOptions(settings, kOptionsSection, kKindWindowPos);
  EXPECT_EQ(settings.options.WindowPos[0], kDefaultPosition);
  EXPECT_EQ(settings.options.WindowPos[3], kDefaultPosition);
}

TEST_F(FormatOptionsTest, ReadOnlyProfileWritesNothing) {
  Reset(-1);
  EXPECT_EQ(SaveFormatOptions(settings, kOptionsSection, nullptr), 0);
  EXPECT_EQ(SavePageSetup(settings, kPageSetupSection), 0);
  EXPECT_TRUE(KeysOf(kOptionsSection).empty());
  EXPECT_TRUE(KeysOf(kPageSetupSection).empty());
}

TEST_F(FormatOptionsTest, PageSetup) {
  Put(kPageSetupSection, L"PageMargins", L"100,,50");
  Put(kPageSetupSection, L"PrintMessages", L"5");
  Put(kPageSetupSection, L"PrintOptions", L"");
  LoadPageSetup(settings, kPageSetupSection);
  const PageSetup& p = settings.pageSetup;
  EXPECT_EQ(p.PageMargins, (std::array<int32_t, 4>{100, 0, 50, 0}));
  EXPECT_EQ(p.PrintMessages, 1);
  EXPECT_EQ(p.PrintOptions, 0x6FFu) << "an empty value leaves the word";
  Put(kPageSetupSection, L"PageMargins", L"2147483647,-5,300,301");
  LoadPageSetup(settings, kPageSetupSection);
  EXPECT_EQ(p.PageMargins, (std::array<int32_t, 4>{300, 0, 300, 300})) << "as the dialog allows";
  Put(kPageSetupSection, L"PageMargins", L"100,,50");
  LoadPageSetup(settings, kPageSetupSection);
  settings.pageSetup.PrintOptions = 0x301;
  SavePageSetup(settings, L"Setup: P");
  EXPECT_EQ(Get(L"Setup: P", L"PageMargins"), L"100,0,50,0");
  EXPECT_EQ(Get(L"Setup: P", L"PrintOptions"), L"769");
}

TEST_F(FormatOptionsTest, TitleLines) {
  LineTable titles(kTitleSlots, kTitleText);
  for (int n = 1; n <= 5; ++n) {
    Put(kTitlesSection, (L"Title" + std::to_wstring(n)).c_str(), L"old");
  }
  Put(kTitlesSection, L"Titles", L"5");
  // Two lines replace five: the keys 3 to 5 go.
  const std::string text = "HEADER\xC1\x81" "COLUMNS";
  std::copy(text.begin(), text.end(), titles.chars());
  titles[0] = LineEntry{0, 0, 8, 0, 0};
  titles[1] = LineEntry{1, 8, 7, 0, 0};
  titles.Alast = 2;
  SaveTitles(settings, kTitlesSection, &titles);
  EXPECT_EQ(KeysOf(kTitlesSection).size(), 3u);
  EXPECT_FALSE(Get(kTitlesSection, L"Title3"));

  LineTable loaded(kTitleSlots, kTitleText);
  EXPECT_EQ(LoadTitles(settings, kTitlesSection, &loaded), 1);
  ASSERT_EQ(loaded.Alast, 2);
  EXPECT_EQ(std::string(loaded.TextOf(0), loaded[0].length), "HEADER\xC1\x81");
  EXPECT_EQ(loaded[1].offset, 1);
  EXPECT_EQ(loaded[2].offset, 2) << "the end entry carries the count";
  EXPECT_EQ(loaded[2].length, -1);

  // At most 15 lines fit with the end entry.
  Put(kTitlesSection, L"Titles", L"20");
  for (int n = 1; n <= 20; ++n) Put(kTitlesSection, (L"Title" + std::to_wstring(n)).c_str(), L"t");
  LoadTitles(settings, kTitlesSection, &loaded);
  EXPECT_EQ(loaded.Alast, 15);
  EXPECT_EQ(LoadTitles(settings, L"", &loaded), 0);
  SaveTitles(settings, kTitlesSection, nullptr);
  EXPECT_EQ(Get(kTitlesSection, L"Titles"), L"0");
  EXPECT_EQ(KeysOf(kTitlesSection).size(), 1u);
}

TEST_F(FormatOptionsTest, GlobalSettingsBoundsAndDefaults) {
  Put(kGlobalSection, L"FastMouseDelay", L"0");
  Put(kGlobalSection, L"SlowMouseLines", L"-4");
  Put(kGlobalSection, L"FastMouseLines", L"2147483647");
  Put(kGlobalSection, L"CuaKeyboard", L"0");
  Put(kGlobalSection, L"PageIndexingBudget", L"-3");
  LoadGlobalSettings(settings);
  EXPECT_EQ(settings.globals.PageIndexingBudget, 0) << "one slice per tick, no less";
  EXPECT_EQ(settings.globals.FastMouseDelay, 1);
  EXPECT_EQ(settings.globals.SlowMouseLines, 0);
  EXPECT_EQ(settings.globals.FastMouseLines, kScreenLines) << "a screen table a step";
  Put(kGlobalSection, L"SlowMouseLines", L"5000");
  LoadGlobalSettings(settings);
  EXPECT_EQ(settings.globals.SlowMouseLines, kScreenLines);
  EXPECT_EQ(settings.globals.PageIndexingDelay, 200);
  LoadOptions(settings, kOptionsSection, kKindFormat);
  EXPECT_EQ(settings.options.CuaKeyboard, 0) << "the options key defaults to the global one";
}

TEST_F(FormatOptionsTest, StartupOrderWithSetups) {
  Put(kOptionsSection, L"TabLength", L"4");
  Put(L"Setup: wide", L"Format", L"2");
  Put(L"Setup: wide", L"SaveOptions", L"1");
  Put(L"Setup: titles", L"SaveOptions", L"2");

  LoadStartupSettings(settings, ParseCommandLine("-vwide"));
  EXPECT_EQ(settings.options.Format, 2);
  EXPECT_EQ(settings.options.TabLength, 8) << "the setup's own options replace the main ones";
  EXPECT_EQ(settings.setups.SetupKinds, 1u);

  Reset(0);
  Put(kOptionsSection, L"TabLength", L"4");
  Put(L"Setup: titles", L"SaveOptions", L"2");
  LoadStartupSettings(settings, ParseCommandLine("-vtitles"));
  EXPECT_EQ(settings.options.TabLength, 4) << "a setup of title lines only keeps the main options";
  Reset(0);
  Put(kOptionsSection, L"TabLength", L"4");
  Put(L"Setup: titles", L"SaveOptions", L"2");
  LoadStartupSettings(settings, ParseCommandLine("-Vtitles"));
  EXPECT_EQ(settings.options.TabLength, 8) << "upper-case V reads no main section";

  // A setup without "SaveOptions" holds every kind.
  Reset(0);
  Put(L"Setup: hand", L"MaxLineLength", L"80");
  Put(L"Setup: hand", L"MessageBgnd", L"255");
  LoadStartupSettings(settings, ParseCommandLine("-Vhand"));
  EXPECT_EQ(settings.options.MaxLineLength, 80);
  EXPECT_EQ(settings.setups.SetupKinds, 0xFFFFFFFFu);
}

}  // namespace
}  // namespace zorvo
