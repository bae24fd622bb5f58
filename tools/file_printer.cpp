#include "file_printer.h"

#include <windows.h>
// After windows.h, which it needs.
#include <winspool.h>

#include <string>
#include <vector>

namespace zorvo {

namespace {

constexpr wchar_t kDriver[] = L"Wine PostScript Driver";
constexpr wchar_t kEnvironment[] = L"Windows x64";
constexpr wchar_t kPpdName[] = L"zorvo.ppd";

// Just what the driver needs to know the paper: sizes, printable areas and
// dimensions in points.
constexpr char kPpd[] =
    "*PPD-Adobe: \"4.3\"\n"
    "*FormatVersion: \"4.3\"\n"
    "*FileVersion: \"1.0\"\n"
    "*LanguageVersion: English\n"
    "*LanguageEncoding: ISOLatin1\n"
    "*PCFileName: \"ZORVO.PPD\"\n"
    "*Manufacturer: \"Korrin\"\n"
    "*Product: \"(Zorvo PostScript)\"\n"
    "*ModelName: \"Zorvo PostScript\"\n"
    "*NickName: \"Zorvo PostScript\"\n"
    "*PSVersion: \"(3010.000) 0\"\n"
    "*LanguageLevel: \"3\"\n"
    "*ColorDevice: True\n"
    "*DefaultColorSpace: RGB\n"
    "*FileSystem: False\n"
    "*Throughput: \"1\"\n"
    "*TTRasterizer: Type42\n"
    "*DefaultResolution: 300dpi\n"
    "*OpenUI *PageSize: PickOne\n"
    "*OrderDependency: 10 AnySetup *PageSize\n"
    "*DefaultPageSize: Letter\n"
    "*PageSize Letter/US Letter: \"<</PageSize[612 792]/ImagingBBox null>>setpagedevice\"\n"
    "*PageSize A4/A4: \"<</PageSize[595 842]/ImagingBBox null>>setpagedevice\"\n"
    "*CloseUI: *PageSize\n"
    "*OpenUI *PageRegion: PickOne\n"
    "*OrderDependency: 10 AnySetup *PageRegion\n"
    "*DefaultPageRegion: Letter\n"
    "*PageRegion Letter/US Letter: \"<</PageSize[612 792]/ImagingBBox null>>setpagedevice\"\n"
    "*PageRegion A4/A4: \"<</PageSize[595 842]/ImagingBBox null>>setpagedevice\"\n"
    "*CloseUI: *PageRegion\n"
    "*DefaultImageableArea: Letter\n"
    "*ImageableArea Letter/US Letter: \"18 18 594 774\"\n"
    "*ImageableArea A4/A4: \"18 18 577 824\"\n"
    "*DefaultPaperDimension: Letter\n"
    "*PaperDimension Letter/US Letter: \"612 792\"\n"
    "*PaperDimension A4/A4: \"595 842\"\n"
    "*DefaultFont: Courier\n"
    "*Font Courier: Standard \"(002.004S)\" Standard ROM\n"
    "*Font Courier-Bold: Standard \"(002.004S)\" Standard ROM\n"
    "*Font Courier-BoldOblique: Standard \"(002.004S)\" Standard ROM\n"
    "*Font Courier-Oblique: Standard \"(002.004S)\" Standard ROM\n"
    "*Font Helvetica: Standard \"(001.006S)\" Standard ROM\n"
    "*Font Helvetica-Bold: Standard \"(001.007S)\" Standard ROM\n"
    "*Font Helvetica-BoldOblique: Standard \"(001.007S)\" Standard ROM\n"
    "*Font Helvetica-Oblique: Standard \"(001.006S)\" Standard ROM\n"
    "*Font Symbol: Special \"(001.007S)\" Special ROM\n"
    "*Font Times-Bold: Standard \"(001.007S)\" Standard ROM\n"
    "*Font Times-BoldItalic: Standard \"(001.009S)\" Standard ROM\n"
    "*Font Times-Italic: Standard \"(001.007S)\" Standard ROM\n"
    "*Font Times-Roman: Standard \"(001.007S)\" Standard ROM\n";

// The faces of the usual TrueType fonts and the printer's resident fonts
// that stand in for them: text in these is printed in the printer's font
// instead of with the TrueType font embedded in every page of the job. A
// font without a face of fixed pitch reaches the driver as "Courier".
constexpr const wchar_t* kFontSubstitutes[][2] = {
    {L"Courier New", L"Courier"},
    {L"Courier", L"Courier"},
    {L"Arial", L"Helvetica"},
    {L"Times New Roman", L"Times"},
};

unsigned long Fail(std::wstring* step, const wchar_t* what) {
  const unsigned long code = GetLastError();
  if (step) *step = what;
  return code ? code : ERROR_GEN_FAILURE;
}

// Whether the driver is installed; `dataFile` receives the path of the PPD
// it reads.
bool DriverInstalled(std::wstring& dataFile) {
  DWORD needed = 0, count = 0;
  EnumPrinterDriversW(nullptr, const_cast<wchar_t*>(kEnvironment), 2, nullptr, 0, &needed, &count);
  if (needed == 0) return false;
  std::vector<BYTE> buffer(needed);
  if (!EnumPrinterDriversW(nullptr, const_cast<wchar_t*>(kEnvironment), 2, buffer.data(), needed,
                           &needed, &count)) {
    return false;
  }
  const auto* drivers = reinterpret_cast<const DRIVER_INFO_2W*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) {
    if (drivers[i].pName && std::wstring(drivers[i].pName) == kDriver) {
      dataFile = drivers[i].pDataFile ? drivers[i].pDataFile : L"";
      return true;
    }
  }
  return false;
}

bool WriteFileBytes(const std::wstring& path, const char* bytes, DWORD size) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, bytes, size, &written, nullptr) && written == size;
  CloseHandle(file);
  return ok;
}

