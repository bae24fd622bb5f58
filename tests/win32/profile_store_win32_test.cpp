// What the Windows stores leave behind, looked at from outside: the registry
// values and the bytes of the INI file; and the parts of choosing a profile
// and reading regional settings that only Windows has.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "viewer/settings/profile_store.h"
#include "viewer/settings/settings.h"

namespace zorvo {
namespace {

namespace fs = std::filesystem;

std::wstring UniqueSuffix() {
  static unsigned counter = 0;
  return std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++counter);
}

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

class RegistryStoreTest : public testing::Test {
 protected:
  ~RegistryStoreTest() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, root_.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, root_.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Korrin");  // only when nothing else is there
  }

  // The type and the raw bytes of a value, read straight from the registry.
  bool Raw(const wchar_t* section, const wchar_t* name, DWORD& type, std::vector<BYTE>& data) {
    HKEY key;
    const std::wstring path = root_ + L"\\" + section;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
      return false;
    }
    DWORD size = 0;
    LONG status = RegQueryValueExW(key, name, nullptr, &type, nullptr, &size);
    data.resize(size);
    if (status == ERROR_SUCCESS) {
      status = RegQueryValueExW(key, name, nullptr, &type, data.data(), &size);
    }
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
  }
  void SetRaw(const wchar_t* section, const wchar_t* name, DWORD type, const void* data,
              DWORD size) {
    HKEY key;
    const std::wstring path = root_ + L"\\" + section;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }
  static std::vector<BYTE> Bytes(const std::wstring& text) {
    const BYTE* p = reinterpret_cast<const BYTE*>(text.c_str());
    return std::vector<BYTE>(p, p + (text.size() + 1) * sizeof(wchar_t));
  }

  std::wstring root_ = L"Software\\Korrin\\ZorvoTest" + UniqueSuffix();
  ProfileStore store_{MakeUserStoreBackend(root_)};
};

TEST_F(RegistryStoreTest, ValuesAreTextWithTheirTerminatorInASubkeyPerSection) {
  ASSERT_TRUE(store_.WriteText(L"Colors", L"Text", L"caf\u00e9"));
  ASSERT_TRUE(store_.WriteInt(L"Colors", L"Size", -12));
  ASSERT_TRUE(store_.WriteUnsigned(L"Colors", L"Mask", 4294967295u));
  DWORD type = 0;
  std::vector<BYTE> data;
  ASSERT_TRUE(Raw(L"Colors", L"Text", type, data));
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(data, Bytes(L"caf\u00e9"));
  ASSERT_TRUE(Raw(L"Colors", L"Size", type, data));
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(data, Bytes(L"-12"));
  ASSERT_TRUE(Raw(L"Colors", L"Mask", type, data));
  EXPECT_EQ(data, Bytes(L"4294967295"));
}

TEST_F(RegistryStoreTest, ValuesOfOtherTypesCountAsMissing) {
  const DWORD number = 7;
  SetRaw(L"Colors", L"Number", REG_DWORD, &number, sizeof number);
  const std::wstring expand = L"%TEMP%";
  SetRaw(L"Colors", L"Expand", REG_EXPAND_SZ, expand.c_str(),
         static_cast<DWORD>((expand.size() + 1) * sizeof(wchar_t)));
  EXPECT_EQ(store_.GetInt(L"Colors", L"Number", 99), 99);
  EXPECT_EQ(store_.GetText(L"Colors", L"Expand", L"none", 100), L"none");
}

TEST_F(RegistryStoreTest, TheUnnamedDefaultValueIsNoKeyOfTheSection) {
  // Left by another program, or by reg add /ve.
  const std::wstring text = L"not a table";
  SetRaw(L"CarriageControl", L"", REG_SZ, text.c_str(),
         static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  ASSERT_TRUE(store_.WriteText(L"CarriageControl", L"MINE", L"49=-1"));
  EXPECT_EQ(store_.GetKeyList(L"CarriageControl", 100), std::wstring(L"MINE\0\0", 6));
}

TEST_F(RegistryStoreTest, TextStoredWithoutItsTerminatorIsRead) {
  const wchar_t text[] = {L'a', L'b', L'c'};
  SetRaw(L"Colors", L"Bare", REG_SZ, text, sizeof text);
  EXPECT_EQ(store_.GetText(L"Colors", L"Bare", L"", 100), L"abc");
}

class IniFileWin32Test : public testing::Test {
 protected:
  ~IniFileWin32Test() override {
    SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path_.c_str());
  }
  // An absolute path: a bare name would send the functions to the Windows
  // directory.
  fs::path path_ = fs::temp_directory_path() / (L"zorvo_ini_" + UniqueSuffix() + L".ini");
  ProfileStore store_{MakeIniBackend(path_.wstring())};
};

TEST_F(IniFileWin32Test, FileHoldsSectionAndKeyLines) {
  ASSERT_TRUE(store_.WriteText(L"Section", L"Key", L"Value"));
  ASSERT_TRUE(store_.WriteInt(L"Section", L"Number", 42));
  const std::string bytes = ReadBytes(path_);
  EXPECT_NE(bytes.find("[Section]\r\n"), std::string::npos) << bytes;
  EXPECT_NE(bytes.find("\r\nKey=Value\r\n"), std::string::npos) << bytes;
  EXPECT_NE(bytes.find("\r\nNumber=42\r\n"), std::string::npos) << bytes;
}

