// Format > Options (the Display Formatting dialog) and Format > Font. The
// dialog edits a working set of the three options words; nothing but a
// font or colours chosen from it is kept unless OK or Save is pressed.
#include <windows.h>
// After windows.h, which it needs.
#include <commdlg.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <utility>
#include <vector>

#include "viewer/frame/view_state.h"
#include "viewer/frame/win32/dialogs.h"
#include "viewer/frame/win32/frame.h"
#include "viewer/frame/win32/screen_font.h"
#include "viewer/resources/resource.h"
#include "viewer/settings/colors.h"
#include "viewer/settings/format_dialog.h"
#include "viewer/settings/format_options.h"
#include "viewer/settings/profile_store.h"

namespace zorvo {

namespace {

constexpr DWORD kOptionsHelp = 96;
constexpr wchar_t kCarriageSection[] = L"CarriageControl";
constexpr const wchar_t* kFormats[] = {L"Text", L"Hex Dump", L"Raw Text"};
constexpr const wchar_t* kCodes[] = {L"ANSI", L"ASCII", L"EBCDIC"};

struct OptionsState {
  FormatWorkingSet set;
  std::vector<std::wstring> carriageEntries;
};

FontPicker& Picker() {
  static FontPicker picker;
  return picker;
}

bool SystemFontPicker(HWND owner, LOGFONTW& font, int& pointTenths) {
  CHOOSEFONTW choose{};
  choose.lStructSize = sizeof choose;
  choose.hwndOwner = owner;
  choose.lpLogFont = &font;
  choose.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_FORCEFONTEXIST;
  if (!ChooseFontW(&choose)) return false;
  pointTenths = choose.iPointSize;
  return true;
}

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void Check(HWND dialog, int id, bool on) {
  CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED);
}

void Fill(HWND dialog, int list, const std::vector<std::wstring>& entries, int selected) {
  for (const std::wstring& entry : entries) {
    SendDlgItemMessageW(dialog, list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
  }
  SendDlgItemMessageW(dialog, list, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

int Selection(HWND dialog, int list) {
  return static_cast<int>(SendDlgItemMessageW(dialog, list, CB_GETCURSEL, 0, 0));
}

void ShowBoxes(HWND dialog, const FormatBoxes& boxes) {
  Check(dialog, IDC_FMT_WRAP, boxes.wrap);
  Check(dialog, IDC_FMT_BACKGROUND, boxes.background);
  Check(dialog, IDC_FMT_FIXEDLENGTH, boxes.fixedLength);
  Check(dialog, IDC_FMT_EXPANDTABS, boxes.expandTabs);
}

FormatBoxes Boxes(HWND dialog) {
  return {Checked(dialog, IDC_FMT_WRAP), Checked(dialog, IDC_FMT_BACKGROUND),
          Checked(dialog, IDC_FMT_FIXEDLENGTH), Checked(dialog, IDC_FMT_EXPANDTABS)};
}

std::vector<std::wstring> CarriageTables(Viewer& app) {
  return CarriageTableNames(app.settings.profile().backend().Keys(kCarriageSection));
}

void InitOptions(HWND dialog, OptionsState& state) {
  Viewer& app = ViewerOf(dialog);
  state.set = OpenFormatWorkingSet(app.settings);
  FormatOptions& options = app.settings.options;
  ShowBoxes(dialog, BoxesOf(state.set.words[static_cast<size_t>(state.set.shown)]));
  Fill(dialog, IDC_FMT_FORMAT, {std::begin(kFormats), std::end(kFormats)}, state.set.shown);
  Fill(dialog, IDC_FMT_CODE, {std::begin(kCodes), std::end(kCodes)}, options.CharCode);
  state.carriageEntries = CarriageControlEntries(CarriageTables(app));
  Fill(dialog, IDC_FMT_CCCHAR, state.carriageEntries,
       SelectCarriageEntry(app.settings, state.carriageEntries));
  SetDlgItemInt(dialog, IDC_FMT_LINELENGTH, static_cast<UINT>(options.MaxLineLength), TRUE);
  SetDlgItemInt(dialog, IDC_FMT_TABLENGTH, static_cast<UINT>(options.TabLength), TRUE);
  CheckDlgButton(dialog, IDC_FMT_VERTSCROLL,
                 static_cast<UINT>(std::clamp<int>(options.VertScroll, 0, 2)));
  CheckDlgButton(dialog, IDC_FMT_HORZSCROLL,
                 static_cast<UINT>(std::clamp<int>(options.HorzScroll, 0, 2)));
  Check(dialog, IDC_FMT_SAVEPOS, options.SaveWindowPos);
  Check(dialog, IDC_FMT_ESCEXIT, options.EscExit != 0);
  Check(dialog, IDC_FMT_CUA, options.CuaKeyboard != 0);
  Check(dialog, IDC_FMT_MESSAGES, options.ShowMessages != 0);
  EnableWindow(GetDlgItem(dialog, IDC_FMT_SAVE), app.settings.profile().ReadOnly() == 0);
  const bool diagnostic = app.settings.globals.DiagMode != 0;
  SetDlgItemTextW(dialog, IDC_FMT_PROFILE, diagnostic ? app.startup.profilePath.c_str() : L"");
  ShowWindow(GetDlgItem(dialog, IDC_FMT_PROFILE), diagnostic ? SW_SHOW : SW_HIDE);
}

// OK and Save: every field is checked before any is taken.
void Commit(HWND dialog, OptionsState& state, bool save) {
  Viewer& app = ViewerOf(dialog);
  FormatDialogFields fields;
  if (!CheckIntField(dialog, IDC_FMT_LINELENGTH, 4, 65536, L"Line length", fields.maxLineLength) ||
      !CheckIntField(dialog, IDC_FMT_TABLENGTH, 1, 256, L"Tab length", fields.tabLength) ||
      !CheckChoice(dialog, IDC_FMT_FORMAT, L"format", fields.format) ||
      !CheckChoice(dialog, IDC_FMT_CODE, L"code", fields.charCode)) {
    return;
  }
  fields.verticalScroll = static_cast<int>(IsDlgButtonChecked(dialog, IDC_FMT_VERTSCROLL));
  fields.horizontalScroll = static_cast<int>(IsDlgButtonChecked(dialog, IDC_FMT_HORZSCROLL));
  fields.escExit = Checked(dialog, IDC_FMT_ESCEXIT);
  fields.saveWindowPos = Checked(dialog, IDC_FMT_SAVEPOS);
  fields.cuaKeyboard = Checked(dialog, IDC_FMT_CUA);
  fields.showMessages = Checked(dialog, IDC_FMT_MESSAGES);
  fields.carriageEntry = std::max(Selection(dialog, IDC_FMT_CCCHAR), 0);
  if (static_cast<size_t>(fields.carriageEntry) < state.carriageEntries.size()) {
    fields.carriageName = state.carriageEntries[static_cast<size_t>(fields.carriageEntry)];
  }
  fields.boxes = Boxes(dialog);
  CommitFormatDialog(app.settings, state.set, fields);
  if (save) {
    // The window's rectangle, for "WindowPos" when Save window pos is on.
    RECT outer{};
    HWND owner = GetWindow(dialog, GW_OWNER);
    const bool placed = owner && GetWindowRect(owner, &outer);
    const WindowRect rect{outer.left, outer.top, outer.right, outer.bottom};
    SaveFormatOptions(app.settings, kOptionsSection, placed ? &rect : nullptr);
    SaveScreenColors(app.settings, kColorsSection);
  }
  EndDialog(dialog, 1);
}

INT_PTR HandleOptions(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  Viewer& app = ViewerOf(dialog);
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    InitOptions(dialog, *reinterpret_cast<OptionsState*>(lParam));
    DialogReady(dialog);
    return TRUE;
  }
  auto* state = reinterpret_cast<OptionsState*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (message != WM_COMMAND || !state) return FALSE;
  switch (LOWORD(wParam)) {
    case IDC_FMT_FORMAT:
      if (HIWORD(wParam) == CBN_SELCHANGE) {
        const int picked = Selection(dialog, IDC_FMT_FORMAT);
        if (picked >= 0) ShowBoxes(dialog, SwitchShownFormat(state->set, Boxes(dialog), picked));
      }
      return TRUE;
    case IDOK:
      Commit(dialog, *state, false);
      return TRUE;
    case IDC_FMT_SAVE:
      Commit(dialog, *state, true);
      return TRUE;
    case IDCANCEL:
      // A user table that is no longer offered counts as none from now on.
      DeriveCodeBits(app.settings);
      EndDialog(dialog, 0);
      return TRUE;
    case IDC_FMT_FONT:
      ChooseScreenFont(dialog);
      return TRUE;
    case IDC_FMT_COLOR:
      ColorDialog(dialog);
      return TRUE;
    case IDC_FMT_HELP:
      ShowDialogHelp(dialog, kOptionsHelp);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

int DisplayFormattingDialog(HWND owner) {
  OptionsState state;
  return RunDialog(owner, L"FormatOptions", &GuardedDialogProc<HandleOptions>, &state);
}

void SetFontPicker(FontPicker picker) { Picker() = std::move(picker); }

int ChooseScreenFont(HWND owner) {
  Viewer& app = ViewerOf(owner);
  FormatOptions& options = app.settings.options;
  LOGFONTW& font = ScreenFontRecord();
  std::wmemset(font.lfFaceName, 0, LF_FACESIZE);
  std::wcsncpy(font.lfFaceName, options.FontFace.c_str(), LF_FACESIZE - 1);
  int pointTenths = 0;
  const bool chosen =
      Picker() ? Picker()(owner, font, pointTenths) : SystemFontPicker(owner, font, pointTenths);
  if (!chosen) return 0;
  font.lfFaceName[LF_FACESIZE - 1] = L'\0';
  options.FontFace = font.lfFaceName;
  options.FontSize = pointTenths / 10;
  // The record's weight and italic are made from these at every new font.
  options.FontWeight = std::clamp<int32_t>(font.lfWeight, 0, 900);
  options.FontItalic = font.lfItalic;
  return 1;
}

}  // namespace zorvo
