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
  const auto count = SendDlgItemMessageW(dialog, id, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    wchar_t text[300] = {};
    SendDlgItemMessageW(dialog, id, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    entries.push_back(text);
  }
  return entries;
}
int Selected(HWND dialog, int id) {
  return static_cast<int>(SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0));
}
// Picks entry `index` as the user would: the list tells the dialog.
void Pick(HWND dialog, int id, int index) {
  SendDlgItemMessageW(dialog, id, CB_SETCURSEL, index, 0);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}
void Mark(HWND dialog, int id, bool on) {
  CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED);
}
// The dialog itself may not be shown yet.
bool Shows(HWND dialog, int id) {
  return GetWindowLongW(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE;
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
  app().settings.options.SaveWindowPos = true;
  const int result =
      Run({[&](HWND dialog) {
             EXPECT_EQ(
                 ListOf(dialog, IDC_FMT_CCCHAR),
                 (std::vector<std::wstring>{L"(none)", L"ASA", L"IBM", L"Lineprinter", L"Cards"}));
             EXPECT_EQ(Selected(dialog, IDC_FMT_CCCHAR), 3) << "found without regard to case";
             EXPECT_EQ((std::vector<int>{
                           Selected(dialog, IDC_FMT_FORMAT), Selected(dialog, IDC_FMT_CODE),
                           static_cast<int>(IsDlgButtonChecked(dialog, IDC_FMT_VERTSCROLL)),
                           static_cast<int>(IsDlgButtonChecked(dialog, IDC_FMT_HORZSCROLL)),
                           IsChecked(dialog, IDC_FMT_SAVEPOS), IsChecked(dialog, IDC_FMT_ESCEXIT),
                           IsChecked(dialog, IDC_FMT_CUA), Shows(dialog, IDC_FMT_PROFILE)}),
                       (std::vector<int>{0, 1, 1, 2, 0, 1, 1, 0}));
             EXPECT_EQ(
                 ItemText(dialog, IDC_FMT_LINELENGTH) + L"," + ItemText(dialog, IDC_FMT_TABLENGTH),
                 L"120,6");
             // Text has expand tabs; Hex Dump, picked, its own wrap.
             EXPECT_TRUE(IsChecked(dialog, IDC_FMT_EXPANDTABS) && !IsChecked(dialog, IDC_FMT_WRAP));
             Pick(dialog, IDC_FMT_FORMAT, 1);
             EXPECT_TRUE(!IsChecked(dialog, IDC_FMT_EXPANDTABS) && IsChecked(dialog, IDC_FMT_WRAP));
           },
           [&](HWND dialog) {
             Mark(dialog, IDC_FMT_WRAP, false);
             Mark(dialog, IDC_FMT_FIXEDLENGTH, true);
             Pick(dialog, IDC_FMT_FORMAT, 0);
             EXPECT_TRUE(IsChecked(dialog, IDC_FMT_EXPANDTABS) &&
                         !IsChecked(dialog, IDC_FMT_FIXEDLENGTH));
             Mark(dialog, IDC_FMT_WRAP, true);
             Pick(dialog, IDC_FMT_CCCHAR, 4);
             Press(dialog, IDOK);
           }});
  EXPECT_EQ(result, 1);
  const FormatOptions& o = app().settings.options;
  EXPECT_EQ(o.Options[0] & 0x239u, 0x221u) << "Text: wrap and expand tabs";
  EXPECT_EQ(o.Options[1] & 0x239u, 0x210u) << "Hex Dump: fixed length, no wrap";
  EXPECT_EQ(o.CurrentOptions, o.Options[0]);
  for (const uint32_t word : o.Options) EXPECT_EQ(word & 0xF00020C0u, 0x40002040u) << word;
  EXPECT_EQ(o.CCChar, 4);
  EXPECT_EQ(o.CCName, L"Cards");
  EXPECT_TRUE(notifier.shown.empty());
}

TEST_F(OptionsDialogTest, BadFieldsAreRefusedInTurnAndTheBoundsAccepted) {
  Start("", {{L"Tessary", L"CharCode", L"7"}});  // loads as 3: no code is chosen
  const std::wstring line = L"Line length must be a number between 4 and 65536!";
  const std::wstring tab = L"Tab length must be a number between 1 and 256!";
  const int result =
      Run({Refused(IDC_FMT_LINELENGTH, L"3", line), Refused(IDC_FMT_LINELENGTH, L"65537", line),
           Refused(IDC_FMT_LINELENGTH, L"", line),
           [&](HWND dialog) { SetItem(dialog, IDC_FMT_LINELENGTH, L"65536"); },
           Refused(IDC_FMT_TABLENGTH, L"0", tab), Refused(IDC_FMT_TABLENGTH, L"257", tab),
           [&](HWND dialog) { SetItem(dialog, IDC_FMT_TABLENGTH, L"256"); },
           Refused(IDC_FMT_CODE, nullptr, L"You must choose a code !"),
           [&](HWND dialog) {
             EXPECT_EQ(app().settings.options.MaxLineLength, 4096)
                 << "nothing is taken before all pass";
             Pick(dialog, IDC_FMT_CODE, 2);
             Press(dialog, IDOK);
           }});
  EXPECT_EQ(result, 1);
  EXPECT_EQ(app().settings.options.MaxLineLength, 65536);
  EXPECT_EQ(app().settings.options.TabLength, 256);
  EXPECT_EQ(app().settings.options.CurrentOptions & 0xC0u, 0x80u) << "EBCDIC";
}

TEST_F(OptionsDialogTest, SaveWritesTheProfileAndCancelKeepsTheOptions) {
  Start("", {{L"Tessary", L"CCChar", L"3"}, {L"Tessary", L"CCName", L"Gone"}});
  // Cancel changes nothing, but a table no longer offered counts as none.
  EXPECT_EQ(Run({[&](HWND dialog) {
              EXPECT_EQ(Selected(dialog, IDC_FMT_CCCHAR), -1);
              SetItem(dialog, IDC_FMT_TABLENGTH, L"3");
              Mark(dialog, IDC_FMT_WRAP, true);
              Press(dialog, IDCANCEL);
            }}),
            0);
  EXPECT_EQ(app().settings.options.TabLength, 8);
  EXPECT_EQ(app().settings.options.CCChar, -1);
  EXPECT_EQ(app().settings.options.CurrentOptions & 0xF0002001u, 0u);

  EXPECT_EQ(Run({[&](HWND dialog) {
              SetItem(dialog, IDC_FMT_TABLENGTH, L"256");
              Mark(dialog, IDC_FMT_SAVEPOS, true);
              Pick(dialog, IDC_FMT_CCCHAR, 1);
              Press(dialog, IDC_FMT_SAVE);
            }}),
            1);
  RECT r{};
  GetWindowRect(window, &r);
  std::wstring stored;
  for (const wchar_t* key : {L"TabLength", L"CCChar", L"CCName", L"WindowPos"}) {
    stored += app().settings.profile().backend().Read(L"Tessary", key).value_or(L"-") + L";";
  }
  EXPECT_EQ(stored, L"256;1;ASA;" + std::to_wstring(r.top) + L"," + std::to_wstring(r.left) + L"," +
                        std::to_wstring(r.bottom - r.top) + L"," +
                        std::to_wstring(r.right - r.left) + L";");
  LoadOptions(app().settings, kOptionsSection, kKindFormat);
  EXPECT_EQ(app().settings.options.TabLength, 255) << "loaded again, bounded";

  // A profile that cannot be written: no Save; diagnostic mode shows its path.
  app().settings.store = std::make_unique<ProfileStore>(MakeMemoryBackend(), -1);
  app().settings.globals.DiagMode = 1;
  app().startup.profilePath = L"C:\\Zorvo\\ZORVO.INI";
  Run({[&](HWND dialog) {
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_FMT_SAVE)));
    EXPECT_TRUE(Shows(dialog, IDC_FMT_PROFILE));
    EXPECT_EQ(ItemText(dialog, IDC_FMT_PROFILE), L"C:\\Zorvo\\ZORVO.INI");
    Press(dialog, IDCANCEL);
  }});
  app().startup.profilePath.clear();
}

