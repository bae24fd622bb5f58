// Freeze Columns, Color Selection and Print Shade Selection over the real
// main window, driven from inside their modal loops: a timer on the dialog
// runs one step per tick, so each step sees what the one before did.
#include <string>

#include "dialog_driver.h"
#include "viewer/frame/win32/screen_font.h"

namespace zorvo {
namespace {

std::wstring TextOf(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return text;
}

class DialogTest : public DrivenDialogTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    Start();
  }
  void TearDown() override {
    SetColorPicker({});
    DrivenDialogTest::TearDown();
  }
};

// Freeze Columns.

constexpr char kLine[] = "0123456789abcdefghijklmnopqrstuvwxyz-";

class FreezeDialogTest : public DialogTest {
 protected:
  int Run(std::vector<Step> steps) {
    return Drive([this] { return FreezeColumnsDialog(window, kLine); }, std::move(steps));
  }
};

TEST_F(FreezeDialogTest, ClickingAColumnOfTheTopLineOrTheScaleSetsTheCount) {
  Open(MakeFile(5, kLine));
  app().settings.options.FreezeColumns = 7;
  const LOGFONTW record = ScreenFontRecord();
  HFONT font = nullptr;
  // Through the menu command, which takes the top line as the example.
  Drive([this] { return static_cast<int>(SendMessageW(window, WM_COMMAND, IDM_FREEZECOLUMNS, 0)); },
        {[&](HWND dialog) {
           EXPECT_EQ(TextOf(dialog), L"Freeze Columns");
           EXPECT_EQ(ItemText(dialog, IDC_FREEZE_COUNT), L"7");
           EXPECT_EQ(ItemText(dialog, IDC_FREEZE_EXAMPLE),
                     L"0123456789abcdefghijklmnopqrstuvwxyz-0");
           EXPECT_EQ(ItemText(dialog, IDC_FREEZE_SCALE),
                     L"....+....1....+....2....+....3....+....4....+....5....+....6....+....7...."
                     L"+....8");
           // Both in the screen font's face at 8 points.
           HDC dc = GetDC(dialog);
           const int height = -((GetDeviceCaps(dc, LOGPIXELSY) * 8 + 35) / 72);
           ReleaseDC(dialog, dc);
           font = reinterpret_cast<HFONT>(
               SendDlgItemMessageW(dialog, IDC_FREEZE_EXAMPLE, WM_GETFONT, 0, 0));
           EXPECT_EQ(font, reinterpret_cast<HFONT>(
                               SendDlgItemMessageW(dialog, IDC_FREEZE_SCALE, WM_GETFONT, 0, 0)));
           LOGFONTW used{};
           ASSERT_EQ(GetObjectW(font, sizeof used, &used), static_cast<int>(sizeof used));
           EXPECT_EQ(used.lfHeight, height);
           EXPECT_STREQ(used.lfFaceName, record.lfFaceName);

           HWND example = GetDlgItem(dialog, IDC_FREEZE_EXAMPLE);
           const LRESULT at = SendMessageW(example, EM_POSFROMCHAR, 12, 0);
           ASSERT_NE(at, -1);
           const LPARAM point = MAKELPARAM(static_cast<short>(LOWORD(at)) + 1, HIWORD(at) + 2);
           SendMessageW(example, WM_LBUTTONDOWN, MK_LBUTTON, point);
           SendMessageW(example, WM_LBUTTONUP, 0, point);
           EXPECT_EQ(ItemText(dialog, IDC_FREEZE_COUNT), L"12");
         },
         [&](HWND dialog) {
           // A key that moves the caret counts too: the column after it.
           HWND scale = GetDlgItem(dialog, IDC_FREEZE_SCALE);
           SendMessageW(scale, EM_SETSEL, 30, 30);
           SendMessageW(scale, WM_KEYDOWN, VK_RIGHT, 0);
           EXPECT_EQ(ItemText(dialog, IDC_FREEZE_COUNT), L"31");
           Press(dialog, IDOK);
         }});
  EXPECT_EQ(app().settings.options.FreezeColumns, 31);
  EXPECT_TRUE(notifier.shown.empty());
  EXPECT_EQ(ScreenFontRecord().lfHeight, record.lfHeight) << "the record keeps its height";
  EXPECT_EQ(GetObjectType(font), 0u) << "the sample font is deleted on closing";
}

