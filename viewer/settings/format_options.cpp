#include "viewer/settings/format_options.h"

#include <algorithm>
#include <cwchar>

#include "common/number_text.h"
#include "viewer/file/code_tables.h"
#include "viewer/file/formatter.h"
#include "viewer/settings/colors.h"
#include "viewer/settings/printer_settings.h"
#include "viewer/settings/profile_store.h"
#include "viewer/settings/recent_lists.h"
#include "viewer/settings/setups.h"
#include "viewer/settings/user_skip_counts.h"

namespace zorvo {

FormatOptions& ViewOptions() {
  static FormatOptions options;
  return options;
}

GlobalSettings& Globals() {
  static GlobalSettings settings;
  return settings;
}

PageSetup& PageSetupOptions() {
  static PageSetup setup;
  return setup;
}

namespace {

constexpr uint32_t kCodeBits = kOptAscii | kOptEbcdic;
constexpr uint32_t kCarriageBits = kOptCarriageControl | 0xF0000000u;

// Up to four comma-separated integers; a missing number reads as 0.
std::array<int32_t, 4> FourNumbers(std::wstring_view text) {
  std::array<int32_t, 4> numbers{};
  size_t start = 0;
  for (int i = 0; i < 4; ++i) {
    const size_t comma = text.find(L',', start);
    const std::wstring_view piece =
        start <= text.size() ? text.substr(start, comma == std::wstring_view::npos
                                                      ? std::wstring_view::npos
                                                      : comma - start)
                             : std::wstring_view();
    numbers[i] = static_cast<int32_t>(ReadDecimal(piece));
    if (comma == std::wstring_view::npos) break;
    start = comma + 1;
  }
  return numbers;
}

std::wstring FormatFour(const std::array<int32_t, 4>& n) {
  wchar_t text[64];
  std::swprintf(text, 64, L"%d,%d,%d,%d", n[0], n[1], n[2], n[3]);
  return text;
}

void LoadFormatKind(std::wstring_view section) {
  FormatOptions& o = ViewOptions();
  for (int i = 0; i < 3; ++i) {
    const std::wstring key = L"Options" + std::to_wstring(i);
    const std::wstring text = ProfileGetText(section, key, L"", 32);
    if (!text.empty()) o.Options[i] = ReadDecimal(text);
  }
  o.Options[kFormatText] |= kOptFormFeedPage;
  // A format the viewer does not know shows as Text.
  o.Format = ProfileGetInt(section, L"Format", 0);
  if (o.Format < kFormatText || o.Format > kFormatRaw) o.Format = kFormatText;
  o.CurrentOptions = o.Options[o.Format];
  o.CharCode = ProfileGetInt(section, L"CharCode", 0);
  if (o.CharCode < 0 || o.CharCode >= 3) o.CharCode = 3;
  o.CCChar = ProfileGetInt(section, L"CCChar", 0);
  o.CCName = ProfileGetText(section, L"CCName", L"(none)", 256);
  // No line shows more characters than the screen's text buffer holds; a
  // larger value would only overflow the arithmetic of widths.
  o.MaxLineLength =
      std::clamp(ProfileGetInt(section, L"MaxLineLength", 4096), kMinLineLength, kScreenText);
  o.TabLength = std::clamp(ProfileGetInt(section, L"TabLength", 8), 1, 255);
  o.VertScroll = static_cast<int8_t>(std::clamp(ProfileGetInt(section, L"VertScroll", 2), 0, 2));
  o.HorzScroll = static_cast<int8_t>(std::clamp(ProfileGetInt(section, L"HorzScroll", 0), 0, 2));

  // "face,points": the size stays when no number follows the comma at
  // once (nothing, or a blank first).
  const std::wstring font = ProfileGetText(section, L"Font", L"Courier New,10", 256);
  const size_t comma = font.find(L',');
  o.FontFace = font.substr(0, std::min<size_t>(comma, 31));
  if (comma != std::wstring::npos && comma + 1 < font.size() && font[comma + 1] != L' ' &&
      font[comma + 1] != L'\t') {
    size_t used = 0;
    const std::wstring_view number = std::wstring_view(font).substr(comma + 1);
    const int32_t size = static_cast<int32_t>(ReadDecimal(number, &used));
    if (used > 0) o.FontSize = std::clamp(size, 1, 240);
  }
  o.FontWeight = std::clamp(ProfileGetInt(section, L"FontWeight", 0), 0, 900);
  o.FontItalic = static_cast<uint8_t>(ProfileGetInt(section, L"FontItalic", 0));
  o.EscExit = ProfileGetInt(section, L"EscExit", 0);
  o.SaveWindowPos = false;
  // As many as the Freeze Columns dialog offers: more would overflow the
  // widths that painting works out.
  o.FreezeColumns = std::clamp(ProfileGetInt(section, L"FreezeColumns", 0), 0, 255);
  o.CuaKeyboard = ProfileGetInt(section, L"CuaKeyboard", o.CuaKeyboard);
  o.ShowMessages = ProfileGetInt(section, L"ShowMessages", o.ShowMessages);
  o.FollowEnd = ProfileGetInt(section, L"FollowEnd", 0) != 0;
  DeriveCodeBits();
}

}  // namespace

void LoadGlobalSettings() {
  GlobalSettings& g = Globals();
  const wchar_t* s = kGlobalSection;
  g.MasterProfile = ProfileGetInt(s, L"MasterProfile", g.MasterProfile);
  g.DiagMode = ProfileGetInt(s, L"DiagMode", g.DiagMode);
  g.MruFiles = ProfileGetInt(s, L"MruFiles", g.MruFiles);
  g.MruSearch = ProfileGetInt(s, L"MruSearch", g.MruSearch);
  g.CuaKeyboard = ProfileGetInt(s, L"CuaKeyboard", g.CuaKeyboard);
  g.ShowMessages = ProfileGetInt(s, L"ShowMessages", g.ShowMessages);
  g.PrintMessages = ProfileGetInt(s, L"PrintMessages", g.PrintMessages);
  g.FastMouseDelay = std::max(ProfileGetInt(s, L"FastMouseDelay", g.FastMouseDelay), 1);
  // A drag scrolls at most a screen table of lines a step: more would
  // overflow where the step is added to a line index.
  g.FastMouseLines =
      std::clamp(ProfileGetInt(s, L"FastMouseLines", g.FastMouseLines), 0, kScreenLines);
  g.SlowMouseDelay = std::max(ProfileGetInt(s, L"SlowMouseDelay", g.SlowMouseDelay), 1);
  g.SlowMouseLines =
      std::clamp(ProfileGetInt(s, L"SlowMouseLines", g.SlowMouseLines), 0, kScreenLines);
  g.PageIndexingDelay = ProfileGetInt(s, L"PageIndexingDelay", g.PageIndexingDelay);
  g.PageIndexingBuffer = ProfileGetInt(s, L"PageIndexingBuffer", g.PageIndexingBuffer);
  g.PageIndexingBudget =
      std::max(ProfileGetInt(s, L"PageIndexingBudget", g.PageIndexingBudget), 0);
  g.FollowEndDelay = std::max(ProfileGetInt(s, L"FollowEndDelay", g.FollowEndDelay), 10);
  g.ProgressDelay = std::max(ProfileGetInt(s, L"ProgressDelay", g.ProgressDelay), 0);
  g.PadLineLength = std::clamp(ProfileGetInt(s, L"PadLineLength", g.PadLineLength), 0, kScreenText);
  g.PadPageLength = ProfileGetInt(s, L"PadPageLength", g.PadPageLength);
  g.ShowPageGap = ProfileGetInt(s, L"ShowPageGap", g.ShowPageGap);
  g.DebugFileName = ProfileGetText(s, L"DebugFileName", g.DebugFileName, 256);
  g.AltMenu = ProfileGetInt(s, L"AltMenu", g.AltMenu);

  // The options keys of the same names take these as their defaults.
  ViewOptions().CuaKeyboard = g.CuaKeyboard;
  ViewOptions().ShowMessages = g.ShowMessages;
  PageSetupOptions().PrintMessages = g.PrintMessages;
  RecentListSwitches().MruFiles = g.MruFiles;
  RecentListSwitches().MruSearch = g.MruSearch;
}

void LoadPageSetup(std::wstring_view section) {
  PageSetup& p = PageSetupOptions();
  const std::wstring options = ProfileGetText(section, L"PrintOptions", L"", 32);
  if (!options.empty()) p.PrintOptions = ReadDecimal(options);
  p.PrintFontAutoSize = ProfileGetInt(section, L"PrintFontAutoSize", 0) != 0;
  p.PrintMessages = ProfileGetInt(section, L"PrintMessages", 0) != 0;
  const std::wstring margins = ProfileGetText(section, L"PageMargins", L"", 64);
  if (!margins.empty()) {
    p.PageMargins = FourNumbers(margins);
    for (int32_t& margin : p.PageMargins) margin = std::clamp(margin, 0, kMaxPageMargin);
  }
}

int SavePageSetup(std::wstring_view section) {
  if (ProfileReadOnly()) return 0;
  const PageSetup& p = PageSetupOptions();
  ProfileWriteUnsigned(section, L"PrintOptions", p.PrintOptions);
  const std::wstring margins = FormatFour(p.PageMargins);
  ProfileWriteText(section, L"PageMargins", margins.c_str());
  ProfileWriteInt(section, L"PrintFontAutoSize", p.PrintFontAutoSize);
  ProfileWriteInt(section, L"PrintMessages", p.PrintMessages);
  return 1;
}

int LoadOptions(std::wstring_view section, uint32_t kinds) {
  if (kinds & kKindPageSetup) LoadPageSetup(section);
  if (kinds & kKindPrinter) LoadPrinterSettings(section);
  if (kinds & kKindFormat) LoadFormatKind(section);
  if (kinds & kKindWindowPos) {
    const std::wstring pos = ProfileGetText(
        section, L"WindowPos", L"-2147483648,-2147483648,-2147483648,-2147483648", 64);
    ViewOptions().WindowPos = FourNumbers(pos);
  }
  if (kinds & kKindRecentFiles) LoadRecentFiles();
  return 1;
}

int SaveFormatOptions(std::wstring_view section, const WindowRect* window) {
  if (ProfileReadOnly()) return 0;
  const FormatOptions& o = ViewOptions();
  for (int i = 0; i < 3; ++i) {
    ProfileWriteUnsigned(section, L"Options" + std::to_wstring(i), o.Options[i]);
  }
  ProfileWriteInt(section, L"Format", o.Format);
  ProfileWriteInt(section, L"CharCode", o.CharCode);
  ProfileWriteInt(section, L"CCChar", o.CCChar);
  ProfileWriteText(section, L"CCName", o.CCName.c_str());
  ProfileWriteInt(section, L"MaxLineLength", o.MaxLineLength);
  ProfileWriteInt(section, L"TabLength", o.TabLength);
  ProfileWriteInt(section, L"VertScroll", o.VertScroll);
  ProfileWriteInt(section, L"HorzScroll", o.HorzScroll);
  ProfileWriteInt(section, L"EscExit", o.EscExit);
  ProfileWriteInt(section, L"CuaKeyboard", o.CuaKeyboard);
  ProfileWriteInt(section, L"ShowMessages", o.ShowMessages);
  const std::wstring font = o.FontFace + L"," + std::to_wstring(o.FontSize);
  ProfileWriteText(section, L"Font", font.c_str());
  ProfileWriteInt(section, L"FontWeight", o.FontWeight);
  ProfileWriteInt(section, L"FontItalic", o.FontItalic);
  ProfileWriteInt(section, L"FreezeColumns", o.FreezeColumns);
  // Only when on: options saved with it off read as they always have.
  if (o.FollowEnd) {
    ProfileWriteInt(section, L"FollowEnd", 1);
  } else {
    ProfileWriteText(section, L"FollowEnd", nullptr);
  }
  if (o.SaveWindowPos && window) {
    const std::wstring pos = FormatFour({window->top, window->left, window->bottom - window->top,
                                         window->right - window->left});
    ProfileWriteText(section, L"WindowPos", pos.c_str());
  }
  return 1;
}

void ClearTitles(LineTable& titles) {
  titles.Acur = titles.Afirst = titles.Alast = 0;
  titles.Tend = 0;
  titles[0] = LineEntry{0, 0, -1, 0, 0};
}

int LoadTitles(std::wstring_view section, LineTable* titles) {
  if (section.empty() || !titles || titles->Acnt < 1) return 0;
  ClearTitles(*titles);
  const int32_t count = ProfileGetInt(section, kTitlesSection, 0);
  int32_t loaded = 0;
  for (int32_t n = 1; n <= count; ++n) {
    if (loaded + 1 >= titles->Acnt) break;  // room for the line and the end entry
    const std::string text = ProfileGetTextNarrow(section, L"Title" + std::to_wstring(n), 256);
    if (titles->Tend + static_cast<int32_t>(text.size()) > titles->Tlen) break;
    std::copy(text.begin(), text.end(), titles->chars() + titles->Tend);
    (*titles)[loaded] = LineEntry{n - 1, static_cast<uint32_t>(titles->Tend),
                                  static_cast<int32_t>(text.size()), 0, 0};
    titles->Tend += static_cast<int32_t>(text.size());
    ++loaded;
  }
  (*titles)[loaded] = LineEntry{loaded, 0, -1, 0, 0};
  titles->Alast = loaded;
  return 1;
}

int SaveTitles(std::wstring_view section, const LineTable* titles) {
  const int32_t old = ProfileGetInt(section, kTitlesSection, 0);
  const int32_t count = titles ? titles->Alast : 0;
  for (int32_t n = 1; n <= count; ++n) {
    const LineEntry& line = (*titles)[n - 1];
    const size_t length = std::min<size_t>(static_cast<size_t>(line.length), 10243);
    const std::string text(titles->TextOf(n - 1), length);
    ProfileWriteTextNarrow(section, (L"Title" + std::to_wstring(n)).c_str(), text.c_str());
  }
  ProfileWriteInt(section, kTitlesSection, count);
  for (int32_t n = count + 1; n <= old; ++n) {
    ProfileWriteText(section, (L"Title" + std::to_wstring(n)).c_str(), nullptr);
  }
  return 1;
}

void DeriveCodeBits() {
  FormatOptions& o = ViewOptions();
  uint32_t code = 0;
  if (o.CharCode == kAscii) code = kOptAscii;
  if (o.CharCode == kEbcdic) code = kOptEbcdic;
  uint32_t carriage = 0;
  if (o.CCChar == 1) carriage = kOptCarriageControl | kOptCcAsa;
  if (o.CCChar == 2) carriage = kOptCarriageControl | kOptCcIbm;
  if (o.CCChar >= 3) carriage = kOptCarriageControl | kOptCcUser;
  auto derive = [&](uint32_t& word) { word = (word & ~(kCodeBits | kCarriageBits)) | code | carriage; };
  for (uint32_t& word : o.Options) derive(word);
  derive(o.CurrentOptions);
  if (o.CCChar >= 3) MarkUserSkipCountsStale();
}

void ApplySwitchOverrides(const CommandLine& commandLine) {
  FormatOptions& o = ViewOptions();
  auto given = [&](char letter) { return commandLine.Switch(letter) != 0; };
  // The format letters come first and bring the chosen format's own word, so
  // that the on/off letters act on the word that will be shown and stored.
  int format = -1;
  if (given('T')) format = kFormatText;
  if (given('H')) format = kFormatHex;
  if (given('R')) format = kFormatRaw;
  if (format >= 0 && format != o.Format) {
    o.Options[o.Format] = o.CurrentOptions;
    o.Format = format;
    o.CurrentOptions = o.Options[format];
  }
  static constexpr struct {
    char letter;
    uint32_t bit;
  } kOnOff[] = {{'W', kOptWrap}, {'O', 0x2}, {'B', 0x8}, {'L', kOptFixedLength},
                {'E', kOptExpandTabs}};
  for (const auto& item : kOnOff) {
    const char typed = commandLine.Switch(item.letter);
    if (typed == item.letter) o.CurrentOptions |= item.bit;
    if (typed == item.letter + ('a' - 'A')) o.CurrentOptions &= ~item.bit;
  }
  if (given('A')) o.CharCode = kAscii;
  if (given('C')) o.CharCode = kEbcdic;
  if (given('Y')) o.EscExit = 1;
  DeriveCodeBits();

  // S and s switch both recent lists on or off for this run; a list switched
  // on is read now, one switched off is emptied.
  const char recent = commandLine.Switch('S');
  if (recent) {
    RecentSwitches& lists = RecentListSwitches();
    const int on = recent == 'S' ? 1 : 0;
    const bool filesChanged = lists.MruFiles != on;
    lists.MruFiles = lists.MruSearch = on;
    if (filesChanged) LoadRecentFiles();
    if (!on) RecentTexts().count = RecentHex().count = 0;
  }
}

void StartupLoad(std::wstring& profilePath, const CommandLine& commandLine) {
  ChooseProfile(profilePath);
  LoadStartupSettings(commandLine);
}

void LoadStartupSettings(const CommandLine& commandLine) {
  LoadGlobalSettings();
  Colors() = DefaultColors();
  SetupState& setup = Setups();
  setup.CurrentSetup = commandLine.CurrentSetup;
  if (commandLine.Switch('V') != 'V') {
    LoadOptions(kOptionsSection, kKindAll & ~(kKindPageSetup | kKindPrinter | kKindColors));
    LoadScreenColors(kColorsSection);
    LoadPrintShades(kColorsSection);
    LoadPrinterSettings(kPrintSetupSection);
    LoadPageSetup(kPageSetupSection);
  }
  if (!setup.CurrentSetup.empty()) {
    setup.SetupKinds = SetupKindsOf(setup.CurrentSetup);
    LoadOptions(setup.CurrentSetup, setup.SetupKinds);
    if (setup.SetupKinds & kKindScreenColors) LoadScreenColors(setup.CurrentSetup);
    if (setup.SetupKinds & kKindPrintShades) LoadPrintShades(setup.CurrentSetup);
  }
  ApplySwitchOverrides(commandLine);
}

}  // namespace zorvo
