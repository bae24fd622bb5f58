// Format > Options (Display Formatting) and Format > Font over the real
// main window.
#include <windows.h>

#include <string>
#include <vector>

#include "dialog_driver.h"
#include "viewer/frame/win32/screen_font.h"

namespace zorvo {
namespace {

std::vector<std::wstring> ListOf(HWND dialog, int id) {
  std::vector<std::wstring> entries;
  const auto count = static_cast<int>(SendDlgItemMessageW(dialog, id, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    wchar_t text[300] = {};
    SendDlgItemMessageW(dialog, id, CB_GETLBTEXT, static_cast<WPARAM>(i),
                        reinterpret_cast<LPARAM>(text));
    entries.push_back(text);
  }
  return entries;
}
int Selected(HWND dialog, int id) {
  return static_cast<int>(SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0));
}
// Picks entry `index` as the user would: the list tells the dialog.
void Pick(HWND dialog, int id, int index) {
  SendDlgItemMessageW(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}
// Whether the control is shown (the dialog itself may not be yet).
bool Shows(HWND dialog, int id) {
  return (GetWindowLongW(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0;
}
void Mark(HWND dialog, int id, bool on) {
  CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED);
}

class OptionsDialogTest : public DrivenDialogTest {
 protected:
  void TearDown() override {
    SetFontPicker({});
    DrivenDialogTest::TearDown();
  }
  int Run(std::vector<Step> steps) {
    return Drive([this] { return DisplayFormattingDialog(window); }, std::move(steps));
  }
};

TEST_F(OptionsDialogTest, ShowsTheOptionsAndEachFormatsOwnBoxes) {
  Start("", {{L"CarriageControl", L"Lineprinter", L"1=12"},
             {L"CarriageControl", L"Cards", L"1=12"},
             {L"Tessary", L"CCChar", L"3"},
             {L"Tessary", L"CCName", L"lineprinter"},
             {L"Tessary", L"CharCode", L"1"},
             {L"Tessary", L"MaxLineLength", L"120"},
             {L"Tessary", L"TabLength", L"6"},
             {L"Tessary", L"VertScroll", L"1"},
             {L"Tessary", L"HorzScroll", L"2"},
             {L"Tessary", L"EscExit", L"1"}});
  ViewOptions().SaveWindowPos = true;
  const int result =
      Run({[](HWND dialog) {
             EXPECT_EQ(TextOf(dialog), L"Display Formatting");
             EXPECT_EQ(ListOf(dialog, IDC_FMT_FORMAT),
                       (std::vector<std::wstring>{L"Text", L"Hex Dump", L"Raw Text"}));
             EXPECT_EQ(Selected(dialog, IDC_FMT_FORMAT), 0);
             EXPECT_EQ(ListOf(dialog, IDC_FMT_CODE),
                       (std::vector<std::wstring>{L"ANSI", L"ASCII", L"EBCDIC"}));
             EXPECT_EQ(Selected(dialog, IDC_FMT_CODE), 1);
             EXPECT_EQ(
                 ListOf(dialog, IDC_FMT_CCCHAR),
                 (std::vector<std::wstring>{L"(none)", L"ASA", L"IBM", L"Lineprinter", L"Cards"}));
             EXPECT_EQ(Selected(dialog, IDC_FMT_CCCHAR), 3) << "found without regard to case";
             EXPECT_EQ(ItemText(dialog, IDC_FMT_LINELENGTH), L"120");
             EXPECT_EQ(ItemText(dialog, IDC_FMT_TABLENGTH), L"6");
             EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_FMT_VERTSCROLL), 1u);
             EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_FMT_HORZSCROLL), 2u);
             EXPECT_FALSE(IsChecked(dialog, IDC_FMT_SAVEPOS)) << "always starts unchecked";
             EXPECT_TRUE(IsChecked(dialog, IDC_FMT_ESCEXIT));
             EXPECT_TRUE(IsChecked(dialog, IDC_FMT_CUA));
             EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_FMT_SAVE)));
             EXPECT_FALSE(Shows(dialog, IDC_FMT_PROFILE));
             // Text: expand tabs only. Then Hex Dump, whose word has wrap.
             EXPECT_TRUE(IsChecked(dialog, IDC_FMT_EXPANDTABS));
             EXPECT_FALSE(IsChecked(dialog, IDC_FMT_WRAP));
             Pick(dialog, IDC_FMT_FORMAT, 1);
             EXPECT_TRUE(IsChecked(dialog, IDC_FMT_WRAP));
             EXPECT_FALSE(IsChecked(dialog, IDC_FMT_EXPANDTABS));
           },
           [](HWND dialog) {
             Mark(dialog, IDC_FMT_WRAP, false);
             Mark(dialog, IDC_FMT_FIXEDLENGTH, true);
             Pick(dialog, IDC_FMT_FORMAT, 0);
             EXPECT_TRUE(IsChecked(dialog, IDC_FMT_EXPANDTABS)) << "Text shows its own boxes again";
             EXPECT_FALSE(IsChecked(dialog, IDC_FMT_FIXEDLENGTH));
             Mark(dialog, IDC_FMT_WRAP, true);
             Pick(dialog, IDC_FMT_CCCHAR, 4);
             Press(dialog, IDOK);
           }});
  EXPECT_EQ(result, 1);
  const FormatOptions& o = ViewOptions();
  EXPECT_EQ(o.Format, 0);
  EXPECT_EQ(o.CCChar, 4);
  EXPECT_EQ(o.CCName, L"Cards");
  EXPECT_EQ(o.Options[0] & 0x239u, 0x221u) << "Text: wrap and expand tabs";
  EXPECT_EQ(o.Options[1] & 0x239u, 0x210u) << "Hex Dump: fixed length, no wrap";
  EXPECT_EQ(o.CurrentOptions, o.Options[0]);
  for (const uint32_t word : o.Options) EXPECT_EQ(word & 0xF00020C0u, 0x40002040u) << word;
  EXPECT_FALSE(o.SaveWindowPos);
  EXPECT_TRUE(notifier.shown.empty());
}