TEST_F(FreezeDialogTest, ACountOutsideZeroTo255IsRefusedAndTheDialogStays) {
  app().settings.options.FreezeColumns = 3;
  const auto refuse = [this](const wchar_t* text) {
    return [this, text](HWND dialog) {
      notifier.shown.clear();
      notifier.beeps.clear();
      SetItem(dialog, IDC_FREEZE_COUNT, text);
      Press(dialog, IDOK);
      EXPECT_EQ(Shown(), std::vector<std::wstring>{L"Bad Options: Number of columns to lock must "
                                                   L"be a number between 0 and 255!"});
      ASSERT_EQ(notifier.shown.size(), 1u);
      EXPECT_EQ(notifier.shown[0].owner, reinterpret_cast<uintptr_t>(dialog));
      EXPECT_EQ(notifier.beeps, (std::vector<uint32_t>{kIconHand, kIconAsterisk}));
      EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_FREEZE_COUNT));
      EXPECT_TRUE(IsWindowVisible(dialog));
      EXPECT_EQ(app().settings.options.FreezeColumns, 3);
    };
  };
  const Step accept255 = [&](HWND dialog) {
    SetItem(dialog, IDC_FREEZE_COUNT, L"255");
    Press(dialog, IDOK);
  };
  EXPECT_EQ(Run({refuse(L"256"), refuse(L"-1"), refuse(L"twelve"), accept255}), 1);
  EXPECT_EQ(app().settings.options.FreezeColumns, 255);
}

TEST_F(FreezeDialogTest, ZeroIsAcceptedAndCancelOrClosingKeepTheCount) {
  app().settings.options.FreezeColumns = 20;
  const auto type = [](const wchar_t* text, UINT message, WPARAM wParam) {
    return [=](HWND dialog) {
      SetItem(dialog, IDC_FREEZE_COUNT, text);
      PostMessageW(dialog, message, wParam, 0);
    };
  };
  EXPECT_EQ(Run({type(L"40", WM_COMMAND, IDCANCEL)}), 0);
  EXPECT_EQ(Run({type(L"40", WM_CLOSE, 0)}), 0);
  EXPECT_EQ(app().settings.options.FreezeColumns, 20);
  EXPECT_EQ(Run({type(L"0", WM_COMMAND, IDOK)}), 1);
  EXPECT_EQ(app().settings.options.FreezeColumns, 0);

  app().settings.options.FreezeColumns = 9;
  Command(IDM_CLEARCOLUMNS);
  EXPECT_EQ(app().settings.options.FreezeColumns, 0);
}

// Color Selection.

constexpr COLORREF kPicked = RGB(12, 34, 56);

class ColorDialogTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    SetColorPicker([this](HWND owner, COLORREF& color, COLORREF* custom) {
      pickerOwner = owner;
      offered = color;
      customSeen.assign(custom, custom + 16);
      custom[5] = RGB(1, 1, 1);
      color = kPicked;
      return choose;
    });
  }
  int Run(std::vector<Step> steps) {
    return Drive([this] { return ColorDialog(window); }, std::move(steps));
  }
  static int Selected(HWND dialog) {
    return static_cast<int>(SendDlgItemMessageW(dialog, IDC_COLOR_LIST, CB_GETCURSEL, 0, 0));
  }
  static void Select(HWND dialog, int index) {
    SendDlgItemMessageW(dialog, IDC_COLOR_LIST, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  }
  // A pixel of a sample once it has painted; negative: from the far edge.
  static COLORREF PixelOf(HWND dialog, int id, int x, int y) {
    HWND sample = GetDlgItem(dialog, id);
    UpdateWindow(sample);
    RECT rc{};
    GetClientRect(sample, &rc);
    HDC dc = GetDC(sample);
    const COLORREF color = GetPixel(dc, x < 0 ? rc.right + x : x, y < 0 ? rc.bottom + y : y);
    ReleaseDC(sample, dc);
    return color;
  }

  bool choose = true;
  HWND pickerOwner = nullptr;
  COLORREF offered = 0;
  std::vector<COLORREF> customSeen;
};

