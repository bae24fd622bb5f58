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
#include "viewer/settings/settings.h"
#include "viewer/settings/setups.h"
#include "viewer/settings/user_skip_counts.h"

namespace zorvo {

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

void LoadFormatKind(Settings& settings, std::wstring_view section) {
  FormatOptions& o = settings.options;
  for (int i = 0; i < 3; ++i) {
    const std::wstring key = L"Options" + std::to_wstring(i);
    const std::wstring text = settings.profile().GetText(section, key, L"", 32);
    if (!text.empty()) o.Options[i] = ReadDecimal(text);
  }
  o.Options[kFormatText] |= kOptFormFeedPage;
  // A format the viewer does not know shows as Text.
  o.Format = settings.profile().GetInt(section, L"Format", 0);
  if (o.Format < kFormatText || o.Format > kFormatRaw) o.Format = kFormatText;
  o.CurrentOptions = o.Options[o.Format];
  o.CharCode = settings.profile().GetInt(section, L"CharCode", 0);
  if (o.CharCode < 0 || o.CharCode >= 3) o.CharCode = 3;
  o.CCChar = settings.profile().GetInt(section, L"CCChar", 0);
  o.CCName = settings.profile().GetText(section, L"CCName", L"(none)", 256);
  // No line shows more characters than the screen's text buffer holds; a
  // larger value would only overflow the arithmetic of widths.
  o.MaxLineLength = std::clamp(settings.profile().GetInt(section, L"MaxLineLength", 4096),
                               kMinLineLength, kScreenText);
  o.TabLength = std::clamp(settings.profile().GetInt(section, L"TabLength", 8), 1, 255);
  o.VertScroll =
      static_cast<int8_t>(std::clamp(settings.profile().GetInt(section, L"VertScroll", 2), 0, 2));
  o.HorzScroll =
      static_cast<int8_t>(std::clamp(settings.profile().GetInt(section, L"HorzScroll", 0), 0, 2));

  // "face,points": the size stays when no number follows the comma at
  // once (nothing, or a blank first).
  const std::wstring font = settings.profile().GetText(section, L"Font", L"Courier New,10", 256);
  const size_t comma = font.find(L',');
  o.FontFace = font.substr(0, std::min<size_t>(comma, 31));
  if (comma != std::wstring::npos && comma + 1 < font.size() && font[comma + 1] != L' ' &&
      font[comma + 1] != L'\t') {
    size_t used = 0;
    const std::wstring_view number = std::wstring_view(font).substr(comma + 1);
    const int32_t size = static_cast<int32_t>(ReadDecimal(number, &used));
    if (used > 0) o.FontSize = std::clamp(size, 1, 240);
  }
  o.FontWeight = std::clamp(settings.profile().GetInt(section, L"FontWeight", 0), 0, 900);
  o.FontItalic = static_cast<uint8_t>(settings.profile().GetInt(section, L"FontItalic", 0));
  o.EscExit = settings.profile().GetInt(section, L"EscExit", 0);
  o.SaveWindowPos = false;
  // As many as the Freeze Columns dialog offers: more would overflow the
  // widths that painting works out.
  o.FreezeColumns = std::clamp(settings.profile().GetInt(section, L"FreezeColumns", 0), 0, 255);
  o.CuaKeyboard = settings.profile().GetInt(section, L"CuaKeyboard", o.CuaKeyboard);
  o.ShowMessages = settings.profile().GetInt(section, L"ShowMessages", o.ShowMessages);
  o.FollowEnd = settings.profile().GetInt(section, L"FollowEnd", 0) != 0;
  DeriveCodeBits(settings);
}

}  // namespace

