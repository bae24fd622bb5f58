// What the menus show and which of their items a user removed: the
// DeleteMenu keys of "Zorvo Setup", the recent-file entries and the checked
// and grayed commands for the state of the viewer. The Windows side applies
// these to the real menus (frame/win32/menus.cpp).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "viewer/frame/view_state.h"
#include "viewer/settings/recent_lists.h"

namespace zorvo {

struct Viewer;

// The top-level menus by the position they have in the menu resources.
enum MenuPosition : int {
  kMenuFile = 0,
  kMenuEdit = 1,
  kMenuView = 2,
  kMenuFormat = 3,
  kMenuMark = 4,
  kMenuHelp = 5,
};

// The longest DeleteMenu value read: 31 characters.
inline constexpr size_t kDeleteMenuCapacity = 32;

// "DeleteMenu1" for the top-level menu at position 0, and so on.
std::wstring DeleteMenuKey(int position);
// A value starting with '*' removes the whole menu.
bool DeletesWholeMenu(std::wstring_view rule);
// The letter after the first '&' of a menu text; 0 when there is none.
wchar_t MenuMnemonic(std::wstring_view text);

struct MenuEntry {
  std::wstring text;  // unused for separators
  bool separator = false;
};

// The positions of `items` that `rule` removes, highest first, so that
// deleting them one by one in this order keeps the rest in place: each item
// whose mnemonic letter occurs in `rule` (case aside), then each separator
// that would be left first, last or next to another. Whole-menu rules are
// the caller's (see DeletesWholeMenu); an empty rule removes nothing.
std::vector<int> MenuItemsToDelete(const std::vector<MenuEntry>& items, std::wstring_view rule);

// The File menu's entry for a recent file: "&1 name", the 1-based index and
// the name after the path's last backslash.
std::wstring RecentMenuText(int index, std::wstring_view path);

struct RecentMenuItem {
  uint32_t id;
  std::wstring text;
};
// The File menu's entries for the listed files, ids from IDM_RECENT on.
std::vector<RecentMenuItem> RecentMenuItems(const RecentFileList& list);

// The parts of the viewer's state the menus show.
struct MenuInputs {
  bool fileOpen = false;
  uint32_t tagCount = 0;
  int ddeState = kDdeOff;
  int32_t format = 0;
  uint32_t currentOptions = 0;
  bool alwaysOnTop = false;
  bool followEnd = false;
  int32_t zoomSteps = 0;
  int profileReadOnly = 0;
};
// From the records of this run.
MenuInputs CurrentMenuInputs(Viewer& app);

struct MenuCommandState {
  enum Kind { kEnable, kCheck };
  uint32_t id;
  Kind kind;
  bool on;  // enabled, or checked
};
// What the top-level menu at `position` sets when it opens.
std::vector<MenuCommandState> MenuStateFor(int position, const MenuInputs& inputs);

}  // namespace zorvo
