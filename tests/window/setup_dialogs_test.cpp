// Save Options, Save Setup As, Load Setup and About on the real window,
// driven from inside their modal loops: a timer on the dialog runs one step
// per tick, so each step sees what the one before did.
#include <functional>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "dialog_driver.h"

namespace zorvo {
namespace {

class SetupDialogs : public DrivenDialogTest {
 protected:
  // A name typed into Save Setup As, none of the list picked.
  static void TypeName(HWND dialog, const std::wstring& name) {
    SendDlgItemMessageW(dialog, IDC_SETUP_NAME, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    SetDlgItemTextW(dialog, IDC_SETUP_NAME, name.c_str());
  }
  static std::vector<UINT> Boxes(HWND dialog) {
    std::vector<UINT> states;
    for (int id = IDC_KIND_FORMAT; id <= IDC_KIND_COLORS; ++id) {
      states.push_back(IsDlgButtonChecked(dialog, id));
    }
    return states;
  }
  static bool OkEnabled(HWND dialog) { return IsWindowEnabled(GetDlgItem(dialog, IDOK)); }
  std::optional<std::wstring> Stored(const wchar_t* section, const wchar_t* key) {
    return app().settings.profile().backend().Read(section, key);
  }
  // "caption: text" of each message shown; emptied.
  std::vector<std::wstring> TakeShown() {
    std::vector<std::wstring> out;
    for (const auto& s : notifier.shown) out.push_back(s.caption + L": " + s.text);
    notifier.shown.clear();
    return out;
  }
};

TEST_F(SetupDialogs, SaveSetupAsThenLoadSetupRestoresItsOptions) {
  Start();
  Command(IDM_HEX);
  app().settings.options.TabLength = 3;
  std::vector<UINT> opened;
  DriveCommand(IDM_SAVESETUP, {[&](HWND dialog) {
                 opened = Boxes(dialog);
                 TypeName(dialog, L"Daily");
                 Click(dialog, IDC_KIND_COLORS);
                 Press(dialog, IDOK);
               }});
  EXPECT_EQ(opened, (std::vector<UINT>{1, 1, 0, 0, 0})) << "Format and Titles for a first setup";
  EXPECT_EQ(app().settings.setups.CurrentSetup, L"Setup: Daily");
  EXPECT_EQ(Stored(L"Setup: Daily", L"SaveOptions"), L"771");
  EXPECT_EQ(Stored(L"Setup: Daily", L"Format"), L"1");
  EXPECT_EQ(Stored(L"Setup List", L"Setup1"), L"Daily");

  Command(IDM_TEXT);
  app().settings.options.TabLength = 8;
  bool stayed = false;
  DriveCommand(IDM_LOADSETUP,
               {[&](HWND dialog) {
                  EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_SETUP_LIST, LB_GETCURSEL, 0, 0), 0)
                      << "the current setup is picked";
                  SendDlgItemMessageW(dialog, IDC_SETUP_LIST, LB_SETCURSEL, static_cast<WPARAM>(-1),
                                      0);
                  Press(dialog, IDOK);  // nothing picked: a beep
                },
                [&](HWND dialog) {
                  stayed = IsWindowVisible(dialog);
                  SendDlgItemMessageW(dialog, IDC_SETUP_LIST, LB_SETCURSEL, 0, 0);
                  Press(dialog, IDOK);
                }});
  EXPECT_TRUE(stayed);
  EXPECT_EQ(notifier.beeps, (std::vector<uint32_t>{kIconAsterisk}));
  EXPECT_EQ(app().settings.options.Format, kFormatHex);
  EXPECT_EQ(app().settings.options.TabLength, 3);
  EXPECT_EQ(app().settings.setups.SetupKinds, 771u);
}

TEST_F(SetupDialogs, SaveSetupRefusesBadNamesAndNeedsAKind) {
  Start();
  bool okWithoutKinds = true;
  DriveCommand(IDM_SAVESETUP, {[&](HWND dialog) {
                 for (const wchar_t* name : {L"", L" lead"}) {
                   TypeName(dialog, name);
                   Press(dialog, IDOK);
                 }
                 TypeName(dialog, std::wstring(57, L'n'));
                 Press(dialog, IDOK);
                 HWND name = GetDlgItem(dialog, IDC_SETUP_NAME);
                 EXPECT_TRUE(GetFocus() == name || IsChild(name, GetFocus())) << "back in the name";
                 Click(dialog, IDC_KIND_FORMAT);
                 Click(dialog, IDC_KIND_TITLES);
                 okWithoutKinds = OkEnabled(dialog);
                 Click(dialog, IDC_KIND_TITLES);
                 TypeName(dialog, std::wstring(56, L'n'));
                 Press(dialog, IDOK);
               }});
  EXPECT_EQ(TakeShown(),
            (std::vector<std::wstring>{L"Tessary: You must select a name.",
                                       L"Tessary: The setup name must not begin with a space.",
                                       L"Tessary: The selected setup name is too long."}));
  EXPECT_FALSE(okWithoutKinds);
  EXPECT_EQ(app().settings.setups.CurrentSetup, L"Setup: " + std::wstring(56, L'n'))
      << "56 characters fit";
  EXPECT_EQ(app().settings.setups.SetupKinds, static_cast<uint32_t>(kKindTitles));
}

TEST_F(SetupDialogs, LoadSetupRefusesANameTooLong) {
  Start("",
        {{L"Setup List", L"Setup1", L"nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn"}});
  DriveCommand(IDM_LOADSETUP, {[&](HWND dialog) {
                 SendDlgItemMessageW(dialog, IDC_SETUP_LIST, LB_SETCURSEL, 0, 0);
                 Press(dialog, IDOK);
               }});
  EXPECT_EQ(TakeShown(), std::vector<std::wstring>{L"Tessary: Selected name too long."});
  EXPECT_EQ(notifier.beeps, (std::vector<uint32_t>{kIconHand, kIconHand}));
  EXPECT_EQ(app().settings.setups.CurrentSetup, L"");
}

// Checked kinds are written, unchecked ones reset, grey ones kept.
TEST_F(SetupDialogs, SaveOptionsWritesResetsAndKeeps) {
  Start("", {{L"Titles", L"Titles", L"1"},
             {L"Titles", L"Title1", L"kept?"},
             {L"Page Setup", L"PrintOptions", L"5"}});
  std::vector<UINT> opened;
  bool okAllGrey = true;
  DriveCommand(IDM_SAVEOPTIONS, {[&](HWND dialog) {
                 opened = Boxes(dialog);
                 for (int id = IDC_KIND_FORMAT; id <= IDC_KIND_COLORS; ++id) {
                   CheckDlgButton(dialog, id, BST_INDETERMINATE);
                 }
                 Click(dialog, IDC_KIND_PAGESETUP);  // grey to unchecked, and back to grey
                 Click(dialog, IDC_KIND_PAGESETUP);
                 Click(dialog, IDC_KIND_PAGESETUP);
                 okAllGrey = OkEnabled(dialog);
                 CheckDlgButton(dialog, IDC_KIND_FORMAT, BST_CHECKED);
                 CheckDlgButton(dialog, IDC_KIND_TITLES, BST_UNCHECKED);
                 Click(dialog, IDC_KIND_COLORS);  // grey to unchecked: reset
                 Press(dialog, IDOK);
               }});
  EXPECT_EQ(opened, (std::vector<UINT>{1, 1, 2, 2, 1}));
  EXPECT_FALSE(okAllGrey);
  EXPECT_EQ(Stored(L"Tessary", L"TabLength"), L"8") << "Format written";
  EXPECT_FALSE(Stored(L"Titles", L"Titles")) << "Titles reset";
  EXPECT_EQ(Stored(L"Page Setup", L"PrintOptions"), L"5") << "Page Setup kept";
}

TEST_F(SetupDialogs, AboutShowsTheVersionAndTheBuildStamp) {
  Start();
  std::wstring line;
  DriveCommand(IDM_ABOUT, {[&](HWND dialog) {
                 wchar_t text[200] = {};
                 GetDlgItemTextW(dialog, IDC_ABOUT_VERSION, text, 200);
                 line = text;
                 Press(dialog, IDOK);
               }});
  EXPECT_TRUE(std::regex_match(
      std::string(line.begin(), line.end()),
      std::regex(
          R"(Version: 1, 9, 5219, 0, [A-Z][a-z]{2} [ 1-3][0-9] [0-9]{4}, [0-2][0-9]:[0-5][0-9]:[0-5][0-9])")))
      << std::string(line.begin(), line.end());
}

}  // namespace
}  // namespace zorvo