void LoadGlobalSettings(Settings& settings) {
  GlobalSettings& g = settings.globals;
  const wchar_t* s = kGlobalSection;
  g.MasterProfile = settings.profile().GetInt(s, L"MasterProfile", g.MasterProfile);
  g.DiagMode = settings.profile().GetInt(s, L"DiagMode", g.DiagMode);
  g.MruFiles = settings.profile().GetInt(s, L"MruFiles", g.MruFiles);
  g.MruSearch = settings.profile().GetInt(s, L"MruSearch", g.MruSearch);
  g.CuaKeyboard = settings.profile().GetInt(s, L"CuaKeyboard", g.CuaKeyboard);
  g.ShowMessages = settings.profile().GetInt(s, L"ShowMessages", g.ShowMessages);
  g.PrintMessages = settings.profile().GetInt(s, L"PrintMessages", g.PrintMessages);
  g.FastMouseDelay = std::max(settings.profile().GetInt(s, L"FastMouseDelay", g.FastMouseDelay), 1);
  // A drag scrolls at most a screen table of lines a step: more would
  // overflow where the step is added to a line index.
  g.FastMouseLines = std::clamp(settings.profile().GetInt(s, L"FastMouseLines", g.FastMouseLines),
                                0, kScreenLines);
  g.SlowMouseDelay = std::max(settings.profile().GetInt(s, L"SlowMouseDelay", g.SlowMouseDelay), 1);
  g.SlowMouseLines = std::clamp(settings.profile().GetInt(s, L"SlowMouseLines", g.SlowMouseLines),
                                0, kScreenLines);
  g.PageIndexingDelay = settings.profile().GetInt(s, L"PageIndexingDelay", g.PageIndexingDelay);
  g.PageIndexingBuffer = settings.profile().GetInt(s, L"PageIndexingBuffer", g.PageIndexingBuffer);
  g.PageIndexingBudget =
      std::max(settings.profile().GetInt(s, L"PageIndexingBudget", g.PageIndexingBudget), 0);
  g.FollowEndDelay =
      std::max(settings.profile().GetInt(s, L"FollowEndDelay", g.FollowEndDelay), 10);
  g.ProgressDelay = std::max(settings.profile().GetInt(s, L"ProgressDelay", g.ProgressDelay), 0);
  g.PadLineLength =
      std::clamp(settings.profile().GetInt(s, L"PadLineLength", g.PadLineLength), 0, kScreenText);
  g.PadPageLength = settings.profile().GetInt(s, L"PadPageLength", g.PadPageLength);
  g.ShowPageGap = settings.profile().GetInt(s, L"ShowPageGap", g.ShowPageGap);
  g.DebugFileName = settings.profile().GetText(s, L"DebugFileName", g.DebugFileName, 256);
  g.AltMenu = settings.profile().GetInt(s, L"AltMenu", g.AltMenu);

  // The options keys of the same names take these as their defaults.
  settings.options.CuaKeyboard = g.CuaKeyboard;
  settings.options.ShowMessages = g.ShowMessages;
  settings.pageSetup.PrintMessages = g.PrintMessages;
  settings.recentSwitches.MruFiles = g.MruFiles;
  settings.recentSwitches.MruSearch = g.MruSearch;
}

void LoadPageSetup(Settings& settings, std::wstring_view section) {
  PageSetup& p = settings.pageSetup;
  const std::wstring options = settings.profile().GetText(section, L"PrintOptions", L"", 32);
  if (!options.empty()) p.PrintOptions = ReadDecimal(options);
  p.PrintFontAutoSize = settings.profile().GetInt(section, L"PrintFontAutoSize", 0) != 0;
  p.PrintMessages = settings.profile().GetInt(section, L"PrintMessages", 0) != 0;
  const std::wstring margins = settings.profile().GetText(section, L"PageMargins", L"", 64);
  if (!margins.empty()) {
    p.PageMargins = FourNumbers(margins);
    for (int32_t& margin : p.PageMargins) margin = std::clamp(margin, 0, kMaxPageMargin);
  }
}

int SavePageSetup(Settings& settings, std::wstring_view section) {
  if (settings.profile().ReadOnly()) return 0;
  const PageSetup& p = settings.pageSetup;
  settings.profile().WriteUnsigned(section, L"PrintOptions", p.PrintOptions);
  const std::wstring margins = FormatFour(p.PageMargins);
  settings.profile().WriteText(section, L"PageMargins", margins.c_str());
  settings.profile().WriteInt(section, L"PrintFontAutoSize", p.PrintFontAutoSize);
  settings.profile().WriteInt(section, L"PrintMessages", p.PrintMessages);
  return 1;
}

int LoadOptions(Settings& settings, std::wstring_view section, uint32_t kinds) {
  if (kinds & kKindPageSetup) LoadPageSetup(settings, section);
  if (kinds & kKindPrinter) LoadPrinterSettings(settings, section);
  if (kinds & kKindFormat) LoadFormatKind(settings, section);
  if (kinds & kKindWindowPos) {
    const std::wstring pos = settings.profile().GetText(
        section, L"WindowPos", L"-2147483648,-2147483648,-2147483648,-2147483648", 64);
    settings.options.WindowPos = FourNumbers(pos);
  }
  if (kinds & kKindRecentFiles) LoadRecentFiles(settings);
  return 1;
}

int SaveFormatOptions(Settings& settings, std::wstring_view section, const WindowRect* window) {
  if (settings.profile().ReadOnly()) return 0;
  const FormatOptions& o = settings.options;
  for (int i = 0; i < 3; ++i) {
    settings.profile().WriteUnsigned(section, L"Options" + std::to_wstring(i), o.Options[i]);
  }
  settings.profile().WriteInt(section, L"Format", o.Format);
  settings.profile().WriteInt(section, L"CharCode", o.CharCode);
  settings.profile().WriteInt(section, L"CCChar", o.CCChar);
  settings.profile().WriteText(section, L"CCName", o.CCName.c_str());
  settings.profile().WriteInt(section, L"MaxLineLength", o.MaxLineLength);
  settings.profile().WriteInt(section, L"TabLength", o.TabLength);
  settings.profile().WriteInt(section, L"VertScroll", o.VertScroll);
  settings.profile().WriteInt(section, L"HorzScroll", o.HorzScroll);
  settings.profile().WriteInt(section, L"EscExit", o.EscExit);
  settings.profile().WriteInt(section, L"CuaKeyboard", o.CuaKeyboard);
  settings.profile().WriteInt(section, L"ShowMessages", o.ShowMessages);
  const std::wstring font = o.FontFace + L"," + std::to_wstring(o.FontSize);
  settings.profile().WriteText(section, L"Font", font.c_str());
  settings.profile().WriteInt(section, L"FontWeight", o.FontWeight);
  settings.profile().WriteInt(section, L"FontItalic", o.FontItalic);
  settings.profile().WriteInt(section, L"FreezeColumns", o.FreezeColumns);
  // Only when on: options saved with it off read as they always have.
  if (o.FollowEnd) {
    settings.profile().WriteInt(section, L"FollowEnd", 1);
  } else {
    settings.profile().WriteText(section, L"FollowEnd", nullptr);
  }
  if (o.SaveWindowPos && window) {
    const std::wstring pos = FormatFour({window->top, window->left, window->bottom - window->top,
                                         window->right - window->left});
    settings.profile().WriteText(section, L"WindowPos", pos.c_str());
  }
  return 1;
}

