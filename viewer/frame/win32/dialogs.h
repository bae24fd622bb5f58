// The option dialogs: Display Formatting and the font (options_dialog.cpp),
// Page Setup (page_setup_dialog.cpp), Go To (go_to_dialog.cpp), Freeze
// Columns (freeze_columns_dialog.cpp),
// Color Selection and Print Shade Selection (color_dialogs.cpp), and what
// every dialog shares (dialogs.cpp): running one, its field checks and its
// help. Each is modal and returns 1 when it changed something, else 0.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "common/exception_guard.h"
#include "viewer/frame/go_to.h"

namespace zorvo {

// Mark > Freeze Columns: sets the options' FreezeColumns. `example` is a
// line of the file in its display bytes, shown over a column scale.
int FreezeColumnsDialog(HWND owner, std::string_view example);

// Format > Color: edits the screen entries of the settings' colours on a
// working copy.
int ColorDialog(HWND owner);

// The grey shades of the settings' colours used for printing (reached from
// Page Setup).
int PrintShadeDialog(HWND owner);

// File > Page Setup: edits the page setup of the settings; 1 on OK or Save, which also
// writes section "Page Setup".
int PageSetupDialog(HWND owner);

// The picker "Change" opens on `color`; true with `color` set when one was
// chosen. `custom` holds the 16 custom colours, kept for the run.
using ColorPicker = std::function<bool(HWND owner, COLORREF& color, COLORREF* custom)>;
// Empty: the system's colour dialog. The window tests put their own here,
// as they cannot drive the system's.
void SetColorPicker(ColorPicker picker);

// Called with each of these dialogs once it is filled in. The window tests
// drive the modal dialogs from here (timers and posted messages run inside
// the dialog's own message loop).
using DialogHook = std::function<void(HWND dialog)>;
void SetDialogInitHook(DialogHook hook);  // empty: none

// Format > Options: edits the display options; 1 on OK or Save. The caller
// then makes the font and lays the view out again, whatever the result.
int DisplayFormattingDialog(HWND owner);

// Format > Font: the system's font dialog on the screen font; 1 when a font
// was chosen (FontFace, FontSize, FontWeight and FontItalic are set).
int ChooseScreenFont(HWND owner);
// The picker the font command opens on `font`; true with `font` and
// `pointTenths` (the size in tenths of a point) set when one was chosen.
using FontPicker = std::function<bool(HWND owner, LOGFONTW& font, int& pointTenths)>;
// Empty: the system's font dialog. The window tests put their own here.
void SetFontPicker(FontPicker picker);

// Edit > Go To: 1 with `request` filled on OK. `limits` null keeps those of
// the previous use.
int GoToDialog(HWND owner, const GoToLimits* limits, GoToRequest& request);
// More pages are known while the dialog is open: it offers them at once.
void GoToPagesKnown(int32_t pages);

// Shared by the dialogs (dialogs.cpp).

// Runs dialog template `name` with `state` as its init parameter; 1 when it
// ended with 1, else 0.
int RunDialog(HWND owner, const wchar_t* name, DLGPROC procedure, void* state);

// What every dialog does when its procedure fails: a stop beep, and the
// dialog ends as Cancel ends it, so that nothing half done is kept.
INT_PTR DialogFailed(HWND dialog);

// A dialog procedure that lets no exception unwind through the system's
// frames: a failure ends the dialog through DialogFailed.
template <INT_PTR (*Handle)(HWND, UINT, WPARAM, LPARAM)>
INT_PTR CALLBACK GuardedDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  return Guarded([&] { return Handle(dialog, message, wParam, lParam); },
                 [dialog](GuardFailure) { return DialogFailed(dialog); });
}

// Calls the init hook; every dialog's WM_INITDIALOG ends here.
void DialogReady(HWND dialog);
// The text of control `id`.
std::wstring DialogItemText(HWND dialog, int id);

// The field checks. Each gives the value and true when the field holds
// what it asks for; otherwise the "Bad Options" message naming the field
// (`name`, null: "Value"), with an error beep and icon, then the focus on
// the field, an information beep, and false.
// A number from `min` to `max`.
bool CheckIntField(HWND dialog, int field, int min, int max, const wchar_t* name, int& value);
// A decimal number with `decimals` places (regional decimal separator) from
// 0 to `max`, in units of the last place: 2.54 with 2 decimals is 254.
bool CheckDecimalField(HWND dialog, int field, int decimals, int max, const wchar_t* name,
                       int& value);
// A 64-bit number from `min` to `max`: decimal, hex after 0x, octal after 0.
bool CheckOffsetField(HWND dialog, int field, int64_t min, int64_t max, const wchar_t* name,
                      int64_t& value);
// An entry chosen in the list `list` (its index); null name: "value".
bool CheckChoice(HWND dialog, int list, const wchar_t* name, int& selection);
// Topic `context` of the help file; a warning beep when it cannot be shown.
void ShowDialogHelp(HWND dialog, DWORD context);

}  // namespace zorvo