bool WritePpd(const std::wstring& directory) {
  CreateDirectoryW(directory.c_str(), nullptr);
  return WriteFileBytes(directory + L"\\" + kPpdName, kPpd, sizeof kPpd - 1);
}

unsigned long InstallDriver(std::wstring* step) {
  std::wstring installed;
  if (DriverInstalled(installed)) {
    // The PPD of now, also for a driver installed by an older version.
    if (!installed.empty() && !WriteFileBytes(installed, kPpd, sizeof kPpd - 1)) {
      return Fail(step, L"writing the PPD");
    }
    return 0;
  }
  wchar_t directory[MAX_PATH] = {};
  DWORD needed = 0;
  if (!GetPrinterDriverDirectoryW(nullptr, const_cast<wchar_t*>(kEnvironment), 1,
                                  reinterpret_cast<BYTE*>(directory), sizeof directory, &needed)) {
    return Fail(step, L"GetPrinterDriverDirectoryW");
  }
  if (!WritePpd(directory)) return Fail(step, L"writing the PPD");
  wchar_t driverFile[] = L"wineps.drv";
  wchar_t dataFile[MAX_PATH];
  lstrcpynW(dataFile, kPpdName, MAX_PATH);
  wchar_t name[64];
  lstrcpynW(name, kDriver, 64);
  wchar_t environment[32];
  lstrcpynW(environment, kEnvironment, 32);
  DRIVER_INFO_3W info{};
  info.cVersion = 3;
  info.pName = name;
  info.pEnvironment = environment;
  info.pDriverPath = driverFile;
  info.pDataFile = dataFile;
  info.pConfigFile = driverFile;
  if (!AddPrinterDriverW(nullptr, 3, reinterpret_cast<BYTE*>(&info))) {
    return Fail(step, L"AddPrinterDriverW");
  }
  return 0;
}

// Points an existing printer at `port` when it writes elsewhere.
unsigned long MovePrinter(HANDLE printer, const std::wstring& port, std::wstring* step) {
  DWORD needed = 0;
  GetPrinterW(printer, 2, nullptr, 0, &needed);
  if (needed == 0) return Fail(step, L"GetPrinterW");
  std::vector<BYTE> buffer(needed);
  if (!GetPrinterW(printer, 2, buffer.data(), needed, &needed)) return Fail(step, L"GetPrinterW");
  auto* info = reinterpret_cast<PRINTER_INFO_2W*>(buffer.data());
  if (info->pPortName && port == info->pPortName) return 0;
  std::wstring copy = port;
  info->pPortName = copy.data();
  info->pSecurityDescriptor = nullptr;
  if (!SetPrinterW(printer, 2, buffer.data(), 0)) return Fail(step, L"SetPrinterW");
  return 0;
}

// The driver reads the substitutes from the printer's data when a job starts.
unsigned long SetFontSubstitutes(HANDLE printer, std::wstring* step) {
  const wchar_t key[] = L"PrinterDriverData\\FontSubTable";
  for (const auto& pair : kFontSubstitutes) {
    std::wstring font = pair[1];
    const auto bytes = static_cast<DWORD>((font.size() + 1) * sizeof(wchar_t));
    const DWORD failed = SetPrinterDataExW(printer, key, pair[0], REG_SZ,
                                           reinterpret_cast<BYTE*>(font.data()), bytes);
    if (failed != ERROR_SUCCESS) {
      if (step) *step = L"SetPrinterDataExW";
      return failed;
    }
  }
  return 0;
}

}  // namespace

unsigned long AddFilePrinter(const std::wstring& name, const std::wstring& port,
                             std::wstring* step) {
  if (const unsigned long failed = InstallDriver(step)) return failed;
  HANDLE printer = nullptr;
  std::wstring printerName = name;
  PRINTER_DEFAULTSW access{nullptr, nullptr, PRINTER_ALL_ACCESS};
  if (OpenPrinterW(printerName.data(), &printer, &access)) {
    unsigned long failed = MovePrinter(printer, port, step);
    if (!failed) failed = SetFontSubstitutes(printer, step);
    ClosePrinter(printer);
    return failed;
  }
  std::wstring portName = port;
  wchar_t driver[64];
  lstrcpynW(driver, kDriver, 64);
  wchar_t processor[] = L"WinPrint";
  wchar_t datatype[] = L"RAW";
  PRINTER_INFO_2W info{};
  info.pPrinterName = printerName.data();
  info.pPortName = portName.data();
  info.pDriverName = driver;
  info.pPrintProcessor = processor;
  info.pDatatype = datatype;
  info.Attributes = PRINTER_ATTRIBUTE_LOCAL;
  printer = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
  if (!printer) return Fail(step, L"AddPrinterW");
  const unsigned long failed = SetFontSubstitutes(printer, step);
  ClosePrinter(printer);
  return failed;
}

bool MakeDefaultPrinter(const std::wstring& name) { return SetDefaultPrinterW(name.c_str()) != 0; }

}  // namespace zorvo