TEST_F(OptionsDialogTest, BadFieldsAreRefusedInTurnAndTheBoundsAccepted) {
  Start("", {{L"Tessary", L"CharCode", L"7"}});  // loads as 3: no code is chosen
  const int result = Run(
      {Refused(IDC_FMT_LINELENGTH, L"3", L"Line length must be a number between 4 and 65536!"),
       Refused(IDC_FMT_LINELENGTH, L"65537", L"Line length must be a number between 4 and 65536!"),
       Refused(IDC_FMT_LINELENGTH, L"", L"Line length must be a number between 4 and 65536!"),
       [](HWND dialog) { SetItem(dialog, IDC_FMT_LINELENGTH, L"65536"); },
       Refused(IDC_FMT_TABLENGTH, L"0", L"Tab length must be a number between 1 and 256!"),
       Refused(IDC_FMT_TABLENGTH, L"257", L"Tab length must be a number between 1 and 256!"),
       [](HWND dialog) { SetItem(dialog, IDC_FMT_TABLENGTH, L"256"); },
       Refused(IDC_FMT_CODE, nullptr, L"You must choose a code !"),
       [](HWND dialog) {
         EXPECT_EQ(ViewOptions().MaxLineLength, 4096) << "nothing is taken before all pass";
         Pick(dialog, IDC_FMT_CODE, 2);
         Press(dialog, IDOK);
       }});
  EXPECT_EQ(result, 1);
  EXPECT_EQ(ViewOptions().MaxLineLength, 65536);
  EXPECT_EQ(ViewOptions().TabLength, 256);
  EXPECT_EQ(ViewOptions().CharCode, 2);
  EXPECT_EQ(ViewOptions().CurrentOptions & 0xC0u, 0x80u);
}

