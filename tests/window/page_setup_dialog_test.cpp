// File > Page Setup on the real dialog over the main window: the margins
// in the regional units, the field checks, what OK and Save keep, and the
// Shades button.
#include <windows.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "dialog_driver.h"

namespace zorvo {
namespace {

constexpr int kHeadingAndOptionBoxes[] = {
    IDC_PAGE_FILENAME, IDC_PAGE_FULLPATH, IDC_PAGE_DATETIME,   IDC_PAGE_NUMBER,
    IDC_PAGE_EJECT,    IDC_PAGE_TITLES,   IDC_PAGE_SHADE_TAGS, IDC_PAGE_SHADE_SELECTION,
    IDC_PAGE_AUTOFONT, IDC_PAGE_MESSAGES};

std::wstring Margins(HWND dialog) {
  std::wstring out;
  for (const int id : {IDC_PAGE_TOP, IDC_PAGE_LEFT, IDC_PAGE_RIGHT, IDC_PAGE_BOTTOM}) {
    out += ItemText(dialog, id) + L" ";
  }
  return out;
}

std::wstring Boxes(HWND dialog) {
  std::wstring out;
  for (const int id : kHeadingAndOptionBoxes) out += IsChecked(dialog, id) ? L'x' : L'.';
  return out;
}

std::wstring Stored(Viewer& app, const wchar_t* key) {
  return app.settings.profile().backend().Read(kPageSetupSection, key).value_or(L"-");
}

// The regional measurement system as win.ini's [Intl] gives it; what was
// there is put back afterwards.
class PageSetupDialogTest : public DrivenDialogTest {
 protected:
  void SetUp() override {
    DrivenDialogTest::SetUp();
    measure = Saved(L"iMeasure");
    decimal = Saved(L"sDecimal");
    Regional(L"1");
  }
  void TearDown() override {
    WriteProfileStringW(L"Intl", L"iMeasure", measure.empty() ? nullptr : measure.c_str());
    WriteProfileStringW(L"Intl", L"sDecimal", decimal.empty() ? nullptr : decimal.c_str());
    DrivenDialogTest::TearDown();
  }
  static std::wstring Saved(const wchar_t* key) {
    wchar_t value[64];
    GetProfileStringW(L"Intl", key, L"", value, 64);
    return value;
  }
  static void Regional(const wchar_t* measureSystem) {
    ASSERT_TRUE(WriteProfileStringW(L"Intl", L"iMeasure", measureSystem));
    ASSERT_TRUE(WriteProfileStringW(L"Intl", L"sDecimal", L"."));
  }
  int Run(std::vector<Step> steps) {
    return Drive([this] { return PageSetupDialog(window); }, std::move(steps));
  }
  std::wstring measure, decimal;
};

TEST_F(PageSetupDialogTest, InchesAreCheckedInTurnAndOkTakesTheFieldsAndBoxes) {
  Start("", {{kPageSetupSection, L"PrintOptions", L"525314"},  // 0x80402
             {kPageSetupSection, L"PageMargins", L"50,254,0,300"},
             {kPageSetupSection, L"PrintFontAutoSize", L"1"}});
  std::vector<Step> steps{[&](HWND dialog) {
    wchar_t title[64] = {};
    GetWindowTextW(dialog, title, 64);
    EXPECT_EQ(std::wstring(title), L"Page Setup");
    EXPECT_EQ(ItemText(dialog, IDC_PAGE_MARGINS), L"Margins (in)");
    EXPECT_EQ(Margins(dialog), L"0.5 2.54 0 3 ");
    EXPECT_EQ(Boxes(dialog), L"...x..x.x.");
    EXPECT_FALSE(GetWindowLongW(GetDlgItem(dialog, IDC_PAGE_EVEN_IF_TAGS), GWL_STYLE) & WS_VISIBLE);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_PAGE_SAVE)));
  }};
  // Each field refused by its own name, then set right for the next.
  const struct {
    int field;
    const wchar_t* bad;
    const wchar_t* message;
    const wchar_t* good;
  } refused[] = {
      {IDC_PAGE_TOP, L"3.01", L"Page top margin must be a number between 0 and 3!", L"0.75"},
      {IDC_PAGE_LEFT, L"1,5", L"Invalid character \",\" in Page left margin.", L"1.5"},
      {IDC_PAGE_RIGHT, L"-1", L"Page right margin must be a number between 0 and 3!", L"3"},
      {IDC_PAGE_BOTTOM, L"", L"Page bottom margin must be a number between 0 and 3!", L" .259"},
  };
  for (const auto& r : refused) {
    steps.push_back(Refused(r.field, r.bad, r.message));
    steps.push_back([r](HWND dialog) { SetItem(dialog, r.field, r.good); });
  }
  steps.push_back([&](HWND dialog) {
    EXPECT_EQ(app().settings.pageSetup.PageMargins[0], 50) << "nothing is taken before all pass";
    CheckDlgButton(dialog, IDC_PAGE_NUMBER, BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_PAGE_EJECT, BST_CHECKED);
    CheckDlgButton(dialog, IDC_PAGE_MESSAGES, BST_CHECKED);
    Press(dialog, IDOK);
  });
  EXPECT_EQ(Run(std::move(steps)), 1);
  const PageSetup& page = app().settings.pageSetup;
  EXPECT_EQ(page.PageMargins, (std::array<int32_t, 4>{75, 150, 300, 25}));
  EXPECT_EQ(page.PrintOptions, 0x500u) << "made from the boxes alone";
  EXPECT_EQ(page.PrintFontAutoSize, 1);
  EXPECT_EQ(page.PrintMessages, 1);
  EXPECT_EQ(Stored(app(), L"PageMargins"), L"50,254,0,300") << "OK does not save";
}

