// The printer chosen for the run, and its keys ("Prt...") in a profile
// section, so that a later run or a setup prints on the same printer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zorvo {

struct Settings;

// The fields of the system's device-mode record that are kept.
struct DeviceMode {
  std::wstring deviceName;  // 31 characters at most
  uint16_t specVersion = 0;
  uint16_t driverVersion = 0;
  uint16_t size = 0;        // 220 once restored
  uint32_t fields = 0;      // DM_* bits of the values set
  int16_t orientation = 0, paperSize = 0, paperLength = 0, paperWidth = 0, scale = 0,
          copies = 0, defaultSource = 0, printQuality = 0, color = 0, duplex = 0,
          yResolution = 0, ttOption = 0;
  bool operator==(const DeviceMode&) const = default;
};

// The three texts of the system's device-names record.
struct DeviceNames {
  std::wstring driver, device, output;
  size_t capacity = 0;  // characters the record can hold; reused when the texts fit
  bool operator==(const DeviceNames&) const = default;
};

struct PrinterSelection {
  std::optional<DeviceMode> devMode;
  std::optional<DeviceNames> devNames;
};

int SavePrinterSettings(Settings& settings, std::wstring_view section);
int LoadPrinterSettings(Settings& settings, std::wstring_view section);

}  // namespace zorvo
