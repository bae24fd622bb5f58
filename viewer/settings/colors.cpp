// The colour table: defaults, profile keys and the grey shades for printing.
#include "viewer/settings/colors.h"

#include <algorithm>
#include <string>

#include "common/number_text.h"
#include "viewer/settings/profile_store.h"
#include "viewer/settings/settings.h"

namespace zorvo {

namespace {

// COLOR_* indexes of the system colours some defaults follow.
constexpr int kSysMenu = 4, kSysWindow = 5, kSysMenuText = 7, kSysWindowText = 8,
              kSysAppWorkspace = 12, kSysHighlight = 13, kSysHighlightText = 14;

struct ColorEntry {
  const wchar_t* key;
  const wchar_t* name;  // null for the print shades, which are not in the list
  int system;           // COLOR_* index, or -1 for a fixed colour
  ColorRef fixed;
};

constexpr ColorEntry kEntries[kColorCount] = {
    {L"WindowText", L"Text line", kSysWindowText, 0},
    {L"WindowBgnd", L"Text background", kSysWindow, 0},
    {L"TagText", L"Tagged line", kSysHighlightText, 0},
    {L"TagBgnd", L"Tagged background", kSysHighlight, 0},
    {L"HeadingText", L"Title line", kSysMenuText, 0},
    {L"HeadingBgnd", L"Title background", kSysMenu, 0},
    {L"MessageText", L"Error message", -1, 0x000000},
    {L"MessageBgnd", L"Error background", -1, 0x0000FF},
    {L"CommentText", L"Information text", -1, 0x000000},
    {L"CommentBgnd", L"Information background", -1, 0x00FF00},
    {L"Background", L"Window background", kSysAppWorkspace, 0},
    {L"PrintText", nullptr, -1, 0x000000},
    {L"PrintTextB", nullptr, -1, 0xFFFFFF},
    {L"PrintTag", nullptr, -1, 0x000000},
    {L"PrintTagB", nullptr, -1, 0xC0C0C0},
    {L"PrintHead", nullptr, -1, 0x000000},
    {L"PrintHeadB", nullptr, -1, 0xE0E0E0},
    {L"PrintCmnt", nullptr, -1, 0xFFFFFF},
    {L"PrintCmntB", nullptr, -1, 0x000000},
    {L"PrintBgnd", nullptr, -1, 0xE0E0E0},
};

constexpr int kFirstShade = kPrintText;

ColorRef DefaultColor(int index) {
  const ColorEntry& e = kEntries[index];
  return e.system >= 0 ? SystemColor(e.system) : e.fixed;
}

// Plain decimal, as the values were always written: no hex or octal
// prefixes, an empty text is 0, wrapping like a 32-bit long.
ColorRef ParseColor(std::wstring_view text) { return ReadDecimal(text); }

void LoadRange(Settings& settings, std::wstring_view section, int first, int last) {
  for (int i = first; i <= last; ++i) {
    const std::wstring def = std::to_wstring(static_cast<int32_t>(DefaultColor(i)));
    settings.colors[i] = ParseColor(settings.profile().GetText(section, kEntries[i].key, def, 32));
  }
}

void SaveRange(Settings& settings, std::wstring_view section, int first, int last) {
  const ColorTable defaults = DefaultColors();
  for (int i = first; i <= last; ++i) {
    // Keys equal to the default go, so a later change of system colours shows.
    if (settings.colors[i] == defaults[i]) {
      settings.profile().WriteText(section, kEntries[i].key, nullptr);
    } else {
      settings.profile().WriteInt(section, kEntries[i].key,
                                  static_cast<int32_t>(settings.colors[i]));
    }
  }
}

}  // namespace

const wchar_t* ColorKey(int index) {
  return index >= 0 && index < kColorCount ? kEntries[index].key : nullptr;
}

const wchar_t* ColorName(int index) {
  return index >= 0 && index < kColorCount ? kEntries[index].name : nullptr;
}

ColorTable DefaultColors() {
  ColorTable table{};
  for (int i = 0; i < kColorCount; ++i) table[i] = DefaultColor(i);
  return table;
}

void ResetColorDefaults(int index, ColorTable& table) {
  int first = index, last = index;
  if (index == -1) {
    first = 0;
    last = kFirstShade - 1;
  } else if (index == -2) {
    first = kFirstShade;
    last = kColorCount - 1;
  } else if (index < 0 || index >= kColorCount) {
    return;
  }
  for (int i = first; i <= last; ++i) table[i] = DefaultColor(i);
}

void LoadScreenColors(Settings& settings, std::wstring_view section) {
  LoadRange(settings, section, 0, kFirstShade - 1);
}
void LoadPrintShades(Settings& settings, std::wstring_view section) {
  LoadRange(settings, section, kFirstShade, kColorCount - 1);
}
void SaveScreenColors(Settings& settings, std::wstring_view section) {
  SaveRange(settings, section, 0, kFirstShade - 1);
}
void SavePrintShades(Settings& settings, std::wstring_view section) {
  SaveRange(settings, section, kFirstShade, kColorCount - 1);
}

ColorRef ShadeToColor(int shade) {
  const ColorRef level = static_cast<ColorRef>(std::clamp((8 - shade) * 32, 0, 255));
  return level | level << 8 | level << 16;
}

int ColorToShade(ColorRef color) {
  // Only red counts: the shades are greys.
  return (256 - static_cast<int>(color & 0xFF)) / 32;
}

}  // namespace zorvo
