#include "viewer/frame/menu_rules.h"

#include <algorithm>
#include <cwctype>

#include "viewer/file/formatter.h"
#include "viewer/frame/view_state.h"
#include "viewer/frame/viewer.h"
#include "viewer/resources/resource.h"
#include "viewer/settings/format_options.h"
#include "viewer/settings/profile_store.h"

namespace zorvo {

std::wstring DeleteMenuKey(int position) { return L"DeleteMenu" + std::to_wstring(position + 1); }

bool DeletesWholeMenu(std::wstring_view rule) { return !rule.empty() && rule.front() == L'*'; }

wchar_t MenuMnemonic(std::wstring_view text) {
  const size_t amp = text.find(L'&');
  if (amp == std::wstring_view::npos || amp + 1 >= text.size()) return 0;
  return text[amp + 1];
}

namespace {

bool RuleNames(std::wstring_view rule, wchar_t letter) {
  const wint_t wanted = std::towupper(static_cast<wint_t>(letter));
  return std::any_of(rule.begin(), rule.end(), [wanted](wchar_t c) {
    return std::towupper(static_cast<wint_t>(c)) == wanted;
  });
}

}  // namespace

std::vector<int> MenuItemsToDelete(const std::vector<MenuEntry>& items, std::wstring_view rule) {
  std::vector<int> result;
  if (rule.empty()) return result;
  const int n = static_cast<int>(items.size());
  std::vector<bool> gone(items.size(), false);
  for (int i = 0; i < n; ++i) {
    if (items[i].separator) continue;
    const wchar_t letter = MenuMnemonic(items[i].text);
    if (letter != 0 && RuleNames(rule, letter)) gone[i] = true;
  }
  // A separator separates only between two commands. Walking upward, it
  // goes when what remains below it is a separator or nothing, or when no
  // command remains above it.
  int firstCommand = n;
  for (int i = 0; i < n; ++i) {
    if (!gone[i] && !items[i].separator) {
      firstCommand = i;
      break;
    }
  }
  bool belowIsSeparator = true;  // nothing below the last item
  for (int i = n - 1; i >= 0; --i) {
    if (gone[i]) continue;
    if (!items[i].separator) {
      belowIsSeparator = false;
      continue;
    }
    if (belowIsSeparator || i < firstCommand) gone[i] = true;
    belowIsSeparator = true;
  }
  for (int i = n - 1; i >= 0; --i) {
    if (gone[i]) result.push_back(i);
  }
  return result;
}

std::wstring RecentMenuText(int index, std::wstring_view path) {
  const size_t slash = path.rfind(L'\\');
  const std::wstring_view name = slash == std::wstring_view::npos ? path : path.substr(slash + 1);
  std::wstring text = L"&" + std::to_wstring(index) + L" ";
  text.append(name);
  return text;
}

std::vector<RecentMenuItem> RecentMenuItems(const RecentFileList& list) {
  std::vector<RecentMenuItem> items;
  const int count = std::clamp(list.count, 0, kRecentFiles);
  for (int i = 0; i < count; ++i) {
    items.push_back(
        {static_cast<uint32_t>(IDM_RECENT + i), RecentMenuText(i + 1, list.entries[i])});
  }
  return items;
}

MenuInputs CurrentMenuInputs(Viewer& app) {
  MenuInputs in;
  in.fileOpen = !app.doc.file.path.empty();
  in.tagCount = app.doc.tags.count;
  in.ddeState = app.doc.view.ddeState;
  in.format = app.settings.options.Format;
  in.currentOptions = app.settings.options.CurrentOptions;
  in.alwaysOnTop = app.doc.view.alwaysOnTop;
  in.followEnd = app.settings.options.FollowEnd != 0;
  in.zoomSteps = app.doc.view.zoomSteps;
  in.profileReadOnly = app.settings.profile().ReadOnly();
  return in;
}

std::vector<MenuCommandState> MenuStateFor(int position, const MenuInputs& in) {
  using S = MenuCommandState;
  std::vector<S> out;
  const auto enable = [&out](std::initializer_list<uint32_t> ids, bool on) {
    for (uint32_t id : ids) out.push_back({id, S::kEnable, on});
  };
  const auto check = [&out](uint32_t id, bool on) { out.push_back({id, S::kCheck, on}); };
  switch (position) {
    case kMenuFile:
      check(IDM_IGNOREDDE, in.ddeState != kDdeServing);
      enable({IDM_CLOSE, IDM_PRINT, IDM_PRINTPAGE, IDM_SIDES}, in.fileOpen);
      enable({IDM_PRINTTAGS}, in.fileOpen && in.tagCount != 0);
      break;
    case kMenuEdit:
      enable({IDM_COPY, IDM_SELECTALL, IDM_UNSELECT, IDM_FINDTEXT, IDM_FINDHEX, IDM_FINDNEXT,
              IDM_GOTO},
             in.fileOpen);
      // Copy Tags is never grayed: a grayed item would keep its accelerator
      // from reaching the command, which beeps when there are no marks.
      break;
    case kMenuView:
      check(IDM_TEXT, in.format == kFormatText);
      check(IDM_HEX, in.format == kFormatHex);
      check(IDM_RAW, in.format == kFormatRaw);
      check(IDM_WRAP, (in.currentOptions & kOptWrap) != 0);
      check(IDM_ONTOP, in.alwaysOnTop);
      check(IDM_FOLLOWEND, in.followEnd);
      check(IDM_ZOOMIN, in.zoomSteps > 0);
      check(IDM_ZOOMOUT, in.zoomSteps < 0);
      break;
    case kMenuFormat:
      enable({IDM_SAVEOPTIONS, IDM_SAVESETUP}, in.profileReadOnly == 0);
      break;
    case kMenuMark:
      enable({IDM_TOGGLE, IDM_SETMARKS, IDM_RESETMARKS, IDM_UNMARKALL, IDM_NEXTMARK,
              IDM_FREEZETITLE, IDM_CLEARTITLE, IDM_FREEZECOLUMNS, IDM_CLEARCOLUMNS},
             in.fileOpen);
      break;
    default:
      break;
  }
  return out;
}

}  // namespace zorvo