TEST_F(ColorDialogTest, ListsTheScreenColoursAndTwoClicksOnASampleReachBothOfItsColours) {
  Run({[&](HWND dialog) {
    EXPECT_EQ(TextOf(dialog), L"Color Selection");
    HWND list = GetDlgItem(dialog, IDC_COLOR_LIST);
    ASSERT_EQ(SendMessageW(list, CB_GETCOUNT, 0, 0), 11);
    for (int i = 0; i < 11; ++i) {
      wchar_t name[64] = {};
      SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(name));
      EXPECT_STREQ(name, ColorName(i));
    }
    EXPECT_EQ(Selected(dialog), 0);
    Click(dialog, IDC_SAMPLE_TAGGED);
    EXPECT_EQ(ItemText(dialog, IDC_COLOR_LIST), L"Tagged line");
    Click(dialog, IDC_SAMPLE_TAGGED);
    EXPECT_EQ(ItemText(dialog, IDC_COLOR_LIST), L"Tagged background");
    Click(dialog, IDC_SAMPLE_TAGGED);
    EXPECT_EQ(Selected(dialog), kTagText);
    Click(dialog, IDC_SAMPLE_TITLE);
    Click(dialog, IDC_SAMPLE_TITLE);
    EXPECT_EQ(Selected(dialog), kHeadingBgnd);
    Click(dialog, IDC_SAMPLE_TEXT4);
    Click(dialog, IDC_SAMPLE_TEXT6);
    EXPECT_EQ(Selected(dialog), kWindowBgnd) << "all the text lines are one kind";
    Click(dialog, IDC_SAMPLE_INFO);
    EXPECT_EQ(Selected(dialog), kCommentText);
    Click(dialog, IDC_SAMPLE_SIDE);
    EXPECT_EQ(Selected(dialog), kBackground);
  }});
}

TEST_F(ColorDialogTest, TheMenuCommandCommitsAColourChosenThroughThePickerOnOk) {
  const COLORREF before = app().settings.colors[kMessageBgnd];
  Drive([this] { return static_cast<int>(SendMessageW(window, WM_COMMAND, IDM_COLOR, 0)); },
        {[&](HWND dialog) {
          Click(dialog, IDC_SAMPLE_ERROR);
          Click(dialog, IDC_SAMPLE_ERROR);
          Click(dialog, IDC_COLOR_CHANGE);
          EXPECT_EQ(pickerOwner, dialog);
          EXPECT_EQ(offered, before) << "the picker starts at the entry's colour";
          EXPECT_EQ(app().settings.colors[kMessageBgnd], before) << "only the working copy changes";
          Press(dialog, IDOK);
        }});
  ColorTable expected = DefaultColors();
  expected[kMessageBgnd] = kPicked;
  EXPECT_EQ(app().settings.colors, expected);
}

TEST_F(ColorDialogTest, CancelClosingOrAPickerLeftWithoutChoosingChangeNothing) {
  app().settings.colors[kTagText] = RGB(9, 9, 9);
  const ColorTable before = app().settings.colors;
  EXPECT_EQ(Run({[&](HWND dialog) {
              Select(dialog, kTagText);
              Click(dialog, IDC_COLOR_RESET);
              Click(dialog, IDC_COLOR_RESETALL);
              Click(dialog, IDC_COLOR_CHANGE);
              Press(dialog, IDCANCEL);
            }}),
            0);
  EXPECT_EQ(Run({[&](HWND dialog) {
              Click(dialog, IDC_COLOR_CHANGE);
              PostMessageW(dialog, WM_CLOSE, 0, 0);
            }}),
            0);
  ASSERT_EQ(customSeen.size(), 16u);
  EXPECT_EQ(customSeen[5], RGB(1, 1, 1)) << "custom colours last from one dialog to the next";
  choose = false;
  EXPECT_EQ(Run({[&](HWND dialog) {
              Click(dialog, IDC_COLOR_CHANGE);
              Press(dialog, IDOK);
            }}),
            1);
  EXPECT_EQ(app().settings.colors, before);
}

