// The chosen printer's device-mode and device-names records, kept as keys of
// a profile section.
#include "viewer/settings/printer_settings.h"

#include <string>

#include "viewer/settings/profile_store.h"
#include "viewer/settings/settings.h"

namespace zorvo {

namespace {

constexpr size_t kDeviceNameChars = 31;
constexpr size_t kNameTextCapacity = 256;
constexpr uint16_t kDeviceModeSize = 220;
constexpr size_t kDeviceNamesHeader = 4;  // four offset words, counted as characters

struct NumericKey {
  const wchar_t* key;
  uint32_t bit;  // DM_* field bit
  int16_t DeviceMode::*value;
};

constexpr NumericKey kNumericKeys[] = {
    {L"PrtOrientation", 0x1, &DeviceMode::orientation},
    {L"PrtPaperSize", 0x2, &DeviceMode::paperSize},
    {L"PrtPaperLength", 0x4, &DeviceMode::paperLength},
    {L"PrtPaperWidth", 0x8, &DeviceMode::paperWidth},
    {L"PrtScale", 0x10, &DeviceMode::scale},
    {L"PrtCopies", 0x100, &DeviceMode::copies},
    {L"PrtDefaultSource", 0x200, &DeviceMode::defaultSource},
    {L"PrtPrintQuality", 0x400, &DeviceMode::printQuality},
    {L"PrtColor", 0x800, &DeviceMode::color},
    {L"PrtDuplex", 0x1000, &DeviceMode::duplex},
    {L"PrtYResolution", 0x2000, &DeviceMode::yResolution},
    {L"PrtTTOption", 0x4000, &DeviceMode::ttOption},
};

}  // namespace

int SavePrinterSettings(Settings& settings, std::wstring_view section) {
  if (settings.profile().ReadOnly() != 0) return 0;
  const PrinterSelection& printer = settings.printer;
  if (const auto& dm = printer.devMode) {
    for (const NumericKey& k : kNumericKeys) {
      // A value the driver does not set must not linger from an older printer.
      if (dm->fields & k.bit) {
        settings.profile().WriteInt(section, k.key, (*dm).*k.value);
      } else {
        settings.profile().WriteText(section, k.key, nullptr);
      }
    }
    // The device-mode record holds 31 characters of the name; the names
    // record holds it whole, and a cut name opens no printer.
    const std::wstring device =
        printer.devNames && printer.devNames->device.starts_with(dm->deviceName)
            ? printer.devNames->device
            : dm->deviceName.substr(0, kDeviceNameChars);
    settings.profile().WriteText(section, L"PrtDevice", device.c_str());
    settings.profile().WriteUnsigned(section, L"PrtSpecVersion", dm->specVersion);
    settings.profile().WriteUnsigned(section, L"PrtDriverVersion", dm->driverVersion);
  }
  if (const auto& dn = printer.devNames) {
    settings.profile().WriteText(section, L"PrtDriver", dn->driver.c_str());
    settings.profile().WriteText(section, L"PrtOutput", dn->output.c_str());
  }
  return printer.devMode && printer.devNames ? 1 : 0;
}

int LoadPrinterSettings(Settings& settings, std::wstring_view section) {
  PrinterSelection& printer = settings.printer;
  DeviceMode dm;
  for (const NumericKey& k : kNumericKeys) {
    dm.*k.value = static_cast<int16_t>(settings.profile().GetInt(section, k.key, 0));
    if (dm.*k.value != 0) dm.fields |= k.bit;
  }
  // The whole name for the names record; older profiles hold at most 31
  // characters, which read as before.
  const std::wstring device =
      settings.profile().GetText(section, L"PrtDevice", L"", kNameTextCapacity);
  dm.deviceName = device.substr(0, kDeviceNameChars);
  dm.specVersion = static_cast<uint16_t>(settings.profile().GetInt(section, L"PrtSpecVersion", 0));
  dm.driverVersion =
      static_cast<uint16_t>(settings.profile().GetInt(section, L"PrtDriverVersion", 0));
  if (dm == DeviceMode{}) {
    // Nothing saved: the system's default printer stays in charge.
    printer.devMode.reset();
    return 0;
  }
  if (dm.size == 0) dm.size = kDeviceModeSize;
  printer.devMode = std::move(dm);

  std::wstring driver = settings.profile().GetText(section, L"PrtDriver", L"", kNameTextCapacity);
  std::wstring output = settings.profile().GetText(section, L"PrtOutput", L"", kNameTextCapacity);
  const size_t needed =
      kDeviceNamesHeader + driver.size() + 1 + device.size() + 1 + output.size() + 1;
  if (!printer.devNames || printer.devNames->capacity < needed) {
    printer.devNames = DeviceNames{{}, {}, {}, needed};
  }
  printer.devNames->driver = std::move(driver);
  printer.devNames->device = device;
  printer.devNames->output = std::move(output);
  return 1;
}

}  // namespace zorvo