TEST_F(PageSetupDialogTest, CentimetresComeBackAsTypedAndSaveWritesThePageSetup) {
  Regional(L"0");
  Start();
  Run({[&](HWND dialog) {
         EXPECT_EQ(ItemText(dialog, IDC_PAGE_MARGINS), L"Margins (cm)");
         EXPECT_EQ(Margins(dialog), L"1.2 1.2 1.2 1.2 ") << "half an inch, in tenths of a cm";
       },
       Refused(IDC_PAGE_TOP, L"7.6", L"Page top margin must be a number between 0 and 7.5!"),
       [&](HWND dialog) {
         SetItem(dialog, IDC_PAGE_TOP, L"2.5");
         SetItem(dialog, IDC_PAGE_BOTTOM, L"7.5");
         Press(dialog, IDC_PAGE_SAVE);
       }});
  EXPECT_EQ(app().settings.pageSetup.PageMargins, (std::array<int32_t, 4>{100, 48, 48, 300}));
  EXPECT_EQ(Stored(app(), L"PageMargins") + L";" + Stored(app(), L"PrintOptions") + L";" +
                Stored(app(), L"PrintFontAutoSize") + L";" + Stored(app(), L"PrintMessages"),
            L"100,48,48,300;1551;0;0");
  // Opened again: as typed. A read-only profile cannot be saved to.
  app().settings.store = std::make_unique<ProfileStore>(MakeMemoryBackend(), -1);
  EXPECT_EQ(Run({[&](HWND dialog) {
              EXPECT_EQ(Margins(dialog), L"2.5 1.2 1.2 7.5 ");
              EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_PAGE_SAVE)));
              SetItem(dialog, IDC_PAGE_TOP, L"0");
              Press(dialog, IDCANCEL);
            }}),
            0);
  EXPECT_EQ(app().settings.pageSetup.PageMargins[0], 100) << "Cancel keeps the page setup";
}

TEST_F(PageSetupDialogTest, TheMenuCommandOpensItAndShadesOpensPrintShadeSelection) {
  Start();
  static std::wstring shadeTitle;
  static HWND shadeOwner = nullptr;
  static HWND pageSetup = nullptr;
  shadeTitle.clear();
  shadeOwner = pageSetup = nullptr;
  DriveCommand(IDM_PAGESETUP, {[&](HWND dialog) {
                                 pageSetup = dialog;
                                 // The shade dialog runs its own loop: this dialog's steps
                                 // wait until it is gone.
                                 KillTimer(dialog, 1);
                                 SetDialogInitHook([&](HWND shades) {
                                   wchar_t title[64] = {};
                                   GetWindowTextW(shades, title, 64);
                                   shadeTitle = title;
                                   shadeOwner = GetWindow(shades, GW_OWNER);
                                   PostMessageW(shades, WM_COMMAND, IDCANCEL, 0);
                                 });
                                 Press(dialog, IDC_PAGE_SHADES);
                                 SetDialogInitHook({});
                                 SetTimer(dialog, 1, 5, Tick);
                               },
                               [&](HWND dialog) {
                                 EXPECT_TRUE(IsWindowEnabled(dialog)) << "back after the shades";
                                 Press(dialog, IDCANCEL);
                               }});
  EXPECT_EQ(shadeTitle, L"Print Shade Selection");
  EXPECT_EQ(shadeOwner, pageSetup);
}

}  // namespace
}  // namespace zorvo
