// Color Selection (the screen colours) and Print Shade Selection (the greys
// printing uses). Both work on a copy of the colour table and put it back
// only on OK.
#include <windows.h>
// After windows.h, which it needs.
#include <commdlg.h>

#include <algorithm>
#include <array>
#include <cwchar>
#include <iterator>
#include <utility>

#include "viewer/frame/win32/dialogs.h"
#include "viewer/frame/win32/frame.h"
#include "viewer/resources/resource.h"
#include "viewer/settings/colors.h"
#include "viewer/settings/format_options.h"

namespace zorvo {

namespace {

constexpr DWORD kColorHelp = 128;
constexpr DWORD kShadeHelp = 112;

// Kept for the run, never saved: a colour mixed once is there next time.
COLORREF customColors[16] = {};

ColorPicker& Picker() {
  static ColorPicker picker;
  return picker;
}

bool SystemPicker(HWND owner, COLORREF& color, COLORREF* custom) {
  CHOOSECOLORW choose{};
  choose.lStructSize = sizeof choose;
  choose.hwndOwner = owner;
  choose.rgbResult = color;
  choose.lpCustColors = custom;
  choose.Flags = CC_RGBINIT | CC_FULLOPEN;
  if (!ChooseColorW(&choose)) return false;
  color = choose.rgbResult;
  return true;
}

// Color Selection.

// A sample shows a line kind in its colours; a click on it selects them in
// the list.
struct Sample {
  int id;
  int text;
  int background;
  const wchar_t* label;  // null: the window background, no text
};

constexpr Sample kSamples[] = {
    {IDC_SAMPLE_TITLE, kHeadingText, kHeadingBgnd, L"Title line"},
    {IDC_SAMPLE_TAGGED, kTagText, kTagBgnd, L"Tagged line"},
    {IDC_SAMPLE_ERROR, kMessageText, kMessageBgnd, L"*** Error message ***"},
    {IDC_SAMPLE_INFO, kCommentText, kCommentBgnd, L" [Information]"},
    {IDC_SAMPLE_TEXT1, kWindowText, kWindowBgnd, L"Text line"},
    {IDC_SAMPLE_TEXT2, kWindowText, kWindowBgnd, L"Text line"},
    {IDC_SAMPLE_TEXT3, kWindowText, kWindowBgnd, L"Text line"},
    {IDC_SAMPLE_TEXT4, kWindowText, kWindowBgnd, L"Text line"},
    {IDC_SAMPLE_TEXT5, kWindowText, kWindowBgnd, L"Text line"},
    {IDC_SAMPLE_TEXT6, kWindowText, kWindowBgnd, L"Text line"},
    {IDC_SAMPLE_SIDE, kBackground, kBackground, nullptr},
    {IDC_SAMPLE_BELOW, kBackground, kBackground, nullptr},
};

const Sample* SampleOf(int id) {
  for (const Sample& sample : kSamples) {
    if (sample.id == id) return &sample;
  }
  return nullptr;
}

struct ColorState {
  ColorTable working{};
};

void RepaintSamples(HWND dialog) {
  for (const Sample& sample : kSamples)
    InvalidateRect(GetDlgItem(dialog, sample.id), nullptr, FALSE);
}

// The list entry chosen; the first when none is.
int SelectedEntry(HWND dialog) {
  const LRESULT index = SendDlgItemMessageW(dialog, IDC_COLOR_LIST, CB_GETCURSEL, 0, 0);
  return index >= 0 && index < kPrintText ? static_cast<int>(index) : 0;
}

void DrawSample(const DRAWITEMSTRUCT& item, const ColorTable& working) {
  const Sample* sample = SampleOf(static_cast<int>(item.CtlID));
  if (!sample) return;
  HDC dc = item.hDC;
  const RECT& rc = item.rcItem;
  if (!sample->label) {
    // As the window draws the area below the last line: only the top edge
    // of the rectangle falls inside, outlined for the sample below the text.
    HBRUSH brush = CreateSolidBrush(working[kBackground]);
    if (!brush) return;
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    HGDIOBJ oldPen =
        sample->id == IDC_SAMPLE_SIDE ? SelectObject(dc, GetStockObject(NULL_PEN)) : nullptr;
    Rectangle(dc, rc.left - 1, rc.top, rc.right + 1, rc.bottom + 1);
    if (oldPen) SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(brush);
    return;
  }
  SetTextColor(dc, working[sample->text]);
  SetBkColor(dc, working[sample->background]);
  const UINT length = static_cast<UINT>(wcslen(sample->label));
  SIZE extent{0, 0};
  GetTextExtentPoint32W(dc, sample->label, static_cast<int>(length), &extent);
  const int y = rc.top + std::max<int>(0, (rc.bottom - rc.top - extent.cy) / 2);
  ExtTextOutW(dc, rc.left + 2, y, ETO_OPAQUE | ETO_CLIPPED, &rc, sample->label, length, nullptr);
}

// The sample's text colour; its background when the text is already chosen,
// so that two clicks reach both.
void PickSample(HWND dialog, const Sample& sample) {
  HWND list = GetDlgItem(dialog, IDC_COLOR_LIST);
  const LRESULT current = SendMessageW(list, CB_GETCURSEL, 0, 0);
  const int entry = current == sample.text ? sample.background : sample.text;
  SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(entry), 0);
}

void ChangeColor(HWND dialog, ColorState& state) {
  const int entry = SelectedEntry(dialog);
  COLORREF color = state.working[entry];
  const bool chosen =
      Picker() ? Picker()(dialog, color, customColors) : SystemPicker(dialog, color, customColors);
  if (!chosen) return;
  state.working[entry] = color;
  RepaintSamples(dialog);
}

INT_PTR HandleColors(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  Viewer& app = ViewerOf(dialog);
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    auto& state = *reinterpret_cast<ColorState*>(lParam);
    state.working = app.settings.colors;
    HWND list = GetDlgItem(dialog, IDC_COLOR_LIST);
    for (int i = 0; i < kPrintText; ++i) {
      SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ColorName(i)));
    }
    SendMessageW(list, CB_SETCURSEL, 0, 0);
    DialogReady(dialog);
    return TRUE;
  }
  auto* state = reinterpret_cast<ColorState*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (!state) return FALSE;
  switch (message) {
    case WM_DRAWITEM:
      if (lParam) DrawSample(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), state->working);
      return TRUE;
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (const Sample* sample = SampleOf(id)) {
        const int code = HIWORD(wParam);
        if (code == BN_CLICKED || code == BN_DOUBLECLICKED) PickSample(dialog, *sample);
        return TRUE;
      }
      switch (id) {
        case IDC_COLOR_CHANGE:
          ChangeColor(dialog, *state);
          return TRUE;
        case IDC_COLOR_RESET:
          ResetColorDefaults(SelectedEntry(dialog), state->working);
          RepaintSamples(dialog);
          return TRUE;
        case IDC_COLOR_RESETALL:
          ResetColorDefaults(-1, state->working);
          RepaintSamples(dialog);
          return TRUE;
        case IDC_COLOR_HELP:
          ShowDialogHelp(dialog, kColorHelp);
          return TRUE;
        case IDOK:
          app.settings.colors = state->working;
          EndDialog(dialog, 1);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, 0);
          return TRUE;
        default:
          return FALSE;
      }
    }
    case WM_DESTROY:
      SetWindowLongPtrW(dialog, DWLP_USER, 0);
      return FALSE;
    default:
      return FALSE;
  }
}

