// The viewer's display options, its program-wide settings, the page setup
// and the frozen title lines, with the profile keys they live under and the
// order in which start-up loads them.
#pragma once

#include <array>
#include <climits>
#include <cstdint>
#include <string>
#include <string_view>

#include "viewer/file/line_table.h"
#include "viewer/settings/command_line.h"

namespace zorvo {

struct Settings;

// Kinds of options: what a load, a save or a setup covers.
enum OptionKinds : uint32_t {
  kKindFormat = 0x1,
  kKindTitles = 0x2,
  kKindPageSetup = 0x4,
  kKindPrinter = 0x8,
  kKindRecentFiles = 0x10,  // loading only
  kKindWindowPos = 0x20,    // loading only
  kKindScreenColors = 0x100,
  kKindPrintShades = 0x200,
  kKindColors = kKindScreenColors | kKindPrintShades,
  kKindAll = 0xFFFFFFFF,
};

inline constexpr wchar_t kOptionsSection[] = L"Tessary";
inline constexpr wchar_t kGlobalSection[] = L"Zorvo Setup";
inline constexpr wchar_t kColorsSection[] = L"Zorvo Colors";
inline constexpr wchar_t kTitlesSection[] = L"Titles";
inline constexpr wchar_t kPageSetupSection[] = L"Page Setup";
inline constexpr wchar_t kPrintSetupSection[] = L"Print Setup";

inline constexpr int32_t kDefaultPosition = INT_MIN;  // the system picks
inline constexpr int32_t kMinLineLength = 8;          // the shortest MaxLineLength

struct FormatOptions {
  std::array<uint32_t, 3> Options{0x60, 0x3, 0x41};  // Text, Hex Dump, Raw Text
  uint32_t CurrentOptions = 0x60;
  int32_t Format = 0;
  int32_t CharCode = 0;
  int32_t CCChar = 0;
  std::wstring CCName = L"(none)";
  int32_t MaxLineLength = 4096;
  int32_t TabLength = 8;
  int8_t VertScroll = 2;
  int8_t HorzScroll = 0;
  int32_t EscExit = 0;
  int32_t CuaKeyboard = 1;
  int32_t ShowMessages = 1;
  std::wstring FontFace = L"Courier New";
  int32_t FontSize = 10;
  int32_t FontWeight = 0;
  uint8_t FontItalic = 0;
  int32_t FreezeColumns = 0;
  // View > Follow End: the view shows what is appended to the file while
  // its end is on the screen.
  int32_t FollowEnd = 0;
  bool SaveWindowPos = false;
  // top, left, height, width
  std::array<int32_t, 4> WindowPos{kDefaultPosition, kDefaultPosition, kDefaultPosition,
                                   kDefaultPosition};
};

struct GlobalSettings {
  int32_t MasterProfile = 0;
  int32_t DiagMode = 0;
  int32_t MruFiles = 1;
  int32_t MruSearch = 1;
  int32_t CuaKeyboard = 1;
  int32_t ShowMessages = 1;
  int32_t PrintMessages = 1;
  int32_t FastMouseDelay = 2;
  int32_t FastMouseLines = 10;
  int32_t SlowMouseDelay = 10;
  int32_t SlowMouseLines = 1;
  int32_t PageIndexingDelay = 200;
  int32_t PageIndexingBuffer = 8192;
  // Milliseconds a run of index slices may take while the window is idle;
  // 0: one slice per tick of the timer.
  int32_t PageIndexingBudget = 15;
  // Milliseconds between two looks at the length of a file whose end is
  // followed.
  int32_t FollowEndDelay = 1000;
  // Milliseconds a search, Mark All or Copy Tags runs before the title
  // shows how far it has come.
  int32_t ProgressDelay = 500;
  int32_t PadLineLength = 0;
  int32_t PadPageLength = 0;
  int32_t ShowPageGap = 0;
  std::wstring DebugFileName;
  int32_t AltMenu = 0;
};

// The widest margin, in hundredths of an inch (the Page Setup dialog's 3 in).
inline constexpr int32_t kMaxPageMargin = 300;

struct PageSetup {
  uint32_t PrintOptions = 0x6FF;
  std::array<int32_t, 4> PageMargins{50, 50, 50, 50};  // top, left, right, bottom; 1/100 inch
  int32_t PrintFontAutoSize = 0;
  int32_t PrintMessages = 1;
};

// The window's outer rectangle in screen coordinates.
struct WindowRect {
  int32_t left, top, right, bottom;
};

// The records of this run.

// Reads "Zorvo Setup"; each key's default is the value it holds now.
void LoadGlobalSettings(Settings& settings);
// Loads the kinds 0x1, 0x4, 0x8, 0x10 and 0x20 from one section.
int LoadOptions(Settings& settings, std::wstring_view section, uint32_t kinds);
// Writes the format options (and "WindowPos" when asked for and a window is
// given); nothing, returning 0, when the profile is read-only.
int SaveFormatOptions(Settings& settings, std::wstring_view section, const WindowRect* window);
void LoadPageSetup(Settings& settings, std::wstring_view section);
int SavePageSetup(Settings& settings, std::wstring_view section);

// Title lines: a table of 16 slots over a 64 KiB text buffer; entry n holds
// title line n as its offset and the end entry the count.
inline constexpr int32_t kTitleSlots = 16;
inline constexpr int32_t kTitleText = 65535;
int LoadTitles(Settings& settings, std::wstring_view section, LineTable* titles);
int SaveTitles(Settings& settings, std::wstring_view section, const LineTable* titles);
// Empties a title table: no lines, the end entry at 0.
void ClearTitles(LineTable& titles);

// Recomputes the character-code and carriage-control bits of the three
// stored options words and the current one from CharCode and CCChar.
void DeriveCodeBits(Settings& settings);
// Applies the command line's switch letters to the options just loaded.
void ApplySwitchOverrides(Settings& settings, const CommandLine& commandLine);

// The window-independent part of start-up: chooses the profile, reads the
// program-wide settings, the options, colours, shades, printer settings and
// page setup of the main sections and of the setup named on the command
// line, then applies the switches.
void StartupLoad(Settings& settings, std::wstring& profilePath, const CommandLine& commandLine);
// The same after the profile was chosen.
void LoadStartupSettings(Settings& settings, const CommandLine& commandLine);

}  // namespace zorvo