TEST_F(IniFileWin32Test, FileIsWrittenInTheAnsiCodePage) {
  if (GetACP() != 1252) GTEST_SKIP() << "expects code page 1252, has " << GetACP();
  ASSERT_TRUE(store_.WriteText(L"Section", L"Latin", L"caf\u00e9 \u20ac"));
  ASSERT_TRUE(store_.WriteText(L"Section", L"Cjk", L"\u4e2d"));
  const std::string bytes = ReadBytes(path_);
  EXPECT_NE(bytes.find("Latin=caf\xE9 \x80\r\n"), std::string::npos) << bytes;
  // A character the code page lacks cannot be kept in such a file.
  EXPECT_EQ(store_.GetText(L"Section", L"Cjk", L"", 10), L"?");
}

TEST_F(IniFileWin32Test, ValuesWithBlankOrQuoteEndsAreWrittenQuoted) {
  ASSERT_TRUE(store_.WriteText(L"Titles", L"Title1", L"  REPORT  "));
  ASSERT_TRUE(store_.WriteText(L"Titles", L"Title2", L"\"as typed\""));
  ASSERT_TRUE(store_.WriteText(L"Titles", L"Title3", L"plain"));
  const std::string bytes = ReadBytes(path_);
  EXPECT_NE(bytes.find("\r\nTitle1=\"  REPORT  \"\r\n"), std::string::npos) << bytes;
  EXPECT_NE(bytes.find("\r\nTitle2=\"\"as typed\"\"\r\n"), std::string::npos) << bytes;
  EXPECT_NE(bytes.find("\r\nTitle3=plain\r\n"), std::string::npos) << bytes;
  // The way earlier versions read them: the system's own function.
  wchar_t read[64] = {};
  GetPrivateProfileStringW(L"Titles", L"Title1", L"", read, 64, path_.c_str());
  EXPECT_STREQ(read, L"  REPORT  ");
}

// The file is in the ANSI code page: each byte of an 8-bit text is stored
// as itself, whichever single-byte code page the system uses.
TEST_F(IniFileWin32Test, EightBitTextsKeepTheirBytesInTheFile) {
  CPINFO info{};
  ASSERT_TRUE(GetCPInfo(CP_ACP, &info));
  if (info.MaxCharSize != 1) GTEST_SKIP() << "a multi-byte code page: " << GetACP();
  std::string high;
  for (int b = 0x80; b <= 0xFF; ++b) {
    const char byte = static_cast<char>(b);
    wchar_t c;
    // Bytes the code page does not define cannot be in an ANSI file.
    if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, &byte, 1, &c, 1) == 1) high += byte;
  }
  store_.WriteTextNarrow(L"MRU Search", L"Text1", high.c_str());
  EXPECT_NE(ReadBytes(path_).find("Text1=" + high + "\r\n"), std::string::npos)
      << "code page " << GetACP();
  EXPECT_EQ(store_.GetTextNarrow(L"MRU Search", L"Text1", 256), high) << "code page " << GetACP();
}

class WindowsDirectoryTest : public testing::Test {
 protected:
  ~WindowsDirectoryTest() override { DeleteFileW(shared_.c_str()); }
  static std::wstring WindowsDirectory() {
    wchar_t folder[MAX_PATH];
    const UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
    return std::wstring(folder, length);
  }

  std::wstring bare_ = L"zorvo_shared_" + UniqueSuffix() + L".ini";
  std::wstring shared_ = WindowsDirectory() + L"\\" + bare_;
  Settings settings;
};

TEST_F(WindowsDirectoryTest, SharedProfileInTheWindowsDirectoryIsChosenByItsBareName) {
  std::ofstream(fs::path(shared_), std::ios::binary) << "[Zorvo Setup]\r\nMasterProfile=1\r\n";
  // Beside the program there is no such file.
  std::wstring path = (fs::temp_directory_path() / bare_).wstring();
  EXPECT_EQ(ChooseProfile(settings, path), 0);
  EXPECT_EQ(path, bare_);
  EXPECT_EQ(settings.profile().Path(), bare_);
  EXPECT_TRUE(settings.profile().WriteText(L"Colors", L"Text", L"black"));
  EXPECT_NE(ReadBytes(fs::path(shared_)).find("Text=black"), std::string::npos);
}

// The regional settings as win.ini's [Intl] gives them; what was there is
// put back afterwards.
class IntlTest : public testing::Test {
 protected:
  IntlTest() {
    measure_ = Saved(L"iMeasure");
    decimal_ = Saved(L"sDecimal");
  }
  ~IntlTest() override {
    WriteProfileStringW(L"Intl", L"iMeasure", measure_.empty() ? nullptr : measure_.c_str());
    WriteProfileStringW(L"Intl", L"sDecimal", decimal_.empty() ? nullptr : decimal_.c_str());
  }
  static std::wstring Saved(const wchar_t* key) {
    wchar_t value[64];
    GetProfileStringW(L"Intl", key, L"", value, 64);
    return value;
  }
  std::wstring measure_, decimal_;
};

TEST_F(IntlTest, MeasureAndDecimalComeFromIntl) {
  ASSERT_TRUE(WriteProfileStringW(L"Intl", L"iMeasure", L"0"));
  ASSERT_TRUE(WriteProfileStringW(L"Intl", L"sDecimal", L",."));
  MeasurementSettings settings = ReadMeasurementSettings();
  EXPECT_EQ(settings.measure, 0);
  EXPECT_EQ(settings.decimal, L',');
  ASSERT_TRUE(WriteProfileStringW(L"Intl", L"iMeasure", nullptr));
  ASSERT_TRUE(WriteProfileStringW(L"Intl", L"sDecimal", nullptr));
  settings = ReadMeasurementSettings();
  EXPECT_EQ(settings.measure, 1);
  EXPECT_EQ(settings.decimal, L'.');
}

}  // namespace
}  // namespace zorvo
