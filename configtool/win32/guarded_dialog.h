// A dialog procedure that lets no exception unwind through the system's
// frames: a failure beeps (through the tool's notifier) and the message
// counts as not handled.
#pragma once

#include <windows.h>

#include "common/exception_guard.h"
#include "common/notifier.h"

namespace zorvo::vantric {

// Where the tool's message boxes and beeps go: the platform's, or the one a
// test sets (null: the platform's again).
Notifier& ToolNotifier();
void SetToolNotifier(Notifier* notifier);

template <INT_PTR (*Handle)(HWND, UINT, WPARAM, LPARAM)>
INT_PTR CALLBACK GuardedDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  return Guarded([&] { return Handle(dialog, message, wParam, lParam); },
                 [](GuardFailure) -> INT_PTR {
                   ToolNotifier().Beep(kIconHand);
                   return FALSE;
                 });
}

}  // namespace zorvo::vantric
