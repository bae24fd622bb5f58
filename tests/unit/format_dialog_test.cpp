// The decisions of the Display Formatting dialog: each format's own boxes,
// what OK makes of the fields, the carriage-control list; Go To's; and the
// margin units of Page Setup.
#include "viewer/settings/format_dialog.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "settings_fixture.h"
#include "viewer/frame/go_to.h"
#include "viewer/settings/field_checks.h"
#include "viewer/settings/page_setup_dialog.h"

namespace zorvo {
namespace {

using FormatDialogTest = SettingsTest;

TEST_F(FormatDialogTest, EachFormatKeepsItsOwnBoxesAndOkStoresThemAll) {
  FormatOptions& o = settings.options;
  o.Options = {0x220, 0x3, 0x1};
  o.CurrentOptions = 0x1228;  // in force: a switch set background, page gaps and padding are on
  FormatWorkingSet set = OpenFormatWorkingSet(settings);
  EXPECT_TRUE(BoxesOf(set.words[0]).background) << "the boxes show the word in force";
  // Text -> Hex Dump with wrap and background ticked for Text.
  const FormatBoxes hex = SwitchShownFormat(set, {true, true, false, true}, 1);
  EXPECT_TRUE(hex.wrap && !hex.expandTabs);  // Hex Dump's own
  // Hex Dump's wrap unticked, fixed length ticked; back to Text.
  const FormatBoxes text = SwitchShownFormat(set, {false, false, true, false}, 0);
  EXPECT_TRUE(text.wrap && text.background && text.expandTabs && !text.fixedLength);
  EXPECT_EQ(o.CurrentOptions, 0x1228u) << "nothing is in force before OK";

  FormatDialogFields fields;
  fields.maxLineLength = 65536;
  fields.tabLength = 256;
  fields.verticalScroll = 0;
  fields.horizontalScroll = 2;
  fields.saveWindowPos = fields.escExit = true;
  fields.cuaKeyboard = fields.showMessages = false;
  fields.charCode = 2;
  fields.carriageEntry = 4;
  fields.carriageName = L"Lineprinter";
  fields.boxes = text;
  CommitFormatDialog(settings, set, fields);
  // The boxes set only their own bits, and form feeds start pages; 0x2 of a
  // switch and the line model's 0x1000 stay; the code bits are derived.
  EXPECT_EQ(o.Options, (std::array<uint32_t, 3>{0x400032A9, 0x40002292, 0x40002081}));
  EXPECT_EQ(o.CurrentOptions, o.Options[0]);
  EXPECT_EQ(std::tie(o.MaxLineLength, o.TabLength, o.VertScroll, o.HorzScroll, o.EscExit,
                     o.CuaKeyboard, o.ShowMessages, o.Format, o.CharCode, o.CCChar),
            std::make_tuple(65536, 256, int8_t{0}, int8_t{2}, 1, 0, 0, 0, 2, 4));
  EXPECT_TRUE(o.SaveWindowPos);
  EXPECT_EQ(o.CCName, L"Lineprinter");
}

TEST_F(FormatDialogTest, TheCarriageListOffersTheTablesThatFitAndFindsTheOneInUse) {
  // 200 + 1 and 50 + 1 characters and the final terminator fit in 256.
  const std::vector<std::wstring> keys{std::wstring(200, L'a'), std::wstring(50, L'b'), L"c", L"d"};
  const std::vector<std::wstring> names = CarriageTableNames(keys);
  EXPECT_EQ(names, (std::vector<std::wstring>{keys[0], keys[1], L"c"}));
  EXPECT_EQ(CarriageTableNames(keys, 252).size(), 1u);

  const std::vector<std::wstring> entries = CarriageControlEntries({L"Lineprinter", L"ASA"});
  EXPECT_EQ(entries,
            (std::vector<std::wstring>{L"(none)", L"ASA", L"IBM", L"Lineprinter", L"ASA"}));
  const struct {
    int ccChar;
    const wchar_t* name;
    int selected;
    int ccCharAfter;
  } cases[] = {
      {0, L"(none)", 0, 0}, {2, L"x", 2, 2},      {3, L"LINEPRINTER", 3, 3},
      {7, L"asa", 4, 4},    {3, L"gone", -1, -1}, {-1, L"(none)", -1, -1},
  };
  for (const auto& c : cases) {
    settings.options.CCChar = c.ccChar;
    settings.options.CCName = c.name;
    EXPECT_EQ(SelectCarriageEntry(settings, entries), c.selected) << c.name;
    EXPECT_EQ(settings.options.CCChar, c.ccCharAfter) << c.name;
  }
}

TEST(GoToTest, AByteBeyondAFileThatShrankGoesToItsEnd) {
  const GoToAction action = DecideGoTo(MakeGoToRequest(kGoToOffset, 9999), 5000, nullptr);
  EXPECT_EQ(action.kind, GoToAction::kOffsetReload);
  EXPECT_EQ(action.offset, 5000);
  EXPECT_EQ(DecideGoTo(MakeGoToRequest(kGoToPage, 2), 5000, nullptr).kind,
            GoToAction::kInvalidPage);
}

TEST(PageSetupMarginsTest, EachUnitShowsAndGivesBackItsMargins) {
  const MarginUnits inches = MarginUnitsFor(1);
  const MarginUnits cm = MarginUnitsFor(0);
  EXPECT_EQ(std::tuple(inches.decimals, inches.max, cm.decimals, cm.max),
            std::tuple(2, 300, 1, 75));
  const struct {
    MarginUnits units;
    int32_t stored;
    const wchar_t* shown;
  } cases[] = {{inches, 50, L"0.5"},
               {inches, 254, L"2.54"},
               {inches, 0, L"0"},
               {cm, 100, L"2.5"},
               {cm, 300, L"7.5"},
               {cm, 50, L"1.2"},
               {cm, 2147483647, L"54399206.7"}};  // a profile's largest, without overflow
  for (const auto& c : cases) EXPECT_EQ(MarginFieldText(c.stored, c.units, L'.'), c.shown);
  EXPECT_EQ(MarginFieldText(50, inches, L','), L"0,5");
  EXPECT_EQ(MarginFromField(25, cm), 100);
  EXPECT_EQ(MarginFromField(301, inches), 301);
  // Every centimetre value the dialog accepts comes back as it was typed.
  for (int tenths = 0; tenths <= cm.max; ++tenths) {
    EXPECT_EQ(MarginFieldText(MarginFromField(tenths, cm), cm, L'.'),
              FormatDecimal(tenths, 1, L'.'))
        << tenths;
  }
}

}  // namespace
}  // namespace zorvo
