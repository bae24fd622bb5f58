// The decisions of the Display Formatting and Go To dialogs: each format's
// own boxes, what OK makes of the fields, the carriage-control list, and
// the Go To texts, requests and actions.
#include "viewer/settings/format_dialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings_fixture.h"
#include "viewer/frame/go_to.h"

namespace zorvo {
namespace {

using FormatDialogTest = SettingsTest;

FormatDialogFields Fields(int format, FormatBoxes boxes) {
  FormatDialogFields fields;
  fields.format = format;
  fields.boxes = boxes;
  fields.carriageName = L"(none)";
  return fields;
}

TEST_F(FormatDialogTest, EachFormatKeepsItsOwnBoxesAndOkStoresBoth) {
  FormatOptions& o = ViewOptions();
  o.Options = {0x220, 0x3, 0x1};
  o.CurrentOptions = 0x220;
  FormatWorkingSet set = OpenFormatWorkingSet();
  // Text -> Hex Dump with wrap and background ticked for Text.
  const FormatBoxes hex = SwitchShownFormat(set, {true, true, false, true}, 1);
  EXPECT_TRUE(hex.wrap);  // Hex Dump's own 0x1
  EXPECT_FALSE(hex.expandTabs);
  // Hex Dump's wrap unticked, fixed length ticked; back to Text.
  const FormatBoxes text = SwitchShownFormat(set, {false, false, true, false}, 0);
  EXPECT_TRUE(text.wrap && text.background && text.expandTabs && !text.fixedLength);
  EXPECT_EQ(o.CurrentOptions, 0x220u) << "nothing is in force before OK";

  CommitFormatDialog(set, Fields(0, text));
  EXPECT_EQ(o.Options[0], 0x229u);
  EXPECT_EQ(o.Options[1], 0x212u) << "0x2, set by a switch, stays";
  EXPECT_EQ(o.Options[2], 0x1u) << "a format not shown keeps its word";
  EXPECT_EQ(o.CurrentOptions, 0x229u);
}

TEST_F(FormatDialogTest, TheWordInForceIsShownAndTheBoxesOnlySetTheirBits) {
  FormatOptions& o = ViewOptions();
  o.Options = {0x220, 0x3, 0x1};
  o.Format = 2;
  o.CurrentOptions = 0x1909;  // a switch, page gaps and padding, a hand-set form feed bit
  o.SaveWindowPos = true;
  FormatWorkingSet set = OpenFormatWorkingSet();
  EXPECT_FALSE(o.SaveWindowPos);
  EXPECT_EQ(set.shown, 2);
  EXPECT_TRUE(BoxesOf(set.words[2]).background);
  const struct {
    uint32_t word;
    FormatBoxes boxes;
    uint32_t made;
  } cases[] = {
      {0x0, {}, 0x200},
      {0x3F, {}, 0x206},
      {0x0, {true, true, true, true}, 0x239},
      {0xF0001D42u, {false, true, false, false}, 0xF0001F4Au},
  };
  for (const auto& c : cases) EXPECT_EQ(WordFromBoxes(c.word, c.boxes), c.made) << c.word;
}

TEST_F(FormatDialogTest, OkTakesTheFieldsAndDerivesTheCodeBits) {
  FormatWorkingSet set = OpenFormatWorkingSet();
  FormatDialogFields fields = Fields(1, {});
  fields.maxLineLength = 65536;
  fields.tabLength = 256;
  fields.verticalScroll = 0;
  fields.horizontalScroll = 2;
  fields.escExit = true;
  fields.saveWindowPos = true;
  fields.cuaKeyboard = false;
  fields.showMessages = false;
  fields.charCode = 2;
  fields.carriageEntry = 4;
  fields.carriageName = L"Lineprinter";
  CommitFormatDialog(set, fields);
  const FormatOptions& o = ViewOptions();
  EXPECT_EQ(o.MaxLineLength, 65536);
  EXPECT_EQ(o.TabLength, 256);
  EXPECT_EQ(o.VertScroll, 0);
  EXPECT_EQ(o.HorzScroll, 2);
  EXPECT_EQ(o.EscExit, 1);
  EXPECT_TRUE(o.SaveWindowPos);
  EXPECT_EQ(o.CuaKeyboard, 0);
  EXPECT_EQ(o.ShowMessages, 0);
  EXPECT_EQ(o.Format, 1);
  EXPECT_EQ(o.CharCode, 2);
  EXPECT_EQ(o.CCChar, 4);
  EXPECT_EQ(o.CCName, L"Lineprinter");
  for (const uint32_t word : o.Options) EXPECT_EQ(word & 0xF00020C0u, 0x40002080u);
  EXPECT_EQ(o.CurrentOptions, o.Options[1]);
  EXPECT_EQ(o.CurrentOptions & 0x23Fu, 0x202u) << "the boxes off, 0x2 kept";
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
    ViewOptions().CCChar = c.ccChar;
    ViewOptions().CCName = c.name;
    EXPECT_EQ(SelectCarriageEntry(entries), c.selected) << c.name;
    EXPECT_EQ(ViewOptions().CCChar, c.ccCharAfter) << c.name;
  }
}

TEST(GoToTest, TheFieldsRequestsAndActionsOfEachChoice) {
  const GoToLimits limits{0x1A2B, 12};
  const struct {
    int32_t mode;
    const wchar_t* entry;
    const wchar_t* hint;
    bool enabled;
  } fields[] = {
      {kGoToTop, L"N/A", L" ", false},
      {kGoToBottom, L"N/A", L" ", false},
      {kGoToOffset, L"0x1A2B", L"1 to 0x1A2B", true},
      {kGoToPage, L"1", L"1 to 12", true},
  };
  for (const auto& f : fields) {
    const GoToFieldTexts texts = GoToFields(f.mode, limits);
    EXPECT_EQ(texts.entry, f.entry);
    EXPECT_EQ(texts.hint, f.hint);
    EXPECT_EQ(texts.enabled, f.enabled);
  }
  EXPECT_EQ(GoToFields(kGoToPage, {100, 0}).hint, L"N/A");

  const auto lookup = [](int32_t page) -> int64_t { return page <= 3 ? page * 1000 : -1; };
  const struct {
    GoToRequest request;
    GoToAction::Kind kind;
    int64_t offset;
  } actions[] = {
      {MakeGoToRequest(kGoToTop, 77), GoToAction::kScrollTop, 0},
      {MakeGoToRequest(kGoToBottom, 77), GoToAction::kScrollBottom, 0},
      {MakeGoToRequest(kGoToOffset, 16), GoToAction::kOffsetReload, 16},
      {MakeGoToRequest(kGoToOffset, 9999), GoToAction::kOffsetReload, 5000},  // the file shrank
      {MakeGoToRequest(kGoToPage, 3), GoToAction::kOffset, 3000},
      {MakeGoToRequest(kGoToPage, 5), GoToAction::kInvalidPage, 0},
      {MakeGoToRequest(kGoToNone, 5), GoToAction::kNothing, 0},
  };
  for (const auto& a : actions) {
    const GoToAction action = DecideGoTo(a.request, 5000, lookup);
    EXPECT_EQ(action.kind, a.kind) << a.request.mode;
    EXPECT_EQ(action.offset, a.offset) << a.request.mode;
  }
  const GoToRequest bottom = MakeGoToRequest(kGoToBottom, 0);
  EXPECT_EQ(bottom.position, INT64_MAX);
  EXPECT_EQ(bottom.page, INT32_MAX);
  const GoToRequest page = MakeGoToRequest(kGoToPage, 4);
  EXPECT_EQ(page.position, -1);
  EXPECT_EQ(page.page, 4);
}

}  // namespace
}  // namespace zorvo
