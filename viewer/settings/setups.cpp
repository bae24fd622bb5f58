#include "viewer/settings/setups.h"

#include <cwctype>

#include "viewer/settings/colors.h"
#include "viewer/settings/printer_settings.h"
#include "viewer/settings/profile_store.h"
#include "viewer/settings/settings.h"

namespace zorvo {

namespace {

bool SameNoCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::towupper(a[i]) != std::towupper(b[i])) return false;
  }
  return true;
}

std::wstring SetupKey(int n) { return kSetupListKey + std::to_wstring(n); }

constexpr size_t kPrefixLength = sizeof(kSetupPrefix) / sizeof(wchar_t) - 1;

}  // namespace

std::vector<std::wstring> SetupList(Settings& settings) {
  std::vector<std::wstring> names;
  for (int n = 1;; ++n) {
    std::wstring name = settings.profile().GetText(kSetupListSection, SetupKey(n), L"", 256);
    if (name.empty()) break;
    names.push_back(std::move(name));
  }
  return names;
}

std::wstring CheckSetupName(std::wstring_view name) {
  if (name.empty()) return L"You must select a name.";
  if (static_cast<unsigned>(name[0]) <= 32 || name[0] == 0x7F) return L"The setup name must not begin with a space.";
  if (kPrefixLength + name.size() >= kSetupSectionLimit) {
    return L"The selected setup name is too long.";
  }
  return L"";
}

std::wstring LoadSetupSection(std::wstring_view name, std::wstring& message) {
  std::wstring section = kSetupPrefix + std::wstring(name);
  if (section.size() < kSetupSectionLimit) {
    message.clear();
    return section;
  }
  message = L"Selected name too long.";
  return L"";
}

BoxKinds KindsFromBoxes(const KindBoxes& boxes) {
  BoxKinds result;
  for (int i = 0; i < kKindBoxCount; ++i) {
    if (boxes[i] == kBoxChecked || boxes[i] == kBoxGrey) result.kinds |= kKindBoxBits[i];
    if (boxes[i] == kBoxGrey) result.grey |= kKindBoxBits[i];
  }
  return result;
}

KindBoxes SaveOptionsBoxes() { return {kBoxChecked, kBoxChecked, kBoxGrey, kBoxGrey, kBoxChecked}; }

bool AllBoxesGrey(const KindBoxes& boxes) {
  for (int state : boxes) {
    if (state != kBoxGrey) return false;
  }
  return true;
}

KindBoxes SaveSetupBoxes(uint32_t setupKinds) {
  if (setupKinds == 0) setupKinds = kKindFormat | kKindTitles;
  KindBoxes boxes{};
  for (int i = 0; i < kKindBoxCount; ++i) {
    boxes[i] = (setupKinds & kKindBoxBits[i]) ? kBoxChecked : kBoxUnchecked;
  }
  return boxes;
}

uint32_t SetupKindsOf(Settings& settings, std::wstring_view section) {
  const uint32_t kinds =
      static_cast<uint32_t>(settings.profile().GetInt(section, kSetupKindsKey, 0));
  return kinds == 0 ? kKindAll : kinds;
}

void SaveSetupSection(Settings& settings, const WindowRect* window, const LineTable* titles) {
  const SetupState& setup = settings.setups;
  const std::wstring& section = setup.CurrentSetup;
  if (section.empty()) return;
  const uint32_t kinds = setup.SetupKinds;
  settings.profile().WriteText(section, nullptr, nullptr);  // always rewritten from scratch
  if (kinds & kKindFormat) SaveFormatOptions(settings, section, window);
  if (kinds & kKindPageSetup) SavePageSetup(settings, section);
  if (kinds & kKindPrinter) SavePrinterSettings(settings, section);
  if (kinds & kKindScreenColors) SaveScreenColors(settings, section);
  if (kinds & kKindPrintShades) SavePrintShades(settings, section);
  if (kinds & kKindTitles) SaveTitles(settings, section, titles);
  settings.profile().WriteUnsigned(section, kSetupKindsKey, kinds);

  if (section.size() < kPrefixLength ||
      !SameNoCase(std::wstring_view(section).substr(0, kPrefixLength), kSetupPrefix)) {
    return;
  }
  const std::wstring_view name = std::wstring_view(section).substr(kPrefixLength);
  for (int n = 1;; ++n) {
    const std::wstring listed =
        settings.profile().GetText(kSetupListSection, SetupKey(n), L"", 256);
    if (listed.empty()) {
      const std::wstring text(name);
      settings.profile().WriteText(kSetupListSection, SetupKey(n).c_str(), text.c_str());
      return;
    }
    if (SameNoCase(listed, name)) return;
  }
}

int ReloadSetup(Settings& settings, LineTable* titles) {
  SetupState& setup = settings.setups;
  if (setup.CurrentSetup.empty()) return 0;
  setup.SetupKinds = SetupKindsOf(settings, setup.CurrentSetup);
  LoadOptions(settings, setup.CurrentSetup, setup.SetupKinds);
  if (setup.SetupKinds & kKindScreenColors) LoadScreenColors(settings, setup.CurrentSetup);
  if (setup.SetupKinds & kKindPrintShades) LoadPrintShades(settings, setup.CurrentSetup);
  if (setup.SetupKinds & kKindTitles) LoadTitles(settings, setup.CurrentSetup, titles);
  return 1;
}

void SaveOptionsCommand(Settings& settings, uint32_t kinds, uint32_t grey, const WindowRect* window,
                        const LineTable* titles) {
  static constexpr struct {
    uint32_t kind;
    const wchar_t* section;
  } kSections[] = {{kKindFormat, kOptionsSection},     {kKindTitles, kTitlesSection},
                   {kKindPageSetup, kPageSetupSection}, {kKindPrinter, kPrintSetupSection},
                   {kKindColors, kColorsSection}};
  // Unchecked kinds go back to their defaults.
  for (const auto& item : kSections) {
    if (!(kinds & item.kind)) settings.profile().WriteText(item.section, nullptr, nullptr);
  }
  const uint32_t write = kinds & ~grey;
  if (write & kKindFormat) SaveFormatOptions(settings, kOptionsSection, window);
  if (write & kKindTitles) SaveTitles(settings, kTitlesSection, titles);
  if (write & kKindPageSetup) SavePageSetup(settings, kPageSetupSection);
  if (write & kKindPrinter) SavePrinterSettings(settings, kPrintSetupSection);
  if (write & kKindColors) {
    SaveScreenColors(settings, kColorsSection);
    SavePrintShades(settings, kColorsSection);
  }
}

}  // namespace zorvo
