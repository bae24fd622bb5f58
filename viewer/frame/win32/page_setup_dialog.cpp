// File > Page Setup: the heading, margins, options and shading of printed
// pages. The margins show in inches or centimetres after the regional
// measurement system; nothing is taken before OK or Save.
#include "viewer/settings/page_setup_dialog.h"

#include <windows.h>

#include <array>
#include <cstdint>

#include "viewer/frame/win32/dialogs.h"
#include "viewer/frame/win32/frame.h"
#include "viewer/resources/resource.h"
#include "viewer/settings/format_options.h"
#include "viewer/settings/profile_store.h"

namespace zorvo {

namespace {

constexpr DWORD kPageSetupHelp = 112;

// The boxes of the print options word; OK makes the word from these alone.
struct OptionBox {
  int id;
  uint32_t bit;
};
constexpr OptionBox kOptionBoxes[] = {
    {IDC_PAGE_DATETIME, 0x1},        {IDC_PAGE_NUMBER, 0x2},
    {IDC_PAGE_FILENAME, 0x4},        {IDC_PAGE_FULLPATH, 0x8},
    {IDC_PAGE_EJECT, 0x100},         {IDC_PAGE_TITLES, 0x200},
    {IDC_PAGE_SHADE_TAGS, 0x400},    {IDC_PAGE_SHADE_SELECTION, 0x800},
    {IDC_PAGE_EVEN_IF_TAGS, 0x2000},
};

struct MarginField {
  int id;
  const wchar_t* name;
};
// In the order of PageMargins: top, left, right, bottom.
constexpr std::array<MarginField, 4> kMarginFields{{{IDC_PAGE_TOP, L"Page top margin"},
                                                    {IDC_PAGE_LEFT, L"Page left margin"},
                                                    {IDC_PAGE_RIGHT, L"Page right margin"},
                                                    {IDC_PAGE_BOTTOM, L"Page bottom margin"}}};

struct PageSetupState {
  MarginUnits units;
};

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void Check(HWND dialog, int id, bool on) {
  CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED);
}

void InitPageSetup(HWND dialog, PageSetupState& state) {
  Viewer& app = ViewerOf(dialog);
  const MeasurementSettings measurement = ReadMeasurementSettings();
  state.units = MarginUnitsFor(measurement.measure);
  SetDlgItemTextW(dialog, IDC_PAGE_MARGINS, state.units.metric ? L"Margins (cm)" : L"Margins (in)");
  const PageSetup& page = app.settings.pageSetup;
  for (const OptionBox& box : kOptionBoxes)
    Check(dialog, box.id, (page.PrintOptions & box.bit) != 0);
  Check(dialog, IDC_PAGE_AUTOFONT, page.PrintFontAutoSize != 0);
  Check(dialog, IDC_PAGE_MESSAGES, page.PrintMessages != 0);
  for (size_t i = 0; i < kMarginFields.size(); ++i) {
    SetDlgItemTextW(dialog, kMarginFields[i].id,
                    MarginFieldText(page.PageMargins[i], state.units, measurement.decimal).c_str());
  }
  EnableWindow(GetDlgItem(dialog, IDC_PAGE_SAVE), app.settings.profile().ReadOnly() == 0);
}

// OK and Save: every margin is checked before anything is taken.
void Commit(HWND dialog, const PageSetupState& state, bool save) {
  Viewer& app = ViewerOf(dialog);
  std::array<int32_t, 4> margins{};
  for (size_t i = 0; i < kMarginFields.size(); ++i) {
    int value = 0;
    if (!CheckDecimalField(dialog, kMarginFields[i].id, state.units.decimals, state.units.max,
                           kMarginFields[i].name, value)) {
      return;
    }
    margins[i] = MarginFromField(value, state.units);
  }
  PageSetup& page = app.settings.pageSetup;
  page.PageMargins = margins;
  page.PrintOptions = 0;
  for (const OptionBox& box : kOptionBoxes) {
    if (Checked(dialog, box.id)) page.PrintOptions |= box.bit;
  }
  page.PrintFontAutoSize = Checked(dialog, IDC_PAGE_AUTOFONT) ? 1 : 0;
  page.PrintMessages = Checked(dialog, IDC_PAGE_MESSAGES) ? 1 : 0;
  if (save) SavePageSetup(app.settings, kPageSetupSection);
  EndDialog(dialog, 1);
}

INT_PTR HandlePageSetup(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    InitPageSetup(dialog, *reinterpret_cast<PageSetupState*>(lParam));
    DialogReady(dialog);
    return TRUE;
  }
  const auto* state = reinterpret_cast<const PageSetupState*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (message != WM_COMMAND || !state) return FALSE;
  switch (LOWORD(wParam)) {
    case IDOK:
      Commit(dialog, *state, false);
      return TRUE;
    case IDC_PAGE_SAVE:
      Commit(dialog, *state, true);
      return TRUE;
    case IDCANCEL:
      EndDialog(dialog, 0);
      return TRUE;
    case IDC_PAGE_SHADES:
      PrintShadeDialog(dialog);
      return TRUE;
    case IDC_PAGE_HELP:
      ShowDialogHelp(dialog, kPageSetupHelp);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

int PageSetupDialog(HWND owner) {
  PageSetupState state;
  return RunDialog(owner, L"PageSetup", &GuardedDialogProc<HandlePageSetup>, &state);
}

}  // namespace zorvo
