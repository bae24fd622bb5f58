// The Freeze Columns dialog: the number of columns, picked by clicking a
// column of the top line or of a scale.
#include <windows.h>

#include <algorithm>
#include <string>

#include "viewer/frame/win32/dialogs.h"
#include "viewer/frame/win32/frame.h"
#include "viewer/frame/win32/screen_font.h"
#include "viewer/resources/resource.h"
#include "viewer/settings/format_options.h"

namespace zorvo {

namespace {

// Sent by the example and the scale after a click or a key: wParam is the
// field whose caret column becomes the number.
constexpr UINT UM_CARET_COLUMN = WM_APP + 1;
constexpr DWORD kFreezeHelp = 192;
constexpr int kMaxFreeze = 255;
constexpr size_t kMaxExample = 511;
constexpr char kScale[] =
    "....+....1....+....2....+....3....+....4....+....5....+....6....+....7....+....8";
constexpr wchar_t kOriginalProc[] = L"Zorvo.EditProc";
constexpr int kSampleFields[] = {IDC_FREEZE_EXAMPLE, IDC_FREEZE_SCALE};

struct FreezeState {
  std::string example;
  HFONT font = nullptr;
};

// The example and the scale: edit controls that also tell the dialog where
// the caret went, once the control itself has moved it.
LRESULT SampleField(HWND field, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto original = reinterpret_cast<WNDPROC>(GetPropW(field, kOriginalProc));
  if (!original) return DefWindowProcW(field, message, wParam, lParam);
  const LRESULT result = CallWindowProcW(original, field, message, wParam, lParam);
  if (message == WM_LBUTTONDOWN || message == WM_KEYDOWN) {
    SendMessageW(GetParent(field), UM_CARET_COLUMN, static_cast<WPARAM>(GetDlgCtrlID(field)), 0);
  }
  return result;
}

LRESULT CALLBACK SampleFieldProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam) {
  return Guarded([&] { return SampleField(field, message, wParam, lParam); },
                 [field](GuardFailure) -> LRESULT { return DialogFailed(GetParent(field)); });
}

void Subclass(HWND field) {
  if (!field || GetPropW(field, kOriginalProc)) return;
  const LONG_PTR original = GetWindowLongPtrW(field, GWLP_WNDPROC);
  if (!SetPropW(field, kOriginalProc, reinterpret_cast<HANDLE>(original))) return;
  SetWindowLongPtrW(field, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SampleFieldProc));
}

void Unsubclass(HWND field) {
  if (!field) return;
  if (HANDLE original = GetPropW(field, kOriginalProc)) {
    SetWindowLongPtrW(field, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    RemovePropW(field, kOriginalProc);
  }
}

// The screen font's face at 8 points, so that the columns line up as on the
// screen and 80 of them fit; the record itself keeps its height.
HFONT SampleFont(HWND dialog) {
  LOGFONTW font = ScreenFontRecord();
  HDC dc = GetDC(dialog);
  const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
  if (dc) ReleaseDC(dialog, dc);
  font.lfHeight = -((dpi * 8 + 35) / 72);
  return CreateFontIndirectW(&font);
}

void InitFreeze(HWND dialog, FreezeState& state) {
  Viewer& app = ViewerOf(dialog);
  SetDlgItemInt(dialog, IDC_FREEZE_COUNT, static_cast<UINT>(app.settings.options.FreezeColumns),
                TRUE);
  // A NUL would cut the example short and shift nothing after it into place.
  std::string example = state.example.substr(0, kMaxExample);
  std::replace(example.begin(), example.end(), '\0', ' ');
  SetDlgItemTextA(dialog, IDC_FREEZE_EXAMPLE, example.c_str());
  SetDlgItemTextA(dialog, IDC_FREEZE_SCALE, kScale);
  state.font = SampleFont(dialog);
  for (const int id : kSampleFields) {
    HWND field = GetDlgItem(dialog, id);
    if (state.font) SendMessageW(field, WM_SETFONT, reinterpret_cast<WPARAM>(state.font), FALSE);
    Subclass(field);
  }
}

// Every way out ends here, the dialog's own WM_DESTROY: the fields get their
// own procedure back before the font goes.
void CleanUpFreeze(HWND dialog, FreezeState& state) {
  for (const int id : kSampleFields) {
    HWND field = GetDlgItem(dialog, id);
    Unsubclass(field);
    if (state.font) SendMessageW(field, WM_SETFONT, 0, FALSE);
  }
  if (state.font) DeleteObject(state.font);
  state.font = nullptr;
}

INT_PTR HandleFreeze(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  Viewer& app = ViewerOf(dialog);
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    InitFreeze(dialog, *reinterpret_cast<FreezeState*>(lParam));
    DialogReady(dialog);
    return TRUE;
  }
  auto* state = reinterpret_cast<FreezeState*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (!state) return FALSE;
  switch (message) {
    case UM_CARET_COLUMN: {
      DWORD start = 0;
      SendDlgItemMessageW(dialog, static_cast<int>(wParam), EM_GETSEL,
                          reinterpret_cast<WPARAM>(&start), 0);
      SetDlgItemInt(dialog, IDC_FREEZE_COUNT, start, FALSE);
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK: {
          int columns = 0;
          if (CheckIntField(dialog, IDC_FREEZE_COUNT, 0, kMaxFreeze, L"Number of columns to lock",
                            columns)) {
            app.settings.options.FreezeColumns = columns;
            EndDialog(dialog, 1);
          }
          return TRUE;
        }
        case IDCANCEL:
          EndDialog(dialog, 0);
          return TRUE;
        case IDC_FREEZE_HELP:
          ShowDialogHelp(dialog, kFreezeHelp);
          return TRUE;
        default:
          return FALSE;
      }
    case WM_DESTROY:
      CleanUpFreeze(dialog, *state);
      SetWindowLongPtrW(dialog, DWLP_USER, 0);
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

int FreezeColumnsDialog(HWND owner, std::string_view example) {
  FreezeState state;
  state.example.assign(example.substr(0, kMaxExample));
  return RunDialog(owner, L"FreezeColumns", &GuardedDialogProc<HandleFreeze>, &state);
}

}  // namespace zorvo