void ClearTitles(LineTable& titles) {
  titles.Acur = titles.Afirst = titles.Alast = 0;
  titles.Tend = 0;
  titles[0] = LineEntry{0, 0, -1, 0, 0};
}

int LoadTitles(Settings& settings, std::wstring_view section, LineTable* titles) {
  if (section.empty() || !titles || titles->Acnt < 1) return 0;
  ClearTitles(*titles);
  const int32_t count = settings.profile().GetInt(section, kTitlesSection, 0);
  int32_t loaded = 0;
  for (int32_t n = 1; n <= count; ++n) {
    if (loaded + 1 >= titles->Acnt) break;  // room for the line and the end entry
    const std::string text =
        settings.profile().GetTextNarrow(section, L"Title" + std::to_wstring(n), 256);
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

int SaveTitles(Settings& settings, std::wstring_view section, const LineTable* titles) {
  const int32_t old = settings.profile().GetInt(section, kTitlesSection, 0);
  const int32_t count = titles ? titles->Alast : 0;
  for (int32_t n = 1; n <= count; ++n) {
    const LineEntry& line = (*titles)[n - 1];
    const size_t length = std::min<size_t>(static_cast<size_t>(line.length), 10243);
    const std::string text(titles->TextOf(n - 1), length);
    settings.profile().WriteTextNarrow(section, (L"Title" + std::to_wstring(n)).c_str(),
                                       text.c_str());
  }
  settings.profile().WriteInt(section, kTitlesSection, count);
  for (int32_t n = count + 1; n <= old; ++n) {
    settings.profile().WriteText(section, (L"Title" + std::to_wstring(n)).c_str(), nullptr);
  }
  return 1;
}

void DeriveCodeBits(Settings& settings) {
  FormatOptions& o = settings.options;
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
  if (o.CCChar >= 3) MarkUserSkipCountsStale(settings);
}

void ApplySwitchOverrides(Settings& settings, const CommandLine& commandLine) {
  FormatOptions& o = settings.options;
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
  DeriveCodeBits(settings);

  // S and s switch both recent lists on or off for this run; a list switched
  // on is read now, one switched off is emptied.
  const char recent = commandLine.Switch('S');
  if (recent) {
    RecentSwitches& lists = settings.recentSwitches;
    const int on = recent == 'S' ? 1 : 0;
    const bool filesChanged = lists.MruFiles != on;
    lists.MruFiles = lists.MruSearch = on;
    if (filesChanged) LoadRecentFiles(settings);
    if (!on) settings.recentTexts.count = settings.recentHex.count = 0;
  }
}

void StartupLoad(Settings& settings, std::wstring& profilePath, const CommandLine& commandLine) {
  ChooseProfile(settings, profilePath);
  LoadStartupSettings(settings, commandLine);
}

void LoadStartupSettings(Settings& settings, const CommandLine& commandLine) {
  LoadGlobalSettings(settings);
  settings.colors = DefaultColors();
  SetupState& setup = settings.setups;
  setup.CurrentSetup = commandLine.CurrentSetup;
  if (commandLine.Switch('V') != 'V') {
    LoadOptions(settings, kOptionsSection,
                kKindAll & ~(kKindPageSetup | kKindPrinter | kKindColors));
    LoadScreenColors(settings, kColorsSection);
    LoadPrintShades(settings, kColorsSection);
    LoadPrinterSettings(settings, kPrintSetupSection);
    LoadPageSetup(settings, kPageSetupSection);
  }
  if (!setup.CurrentSetup.empty()) {
    setup.SetupKinds = SetupKindsOf(settings, setup.CurrentSetup);
    LoadOptions(settings, setup.CurrentSetup, setup.SetupKinds);
    if (setup.SetupKinds & kKindScreenColors) LoadScreenColors(settings, setup.CurrentSetup);
    if (setup.SetupKinds & kKindPrintShades) LoadPrintShades(settings, setup.CurrentSetup);
  }
  ApplySwitchOverrides(settings, commandLine);
}

}  // namespace zorvo
