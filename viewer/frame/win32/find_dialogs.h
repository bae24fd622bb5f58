// Edit > Find Text and Find Hex: modal dialogs over the remembered searches
// that set the window's search up.
#pragma once

#include <windows.h>

#include <functional>

namespace zorvo {

// 1 when Find set the viewer's search up (the caller then starts it), 0 on Cancel.
int FindTextDialog(HWND owner);
int FindHexDialog(HWND owner);

// Called with either dialog once WM_INITDIALOG has filled it in; the window
// tests drive the modal loop from here. Empty in the program.
std::function<void(HWND)>& FindDialogHook();

}  // namespace zorvo
