// The workers behind TrimMenus, UpdateMenuState and AppendRecentSeparator,
// taking the menu bar itself so that they work on menus of no window.
#pragma once

#include <windows.h>

namespace zorvo {

struct Viewer;

// Applies the DeleteMenu keys to `bar`. First tags every popup with the
// position it has in the resources, since removing a whole menu moves
// those after it.
void TrimMenuBar(Viewer& app, HMENU bar);
// The resource position (0 File ... 5 Help) of the top-level menu that
// `popup` is, or holds as a submenu at any depth; -1 for other popups.
int OwningMenu(HMENU bar, HMENU popup);
// The popup of `bar` that has resource position `position`; null when it
// was trimmed away.
HMENU MenuPopup(HMENU bar, int position);
// Sets the checks, the grayed commands and, in the File menu, the recent
// files of the top-level menu `popup`, which has resource position
// `position`.
void UpdatePopupState(Viewer& app, HMENU popup, int position);
// With the recent-file list on, puts a separator at the end of the File
// menu; the entries follow it when the menu opens.
void AppendRecentSeparatorTo(Viewer& app, HMENU bar);

}  // namespace zorvo
