// The option dialogs: Freeze Columns (freeze_columns_dialog.cpp), Color
// Selection and Print Shade Selection (color_dialogs.cpp), and what they
// share. Each is modal and returns 1 when it changed something, else 0.
#pragma once

#include <windows.h>

#include <functional>
#include <string_view>

#include "common/exception_guard.h"

namespace zorvo {

// Mark > Freeze Columns: sets ViewOptions().FreezeColumns. `example` is a
// line of the file in its display bytes, shown over a column scale.
int FreezeColumnsDialog(HWND owner, std::string_view example);

// Format > Color: edits the screen entries of Colors() on a working copy.
int ColorDialog(HWND owner);

// The grey shades of Colors() used for printing (reached from Page Setup).
int PrintShadeDialog(HWND owner);

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

// Shared by the dialogs (freeze_columns_dialog.cpp).

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
// The number in `field` when it is one from `min` to `max`. Otherwise the
// "Bad Options" message naming the field (`name`, null: "Value"), focus on
// the field, an information beep, and false.
bool CheckIntField(HWND dialog, int field, int min, int max, const wchar_t* name, int& value);
// Topic `context` of the help file; a warning beep when it cannot be shown.
void ShowDialogHelp(HWND dialog, DWORD context);

}  // namespace zorvo