TEST_F(ColorDialogTest, ResetTakesOneEntryBackAndResetAllLeavesTheShades) {
  for (int i = 0; i < kColorCount; ++i) app().settings.colors[i] = RGB(i, 100, 200);
  const ColorTable before = app().settings.colors;
  const ColorTable defaults = DefaultColors();
  Run({[&](HWND dialog) {
    Select(dialog, kWindowBgnd);
    Click(dialog, IDC_COLOR_RESET);
    Press(dialog, IDOK);
  }});
  EXPECT_EQ(app().settings.colors[kWindowBgnd], defaults[kWindowBgnd]);
  EXPECT_EQ(app().settings.colors[kWindowText], before[kWindowText]);
  Run({[&](HWND dialog) {
    Click(dialog, IDC_COLOR_RESETALL);
    Press(dialog, IDOK);
  }});
  for (int i = 0; i < kPrintText; ++i)
    EXPECT_EQ(app().settings.colors[i], defaults[i]) << ColorKey(i);
  for (int i = kPrintText; i < kColorCount; ++i)
    EXPECT_EQ(app().settings.colors[i], before[i]) << ColorKey(i);
}

TEST_F(ColorDialogTest, SamplesAreDrawnInTheWorkingColours) {
  app().settings.colors[kMessageText] = RGB(10, 20, 30);
  app().settings.colors[kMessageBgnd] = RGB(200, 100, 50);
  app().settings.colors[kBackground] = RGB(60, 70, 80);
  Run({[&](HWND dialog) {
         EXPECT_EQ(PixelOf(dialog, IDC_SAMPLE_ERROR, -2, 2), RGB(200, 100, 50));
         int text = 0;
         for (int x = 0; x < 60; ++x) {
           for (int y = 0; y < 12; ++y)
             text += PixelOf(dialog, IDC_SAMPLE_ERROR, x, y) == RGB(10, 20, 30);
         }
         EXPECT_GT(text, 5) << "the error text in its own colour";
         // The window background: outlined on top below the lines, not beside.
         EXPECT_EQ(PixelOf(dialog, IDC_SAMPLE_BELOW, 5, 0), RGB(0, 0, 0));
         EXPECT_EQ(PixelOf(dialog, IDC_SAMPLE_BELOW, 0, -1), RGB(60, 70, 80));
         EXPECT_EQ(PixelOf(dialog, IDC_SAMPLE_BELOW, -1, -1), RGB(60, 70, 80));
         EXPECT_EQ(PixelOf(dialog, IDC_SAMPLE_SIDE, 5, 0), RGB(60, 70, 80));
         Select(dialog, kMessageBgnd);
         Click(dialog, IDC_COLOR_CHANGE);
       },
       [&](HWND dialog) {
         EXPECT_EQ(PixelOf(dialog, IDC_SAMPLE_ERROR, -2, 2), kPicked) << "shown at once";
       }});
}

// Print Shade Selection.

constexpr int kShadeFields[] = {IDC_SHADE_NORMAL,  IDC_SHADE_NORMALB,  IDC_SHADE_TAGGED,
                                IDC_SHADE_TAGGEDB, IDC_SHADE_HEADING,  IDC_SHADE_HEADINGB,
                                IDC_SHADE_COMMENT, IDC_SHADE_COMMENTB, IDC_SHADE_PAPER};

class ShadeDialogTest : public DialogTest {
 protected:
  int Run(std::vector<Step> steps) {
    return Drive([this] { return PrintShadeDialog(window); }, std::move(steps));
  }
  static std::wstring Fields(HWND dialog) {
    std::wstring out;
    for (const int id : kShadeFields) out += ItemText(dialog, id) + L" ";
    return out;
  }
  std::vector<std::wstring> ColorKeys() {
    return app().settings.profile().backend().Keys(kColorsSection);
  }
};

TEST_F(ShadeDialogTest, ShowsTheShadesAndOkTakesZeroAsWhiteAndEightAsBlack) {
  app().settings.colors[kPrintTagB] = 8421504;
  app().settings.colors[kWindowText] = RGB(7, 7, 7);
  EXPECT_EQ(Run({[&](HWND dialog) {
              EXPECT_EQ(TextOf(dialog), L"Print Shade Selection");
              EXPECT_EQ(Fields(dialog), L"8 0 8 4 8 1 0 8 1 ");
              EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_SHADE_NORMAL));
              EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_SHADE_PAPER)));
              SetItem(dialog, IDC_SHADE_NORMAL, L"0");
              SetItem(dialog, IDC_SHADE_NORMALB, L"8");
              SetItem(dialog, IDC_SHADE_PAPER, L" 2 ");
              Press(dialog, IDOK);
            }}),
            1);
  EXPECT_EQ(app().settings.colors[kPrintText], 0xFFFFFFu);
  EXPECT_EQ(app().settings.colors[kPrintTextB], 0u);
  EXPECT_EQ(app().settings.colors[kPrintBgnd], 0xC0C0C0u);
  EXPECT_EQ(app().settings.colors[kPrintTagB], 8421504u);
  EXPECT_EQ(app().settings.colors[kWindowText], RGB(7, 7, 7));
  EXPECT_TRUE(ColorKeys().empty()) << "OK does not save";
}

