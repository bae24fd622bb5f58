#include "viewer/settings/printer_settings.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "viewer/settings/profile_store.h"

namespace zorvo {
namespace {

constexpr wchar_t kSection[] = L"Zorvo Setup";

class PrinterSettingsTest : public testing::Test {
 protected:
  void SetUp() override {
    SetProfile(std::make_unique<ProfileStore>(MakeMemoryBackend()));
    Printer() = PrinterSelection{};
  }
  void TearDown() override {
    SetProfile(nullptr);
    Printer() = PrinterSelection{};
  }
  static std::wstring Text(const wchar_t* key) { return ProfileGetText(kSection, key, L"-", 300); }
  static void Put(const wchar_t* key, const wchar_t* text) { ProfileWriteText(kSection, key, text); }
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
  Printer().devMode = dm;
  Printer().devNames = DeviceNames{L"winspool", L"Laser", L"LPT1:", 64};
  EXPECT_EQ(SavePrinterSettings(kSection), 1);
  EXPECT_EQ(Text(L"PrtOrientation"), L"2");
  EXPECT_EQ(Text(L"PrtPaperSize"), L"-");
  EXPECT_EQ(Text(L"PrtDevice"), L"Laser");
  EXPECT_EQ(Text(L"PrtSpecVersion"), L"1025");
  EXPECT_EQ(Text(L"PrtDriverVersion"), L"65535");
  EXPECT_EQ(Text(L"PrtDriver"), L"winspool");
  EXPECT_EQ(Text(L"PrtOutput"), L"LPT1:");
}

TEST_F(PrinterSettingsTest, SavingNeedsBothRecordsAndAWritableProfile) {
  Printer().devNames = DeviceNames{L"winspool", L"Laser", L"LPT1:", 64};
  EXPECT_EQ(SavePrinterSettings(kSection), 0);
  EXPECT_EQ(Text(L"PrtDriver"), L"winspool");  // what there is still goes
  EXPECT_EQ(Text(L"PrtDevice"), L"-");

  SetProfile(std::make_unique<ProfileStore>(MakeMemoryBackend(), -1));
  Printer().devMode = DeviceMode{};
  EXPECT_EQ(SavePrinterSettings(kSection), 0);
  EXPECT_TRUE(Profile().backend().Keys(kSection).empty());
}

TEST_F(PrinterSettingsTest, AnEmptySectionLeavesNoDeviceMode) {
  Printer().devMode = DeviceMode{};
  Printer().devMode->size = 220;
  const DeviceNames names{L"winspool", L"Old", L"FILE:", 40};
  Printer().devNames = names;
  Put(L"PrtDriver", L"ignored");
  EXPECT_EQ(LoadPrinterSettings(kSection), 0);
  EXPECT_FALSE(Printer().devMode);
  EXPECT_EQ(Printer().devNames, names);
}

TEST_F(PrinterSettingsTest, NamesAloneRebuildBothRecords) {
  Put(L"PrtDevice", L"Laser");
  Put(L"PrtDriver", L"winspool");
  Put(L"PrtOutput", L"LPT1:");
  EXPECT_EQ(LoadPrinterSettings(kSection), 1);
  ASSERT_TRUE(Printer().devMode);
  DeviceMode expected;
  expected.deviceName = L"Laser";
  expected.size = 220;
  EXPECT_EQ(*Printer().devMode, expected);
  ASSERT_TRUE(Printer().devNames);
  EXPECT_EQ(*Printer().devNames, (DeviceNames{L"winspool", L"Laser", L"LPT1:", 4 + 9 + 6 + 6}));
}

TEST_F(PrinterSettingsTest, ALongPrinterNameComesBackWhole) {
  const std::wstring name = L"Zorvo PostScript on the third floor, room 3.14";
  DeviceMode dm;
  dm.deviceName = name.substr(0, 31);  // as much as the device-mode record holds
  Printer().devMode = dm;
  Printer().devNames = DeviceNames{L"winspool", name, L"LPT1:", 64};
  ASSERT_EQ(SavePrinterSettings(kSection), 1);
  Printer() = PrinterSelection{};
  ASSERT_EQ(LoadPrinterSettings(kSection), 1);
  ASSERT_TRUE(Printer().devNames);
  EXPECT_EQ(Printer().devNames->device, name) << "the name that opens the printer";
  EXPECT_EQ(Printer().devMode->deviceName, name.substr(0, 31));
}

TEST_F(PrinterSettingsTest, TheNamesRecordIsReusedWhileTheTextsFit) {
  Put(L"PrtDevice", L"A long printer name");
  Put(L"PrtDriver", L"winspool");
  Put(L"PrtOutput", L"\\\\server\\queue");
  ASSERT_EQ(LoadPrinterSettings(kSection), 1);
  const size_t capacity = Printer().devNames->capacity;
  EXPECT_EQ(capacity, 4u + 20 + 9 + 15);

  Put(L"PrtDevice", L"Short");
  Put(L"PrtOutput", L"LPT1:");
  ASSERT_EQ(LoadPrinterSettings(kSection), 1);
  EXPECT_EQ(Printer().devNames->capacity, capacity);
  EXPECT_EQ(Printer().devNames->device, L"Short");
  EXPECT_EQ(Printer().devNames->output, L"LPT1:");

  Put(L"PrtOutput", L"\\\\a-much-longer-server-name\\queue");
  ASSERT_EQ(LoadPrinterSettings(kSection), 1);
  EXPECT_EQ(Printer().devNames->capacity, 4u + 6 + 9 + 34);
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
  Printer().devMode = dm;
  Printer().devNames = DeviceNames{L"winspool", dm.deviceName, L"Ne01:", 100};
  ASSERT_EQ(SavePrinterSettings(kSection), 1);
  Printer() = PrinterSelection{};
  ASSERT_EQ(LoadPrinterSettings(kSection), 1);
  EXPECT_EQ(*Printer().devMode, dm);
}

TEST_F(PrinterSettingsTest, ZeroValuesLeaveTheirFieldsClear) {
  Put(L"PrtCopies", L"0");
  Put(L"PrtColor", L"65536");  // nothing left in 16 bits
  Put(L"PrtYResolution", L"600");
  ASSERT_EQ(LoadPrinterSettings(kSection), 1);
  EXPECT_EQ(Printer().devMode->fields, 0x2000u);
  EXPECT_EQ(Printer().devMode->yResolution, 600);
}

}  // namespace
}  // namespace zorvo
