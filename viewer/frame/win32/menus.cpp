#include "viewer/frame/win32/menus.h"

#include <string>
#include <vector>

#include "viewer/frame/menu_rules.h"
#include "viewer/frame/win32/frame.h"
#include "viewer/resources/resource.h"
#include "viewer/settings/format_options.h"
#include "viewer/settings/profile_store.h"
#include "viewer/settings/recent_lists.h"

namespace zorvo {
namespace {

// A popup's menu data holds its resource position plus 1; 0 is untagged.
void TagPopup(HMENU popup, int position) {
  MENUINFO info{};
  info.cbSize = sizeof info;
  info.fMask = MIM_MENUDATA;
  info.dwMenuData = static_cast<ULONG_PTR>(position + 1);
  SetMenuInfo(popup, &info);
}

int PopupTag(HMENU popup) {
  MENUINFO info{};
  info.cbSize = sizeof info;
  info.fMask = MIM_MENUDATA;
  if (!GetMenuInfo(popup, &info)) return -1;
  return static_cast<int>(info.dwMenuData) - 1;
}

// The resource position of the popup now at `index`: its tag, or where it
// stands when the bar was never trimmed.
int ResourcePosition(HMENU bar, int index) {
  HMENU popup = GetSubMenu(bar, index);
  if (!popup) return -1;
  const int tag = PopupTag(popup);
  return tag >= 0 ? tag : index;
}

bool Holds(HMENU menu, HMENU popup) {
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    HMENU sub = GetSubMenu(menu, i);
    if (sub && (sub == popup || Holds(sub, popup))) return true;
  }
  return false;
}

std::vector<MenuEntry> ReadEntries(HMENU popup) {
  std::vector<MenuEntry> entries;
  const int count = GetMenuItemCount(popup);
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STRING;
    MenuEntry entry;
    if (GetMenuItemInfoW(popup, static_cast<UINT>(i), TRUE, &info)) {
      entry.separator = (info.fType & MFT_SEPARATOR) != 0;
      if (!entry.separator && info.cch > 0) {
        std::wstring text(info.cch + 1, L'\0');
        info.dwTypeData = text.data();
        info.cch = static_cast<UINT>(text.size());
        GetMenuItemInfoW(popup, static_cast<UINT>(i), TRUE, &info);
        text.resize(info.cch);
        entry.text = std::move(text);
      }
    }
    entries.push_back(std::move(entry));
  }
  return entries;
}

}  // namespace

void TrimMenuBar(Viewer& app, HMENU bar) {
  const int count = GetMenuItemCount(bar);
  for (int i = 0; i < count; ++i) {
    if (HMENU popup = GetSubMenu(bar, i); popup && PopupTag(popup) < 0) TagPopup(popup, i);
  }
  for (int i = count - 1; i >= 0; --i) {
    const std::wstring rule = app.settings.profile().GetText(
        kGlobalSection, DeleteMenuKey(ResourcePosition(bar, i)), L"", kDeleteMenuCapacity);
    if (rule.empty()) continue;
    if (DeletesWholeMenu(rule)) {
      DeleteMenu(bar, static_cast<UINT>(i), MF_BYPOSITION);
      continue;
    }
    HMENU popup = GetSubMenu(bar, i);
    if (!popup) continue;
    for (int index : MenuItemsToDelete(ReadEntries(popup), rule)) {
      DeleteMenu(popup, static_cast<UINT>(index), MF_BYPOSITION);
    }
  }
}

int OwningMenu(HMENU bar, HMENU popup) {
  if (!bar || !popup) return -1;
  const int count = GetMenuItemCount(bar);
  for (int i = 0; i < count; ++i) {
    HMENU sub = GetSubMenu(bar, i);
    if (sub && (sub == popup || Holds(sub, popup))) return ResourcePosition(bar, i);
  }
  return -1;
}

HMENU MenuPopup(HMENU bar, int position) {
  const int count = GetMenuItemCount(bar);
  for (int i = 0; i < count; ++i) {
    if (ResourcePosition(bar, i) == position) return GetSubMenu(bar, i);
  }
  return nullptr;
}

void UpdatePopupState(Viewer& app, HMENU popup, int position) {
  // By command, so that the items of a submenu (the alternative menu's
  // Print) are reached too.
  for (const MenuCommandState& s : MenuStateFor(position, CurrentMenuInputs(app))) {
    if (s.kind == MenuCommandState::kEnable) {
      EnableMenuItem(popup, s.id, MF_BYCOMMAND | (s.on ? MF_ENABLED : MF_GRAYED));
    } else {
      CheckMenuItem(popup, s.id, MF_BYCOMMAND | (s.on ? MF_CHECKED : MF_UNCHECKED));
    }
  }
  if (position != kMenuFile || !app.settings.recentSwitches.MruFiles) return;
  for (UINT id = IDM_RECENT; id < IDM_RECENT + kRecentFiles; ++id) {
    DeleteMenu(popup, id, MF_BYCOMMAND);
  }
  for (const RecentMenuItem& item : RecentMenuItems(app.settings.recentFiles)) {
    AppendMenuW(popup, MF_STRING, item.id, item.text.c_str());
  }
}

void AppendRecentSeparatorTo(Viewer& app, HMENU bar) {
  if (!app.settings.recentSwitches.MruFiles) return;
  if (HMENU file = MenuPopup(bar, kMenuFile)) AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
}

void TrimMenus(HWND window) {
  Viewer& app = ViewerOf(window);
  HMENU bar = GetMenu(window);
  if (!bar) return;
  TrimMenuBar(app, bar);
  DrawMenuBar(window);
}

// The position WM_INITMENUPOPUP gives is where the popup stands now, which
// trimming may have moved, and for a submenu its place in its parent; so
// the popup itself is looked up. An accelerator of a submenu's command
// announces only that submenu, and its top-level menu is brought up to
// date with it.
void UpdateMenuState(HWND window, HMENU popup, int /*position*/) {
  Viewer& app = ViewerOf(window);
  HMENU bar = GetMenu(window);
  const int position = OwningMenu(bar, popup);
  if (position < 0) return;
  if (HMENU top = MenuPopup(bar, position)) UpdatePopupState(app, top, position);
}

void AppendRecentSeparator(HWND window) {
  Viewer& app = ViewerOf(window);
  if (HMENU bar = GetMenu(window)) AppendRecentSeparatorTo(app, bar);
}

}  // namespace zorvo