TEST_F(ShadeDialogTest, TheFirstBadFieldIsNamedFocusedAndNothingIsTaken) {
  const ColorTable before = app().settings.colors;
  Run({[&](HWND dialog) {
    notifier.beeps.clear();
    SetItem(dialog, IDC_SHADE_NORMAL, L"0");
    SetItem(dialog, IDC_SHADE_TAGGEDB, L"9");
    SetItem(dialog, IDC_SHADE_COMMENTB, L"x");
    Press(dialog, IDC_SHADE_SAVE);
    EXPECT_EQ(Shown(), std::vector<std::wstring>{L"Bad Options: Tagged line background shade must "
                                                 L"be a number between 0 and 8!"});
    EXPECT_EQ(notifier.beeps, (std::vector<uint32_t>{kIconHand, kIconAsterisk}));
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_SHADE_TAGGEDB));
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_EQ(app().settings.colors, before);
    EXPECT_TRUE(ColorKeys().empty());
    // Every field by its own name.
    const wchar_t* names[] = {L"Normal line text shade", L"Normal line background shade",
                              L"Tagged line text shade", L"Tagged line background shade",
                              L"Heading text shade",     L"Heading background shade",
                              L"Comment text shade",     L"Comment Background shade",
                              L"Paper background shade"};
    for (const int id : kShadeFields) SetItem(dialog, id, L"3");
    for (size_t i = 0; i < std::size(kShadeFields); ++i) {
      notifier.shown.clear();
      SetItem(dialog, kShadeFields[i], L"-1");
      Press(dialog, IDOK);
      ASSERT_EQ(notifier.shown.size(), 1u);
      EXPECT_EQ(notifier.shown[0].text,
                std::wstring(names[i]) + L" must be a number between 0 and 8!");
      SetItem(dialog, kShadeFields[i], L"3");
    }
    Press(dialog, IDCANCEL);
  }});
  EXPECT_EQ(app().settings.colors, before);
}

TEST_F(ShadeDialogTest, SaveWritesOnlyTheShadesThatDifferFromTheDefaults) {
  app().settings.colors[kMessageBgnd] = RGB(1, 2, 3);  // a screen colour: not saved with the shades
  EXPECT_EQ(Run({[&](HWND dialog) {
              SetItem(dialog, IDC_SHADE_TAGGEDB, L"4");
              Press(dialog, IDC_SHADE_SAVE);
            }}),
            1);
  EXPECT_EQ(app().settings.colors[kPrintTagB], 0x808080u);
  EXPECT_EQ(ColorKeys(), std::vector<std::wstring>{L"PrintTagB"});
  EXPECT_EQ(app().settings.profile().backend().Read(kColorsSection, L"PrintTagB"), L"8421504");
}

TEST_F(ShadeDialogTest, ResetAllShowsTheDefaultShadesAndCancelDropsThem) {
  for (int i = 0; i < kColorCount; ++i) app().settings.colors[i] = RGB(i * 10, 100, 200);
  const ColorTable before = app().settings.colors;
  const Step reset = [&](HWND dialog) {
    Press(dialog, IDC_SHADE_RESETALL);
    EXPECT_EQ(Fields(dialog), L"8 0 8 2 8 1 0 8 1 ");
  };
  EXPECT_EQ(Run({reset, [&](HWND dialog) { Press(dialog, IDCANCEL); }}), 0);
  EXPECT_EQ(app().settings.colors, before);
  EXPECT_EQ(Run({reset, [&](HWND dialog) { Press(dialog, IDOK); }}), 1);
  const ColorTable defaults = DefaultColors();
  for (int i = 0; i < kPrintText; ++i)
    EXPECT_EQ(app().settings.colors[i], before[i]) << ColorKey(i);
  for (int i = kPrintText; i < kColorCount; ++i)
    EXPECT_EQ(app().settings.colors[i], defaults[i]) << ColorKey(i);
}

}  // namespace
}  // namespace zorvo
