// For the drivers that run a dialog's steps from a timer inside its modal
// loop: the dialog shows when that loop first finds nothing else to do, and
// on a busy machine the timer's first tick can come before that.
#pragma once

#include <windows.h>

namespace zorvo {

// True while a tick should wait for the dialog to show; counts the ticks
// waited in `ticks`, and stops waiting after `limit` of them.
inline bool WaitingToShow(HWND dialog, int& ticks, int limit = 200) {
  return !IsWindowVisible(dialog) && ++ticks < limit;
}

}  // namespace zorvo