TEST_F(OptionsDialogTest, SaveWritesTheProfileAndCancelKeepsTheOptions) {
  Start("", {{L"Tessary", L"CCChar", L"3"}, {L"Tessary", L"CCName", L"Gone"}});
  EXPECT_NE(ViewOptions().CurrentOptions & 0x40002000u, 0u);
  // Cancel: nothing changes, except that a table no longer offered counts
  // as none from now on.
  EXPECT_EQ(Run({[](HWND dialog) {
              EXPECT_EQ(Selected(dialog, IDC_FMT_CCCHAR), -1);
              SetItem(dialog, IDC_FMT_TABLENGTH, L"3");
              Mark(dialog, IDC_FMT_WRAP, true);
              Press(dialog, IDCANCEL);
            }}),
            0);
  EXPECT_EQ(ViewOptions().TabLength, 8);
  EXPECT_EQ(ViewOptions().CurrentOptions & 0x1u, 0u);
  EXPECT_EQ(ViewOptions().CCChar, -1);
  EXPECT_EQ(ViewOptions().CurrentOptions & 0xF0002000u, 0u);

  EXPECT_EQ(Run({[](HWND dialog) {
              SetItem(dialog, IDC_FMT_TABLENGTH, L"256");
              Mark(dialog, IDC_FMT_SAVEPOS, true);
              Pick(dialog, IDC_FMT_CCCHAR, 1);
              Press(dialog, IDC_FMT_SAVE);
            }}),
            1);
  auto stored = [](const wchar_t* key) {
    return Profile().backend().Read(L"Tessary", key).value_or(L"<none>");
  };
  EXPECT_EQ(stored(L"TabLength"), L"256");
  EXPECT_EQ(stored(L"CCChar"), L"1");
  EXPECT_EQ(stored(L"CCName"), L"ASA");
  EXPECT_EQ(stored(L"Options0"), std::to_wstring(ViewOptions().Options[0]));
  RECT outer{};
  GetWindowRect(window, &outer);
  EXPECT_EQ(stored(L"WindowPos"), std::to_wstring(outer.top) + L"," + std::to_wstring(outer.left) +
                                      L"," + std::to_wstring(outer.bottom - outer.top) + L"," +
                                      std::to_wstring(outer.right - outer.left));
  // Loaded again, the tab length is bounded to 255.
  LoadOptions(kOptionsSection, kKindFormat);
  EXPECT_EQ(ViewOptions().TabLength, 255);

  // A profile that cannot be written: no Save; diagnostic mode shows its path.
  SetProfile(std::make_unique<ProfileStore>(MakeMemoryBackend(), -1));
  Globals().DiagMode = 1;
  StartupState().profilePath = L"C:\\Programs\\Zorvo\\ZORVO.INI";
  Run({[](HWND dialog) {
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_FMT_SAVE)));
    EXPECT_TRUE(Shows(dialog, IDC_FMT_PROFILE));
    EXPECT_EQ(ItemText(dialog, IDC_FMT_PROFILE), L"C:\\Programs\\Zorvo\\ZORVO.INI");
    Press(dialog, IDCANCEL);
  }});
  StartupState().profilePath.clear();
}

TEST_F(OptionsDialogTest, TheFontCommandAndButtonTakeTheChosenFont) {
  Start();
  HWND pickerOwner = nullptr;
  std::wstring offered;
  bool choose = true;
  SetFontPicker([&](HWND owner, LOGFONTW& font, int& tenths) {
    pickerOwner = owner;
    offered = font.lfFaceName;
    if (!choose) return false;
    wcscpy(font.lfFaceName, L"Lucida Console");
    font.lfWeight = 700;
    font.lfItalic = 1;
    tenths = 125;
    return true;
  });
  ViewOptions().FontFace = L"Courier New";
  Command(IDM_FONT);
  EXPECT_EQ(pickerOwner, window);
  EXPECT_EQ(offered, L"Courier New");
  EXPECT_EQ(ViewOptions().FontFace, L"Lucida Console");
  EXPECT_EQ(ViewOptions().FontSize, 12) << "tenths of a point, cut";
  EXPECT_EQ(ViewOptions().FontWeight, 700);
  EXPECT_EQ(ViewOptions().FontItalic, 1);
  LOGFONTW made{};
  ASSERT_NE(GetObjectW(ScreenFont(), sizeof made, &made), 0);
  EXPECT_STREQ(made.lfFaceName, L"Lucida Console") << "the screen font is made again";
  EXPECT_EQ(made.lfWeight, 700);

  // From the dialog: chosen at once and kept though the dialog is cancelled.
  ViewOptions().FontFace = L"Courier New";
  ViewOptions().FontSize = 10;
  const int result = Run({[&](HWND dialog) {
    Press(dialog, IDC_FMT_FONT);
    EXPECT_EQ(pickerOwner, dialog);
    Press(dialog, IDCANCEL);
  }});
  EXPECT_EQ(result, 0);
  EXPECT_EQ(ViewOptions().FontFace, L"Lucida Console");
  EXPECT_EQ(ViewOptions().FontSize, 12);

  choose = false;
  ViewOptions().FontFace = L"Courier New";
  EXPECT_EQ(ChooseScreenFont(window), 0);
  EXPECT_EQ(ViewOptions().FontFace, L"Courier New");
}

TEST_F(OptionsDialogTest, OkRebuildsTheViewWithTheNewOptions) {
  Start();
  Open(MakeFile(20, std::string(100, 'x') + " "));
  ASSERT_EQ(Top(), std::string(100, 'x') + " 0");
  DriveCommand(IDM_OPTIONS, {[](HWND dialog) {
                 SetItem(dialog, IDC_FMT_LINELENGTH, L"40");
                 Mark(dialog, IDC_FMT_WRAP, true);
                 Mark(dialog, IDC_FMT_FIXEDLENGTH, true);
                 Press(dialog, IDOK);
               }});
  Pump();
  EXPECT_EQ(Top(), std::string(40, 'x')) << "wrapped at the new line length";
}

}  // namespace
}  // namespace zorvo
