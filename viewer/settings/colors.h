// Screen colours by line kind and the grey shades used for printing, in one
// table kept in section "Zorvo Colors" (or a setup's section).
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace zorvo {

struct Settings;

using ColorRef = uint32_t;  // 0x00BBGGRR

enum ColorIndex : int {
  kWindowText = 0, kWindowBgnd, kTagText, kTagBgnd, kHeadingText, kHeadingBgnd,
  kMessageText, kMessageBgnd, kCommentText, kCommentBgnd, kBackground,
  kPrintText, kPrintTextB, kPrintTag, kPrintTagB, kPrintHead, kPrintHeadB,
  kPrintCmnt, kPrintCmntB, kPrintBgnd,
  kColorCount
};

using ColorTable = std::array<ColorRef, kColorCount>;

// The colour table of this run.

// The profile key of each entry ("WindowText" ... "PrintBgnd").
const wchar_t* ColorKey(int index);
// The name shown in the Color Selection list for entries 0-10.
const wchar_t* ColorName(int index);

// The platform's system colours: GetSysColor on Windows, the classic
// Windows scheme elsewhere. `index` is a COLOR_* value.
ColorRef SystemColor(int index);

// The defaults of all 20 entries, the system colours taken now.
ColorTable DefaultColors();
// Sets entry `index` of `table` to its default; -1 all screen entries 0-10,
// -2 all shade entries 11-19.
void ResetColorDefaults(int index, ColorTable& table);

void LoadScreenColors(Settings& settings, std::wstring_view section);
void LoadPrintShades(Settings& settings, std::wstring_view section);
// Writes only the entries that differ from their defaults and deletes the
// keys of those that do not.
void SaveScreenColors(Settings& settings, std::wstring_view section);
void SavePrintShades(Settings& settings, std::wstring_view section);

// Shade 0 (white) to 8 (black) and the grey colour that stands for it.
ColorRef ShadeToColor(int shade);
int ColorToShade(ColorRef color);

}  // namespace zorvo
