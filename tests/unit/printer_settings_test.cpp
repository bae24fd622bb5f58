#include "viewer/settings/printer_settings.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "viewer/settings/profile_store.h"
#include "viewer/settings/settings.h"

namespace zorvo {
namespace {

constexpr wchar_t kSection[] = L"Zorvo Setup";

class PrinterSettingsTest : public testing::Test {
 protected:
  std::wstring Text(const wchar_t* key) {
    return settings.profile().GetText(kSection, key, L"-", 300);
  }
  void Put(const wchar_t* key, const wchar_t* text) {
    settings.profile().WriteText(kSection, key, text);
  }

  Settings settings;
};

TEST_F(PrinterSettingsTest, OnlyTheFieldsSetAreWritten) {
  Put(L"PrtPaperSize", L"9");  // from an earlier printer
  DeviceMode dm;
  dm.deviceName = L"Laser";
  dm.specVersion = 0x401;
  dm.driverVersion = 0xFFFF;
  dm.fields = 0x1;
  dm.orientation = 2;
  dm.paperSize = 5;  // not flagged: the driver does not use it
  settings.printer.devMode = dm;
  settings.printer.devNames = DeviceNames{L"winspool", L"Laser", L"LPT1:", 64};
  EXPECT_EQ(SavePrinterSettings(settings, kSection), 1);
  EXPECT_EQ(Text(L"PrtOrientation"), L"2");
  EXPECT_EQ(Text(L"PrtPaperSize"), L"-");
  EXPECT_EQ(Text(L"PrtDevice"), L"Laser");
  EXPECT_EQ(Text(L"PrtSpecVersion"), L"1025");
  EXPECT_EQ(Text(L"PrtDriverVersion"), L"65535");
  EXPECT_EQ(Text(L"PrtDriver"), L"winspool");
  EXPECT_EQ(Text(L"PrtOutput"), L"LPT1:");
}

TEST_F(PrinterSettingsTest, SavingNeedsBothRecordsAndAWritableProfile) {
  settings.printer.devNames = DeviceNames{L"winspool", L"Laser", L"LPT1:", 64};
  EXPECT_EQ(SavePrinterSettings(settings, kSection), 0);
  EXPECT_EQ(Text(L"PrtDriver"), L"winspool");  // what there is still goes
  EXPECT_EQ(Text(L"PrtDevice"), L"-");

  settings.store = std::make_unique<ProfileStore>(MakeMemoryBackend(), -1);
  settings.printer.devMode = DeviceMode{};
  EXPECT_EQ(SavePrinterSettings(settings, kSection), 0);
  EXPECT_TRUE(settings.profile().backend().Keys(kSection).empty());
}

TEST_F(PrinterSettingsTest, AnEmptySectionLeavesNoDeviceMode) {
  settings.printer.devMode = DeviceMode{};
  settings.printer.devMode->size = 220;
  const DeviceNames names{L"winspool", L"Old", L"FILE:", 40};
  settings.printer.devNames = names;
  Put(L"PrtDriver", L"ignored");
  EXPECT_EQ(LoadPrinterSettings(settings, kSection), 0);
  EXPECT_FALSE(settings.printer.devMode);
  EXPECT_EQ(settings.printer.devNames, names);
}

TEST_F(PrinterSettingsTest, NamesAloneRebuildBothRecords) {
  Put(L"PrtDevice", L"Laser");
  Put(L"PrtDriver", L"winspool");
  Put(L"PrtOutput", L"LPT1:");
  EXPECT_EQ(LoadPrinterSettings(settings, kSection), 1);
  ASSERT_TRUE(settings.printer.devMode);
  DeviceMode expected;
  expected.deviceName = L"Laser";
  expected.size = 220;
  EXPECT_EQ(*settings.printer.devMode, expected);
  ASSERT_TRUE(settings.printer.devNames);
  EXPECT_EQ(*settings.printer.devNames,
            (DeviceNames{L"winspool", L"Laser", L"LPT1:", 4 + 9 + 6 + 6}));
}

TEST_F(PrinterSettingsTest, ALongPrinterNameComesBackWhole) {
  const std::wstring name = L"Zorvo PostScript on the third floor, room 3.14";
  DeviceMode dm;
  dm.deviceName = name.substr(0, 31);  // as much as the device-mode record holds
  settings.printer.devMode = dm;
  settings.printer.devNames = DeviceNames{L"winspool", name, L"LPT1:", 64};
  ASSERT_EQ(SavePrinterSettings(settings, kSection), 1);
  settings.printer = PrinterSelection{};
  ASSERT_EQ(LoadPrinterSettings(settings, kSection), 1);
  ASSERT_TRUE(settings.printer.devNames);
  EXPECT_EQ(settings.printer.devNames->device, name) << "the name that opens the printer";
  EXPECT_EQ(settings.printer.devMode->deviceName, name.substr(0, 31));
}

TEST_F(PrinterSettingsTest, TheNamesRecordIsReusedWhileTheTextsFit) {
  Put(L"PrtDevice", L"A long printer name");
  Put(L"PrtDriver", L"winspool");
  Put(L"PrtOutput", L"\\\\server\\queue");
  ASSERT_EQ(LoadPrinterSettings(settings, kSection), 1);
  const size_t capacity = settings.printer.devNames->capacity;
  EXPECT_EQ(capacity, 4u + 20 + 9 + 15);

  Put(L"PrtDevice", L"Short");
  Put(L"PrtOutput", L"LPT1:");
  ASSERT_EQ(LoadPrinterSettings(settings, kSection), 1);
  EXPECT_EQ(settings.printer.devNames->capacity, capacity);
  EXPECT_EQ(settings.printer.devNames->device, L"Short");
  EXPECT_EQ(settings.printer.devNames->output, L"LPT1:");

  Put(L"PrtOutput", L"\\\\a-much-longer-server-name\\queue");
  ASSERT_EQ(LoadPrinterSettings(settings, kSection), 1);
  EXPECT_EQ(settings.printer.devNames->capacity, 4u + 6 + 9 + 34);
}

TEST_F(PrinterSettingsTest, ValuesRoundTripAndSetTheirFields) {
  DeviceMode dm;
  dm.deviceName = L"Printer with a name of 31 chars";
  dm.specVersion = 0x30A;
  dm.driverVersion = 0x8001;
  dm.size = 220;
  dm.fields = 0x1 | 0x10 | 0x400 | 0x1000 | 0x4000;
  dm.orientation = 1;
  dm.scale = 100;
  dm.printQuality = -4;  // DMRES_HIGH
  dm.duplex = 2;
  dm.ttOption = -32768;
  settings.printer.devMode = dm;
  settings.printer.devNames = DeviceNames{L"winspool", dm.deviceName, L"Ne01:", 100};
  ASSERT_EQ(SavePrinterSettings(settings, kSection), 1);
  settings.printer = PrinterSelection{};
  ASSERT_EQ(LoadPrinterSettings(settings, kSection), 1);
  EXPECT_EQ(*settings.printer.devMode, dm);
}

TEST_F(PrinterSettingsTest, ZeroValuesLeaveTheirFieldsClear) {
  Put(L"PrtCopies", L"0");
  Put(L"PrtColor", L"65536");  // nothing left in 16 bits
  Put(L"PrtYResolution", L"600");
  ASSERT_EQ(LoadPrinterSettings(settings, kSection), 1);
  EXPECT_EQ(settings.printer.devMode->fields, 0x2000u);
  EXPECT_EQ(settings.printer.devMode->yResolution, 600);
}

}  // namespace
}  // namespace zorvo