TEST_F(OptionsDialogTest, TheFontCommandAndButtonTakeTheChosenFont) {
  Start();
  HWND owner = nullptr;
  SetFontPicker([&](HWND picker, LOGFONTW& font, int& tenths) {
    owner = picker;
    EXPECT_STREQ(font.lfFaceName, L"Courier New") << "offered the current face";
    wcscpy(font.lfFaceName, L"Lucida Console");
    font.lfWeight = 700;
    font.lfItalic = 1;
    tenths = 125;
    return true;
  });
  Command(IDM_FONT);
  EXPECT_EQ(owner, window);
  const FormatOptions& o = app().settings.options;
  EXPECT_EQ(o.FontFace + L"," + std::to_wstring(o.FontSize) + L"," + std::to_wstring(o.FontWeight) +
                L"," + std::to_wstring(o.FontItalic),
            L"Lucida Console,12,700,1");
  LOGFONTW made{};
  ASSERT_NE(GetObjectW(ScreenFont(), sizeof made, &made), 0);
  EXPECT_STREQ(made.lfFaceName, L"Lucida Console") << "the screen font is made again";
  // From the dialog: taken at once and kept though the dialog is cancelled.
  app().settings.options.FontFace = L"Courier New";
  Run({[&](HWND dialog) {
    Press(dialog, IDC_FMT_FONT);
    EXPECT_EQ(owner, dialog);
    Press(dialog, IDCANCEL);
  }});
  EXPECT_EQ(app().settings.options.FontFace, L"Lucida Console");
}

TEST_F(OptionsDialogTest, OkRebuildsTheViewWithTheNewOptions) {
  Start();
  Open(MakeFile(20, std::string(100, 'x') + " "));
  DriveCommand(IDM_OPTIONS, {[&](HWND dialog) {
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