// Print Shade Selection.

struct ShadeField {
  int id;
  int entry;
  const wchar_t* name;
};

// In the order the fields are filled and checked.
constexpr ShadeField kShadeFields[] = {
    {IDC_SHADE_NORMAL, kPrintText, L"Normal line text shade"},
    {IDC_SHADE_NORMALB, kPrintTextB, L"Normal line background shade"},
    {IDC_SHADE_TAGGED, kPrintTag, L"Tagged line text shade"},
    {IDC_SHADE_TAGGEDB, kPrintTagB, L"Tagged line background shade"},
    {IDC_SHADE_HEADING, kPrintHead, L"Heading text shade"},
    {IDC_SHADE_HEADINGB, kPrintHeadB, L"Heading background shade"},
    {IDC_SHADE_COMMENT, kPrintCmnt, L"Comment text shade"},
    {IDC_SHADE_COMMENTB, kPrintCmntB, L"Comment Background shade"},
    {IDC_SHADE_PAPER, kPrintBgnd, L"Paper background shade"},
};

constexpr int kLightest = 0, kDarkest = 8;

void ShowShades(HWND dialog, const ColorTable& working) {
  for (const ShadeField& field : kShadeFields) {
    SetDlgItemInt(dialog, field.id, static_cast<UINT>(ColorToShade(working[field.entry])), TRUE);
  }
}

// OK and Save: every field checked before any is taken.
void AcceptShades(HWND dialog, ColorState& state, bool save) {
  Viewer& app = ViewerOf(dialog);
  std::array<int, std::size(kShadeFields)> shades{};
  for (size_t i = 0; i < std::size(kShadeFields); ++i) {
    if (!CheckIntField(dialog, kShadeFields[i].id, kLightest, kDarkest, kShadeFields[i].name,
                       shades[i])) {
      return;
    }
  }
  for (size_t i = 0; i < std::size(kShadeFields); ++i) {
    state.working[kShadeFields[i].entry] = ShadeToColor(shades[i]);
  }
  app.settings.colors = state.working;
  if (save) SavePrintShades(app.settings, kColorsSection);
  EndDialog(dialog, 1);
}

INT_PTR HandleShades(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  Viewer& app = ViewerOf(dialog);
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    auto& state = *reinterpret_cast<ColorState*>(lParam);
    state.working = app.settings.colors;
    ShowShades(dialog, state.working);
    SetFocus(GetDlgItem(dialog, IDC_SHADE_NORMAL));
    DialogReady(dialog);
    return FALSE;  // the focus is set
  }
  auto* state = reinterpret_cast<ColorState*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (!state) return FALSE;
  switch (message) {
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          AcceptShades(dialog, *state, false);
          return TRUE;
        case IDC_SHADE_SAVE:
          AcceptShades(dialog, *state, true);
          return TRUE;
        case IDC_SHADE_RESETALL:
          ResetColorDefaults(-2, state->working);
          ShowShades(dialog, state->working);
          return TRUE;
        case IDC_SHADE_HELP:
          ShowDialogHelp(dialog, kShadeHelp);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, 0);
          return TRUE;
        default:
          return FALSE;
      }
    case WM_DESTROY:
      SetWindowLongPtrW(dialog, DWLP_USER, 0);
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

void SetColorPicker(ColorPicker picker) { Picker() = std::move(picker); }

int ColorDialog(HWND owner) {
  ColorState state;
  return RunDialog(owner, L"FormatColors", &GuardedDialogProc<HandleColors>, &state);
}

int PrintShadeDialog(HWND owner) {
  ColorState state;
  return RunDialog(owner, L"FormatShades", &GuardedDialogProc<HandleShades>, &state);
}

}  // namespace zorvo
