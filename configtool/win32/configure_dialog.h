// Vantric's one dialog: the texts of the context-menu entry and the viewer's
// path, read from the registry when it opens and written back on OK.
#pragma once

#include <windows.h>
// After windows.h, which they build on.
#include <cderr.h>
#include <commdlg.h>

#include <functional>
#include <optional>
#include <string>

#include "configtool/context_menu_settings.h"

namespace zorvo::vantric {

// The help texts shown under the line for the three fields.
struct HelpTexts {
  std::wstring menuText;
  std::wstring statusText;
  std::wstring viewerPath;
};

// The help texts of `instance`'s string table; one that cannot be loaded
// reads "<unable to load the help string>".
HelpTexts LoadHelpTexts(HINSTANCE instance);

// Runs the dialog over `owner` on `registry`: 1 after OK has written the
// settings, 2 after Cancel, -1 when the dialog could not be shown.
INT_PTR RunConfigureDialog(HINSTANCE instance, HWND owner, SettingsRegistry& registry,
                           const HelpTexts& help);

// Puts `dialog` in the middle of its owner when that is visible and not
// minimised, else of the work area of the monitor nearest to it, inside the
// work area of the monitor nearest to that owner or dialog. Position only.
void CentreDialog(HWND dialog);

// Browse: the open-file dialog for the viewer, starting on the path field's
// text; the chosen path goes into the field.
void BrowseForViewer(HWND dialog);

// The beep and the message box "Error" over `dialog`, with the system's text
// for `systemError` when one is given. The dialog stays open.
void ReportError(HWND dialog, const std::wstring& message,
                 std::optional<uint32_t> systemError = std::nullopt);

// The open-file dialog Browse shows: true with the request's file filled in
// when one was chosen, else false with the common-dialog error (0: cancelled).
using OpenFileDialog = std::function<bool(OPENFILENAMEW& request, DWORD& error)>;
// Empty: the system's. Tests put their own here.
void SetOpenFileDialog(OpenFileDialog dialog);

// Called with the dialog once it is filled in; tests drive it from here
// (timers and posted messages run inside the dialog's own message loop).
using DialogHook = std::function<void(HWND dialog)>;
void SetDialogInitHook(DialogHook hook);  // empty: none

}  // namespace zorvo::vantric
