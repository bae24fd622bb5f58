// The profile operations over every store of the platform: natively the INI
// file, the per-user folder and memory; under Windows the INI file through
// the system's profile functions and the registry. One set of cases, so the
// stores cannot drift apart.
#include "viewer/settings/profile_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cwctype>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "viewer/settings/settings.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace zorvo {
namespace {

namespace fs = std::filesystem;

std::string Unique() {
  static unsigned counter = 0;
#ifdef _WIN32
  const unsigned long process = GetCurrentProcessId();
#else
  const unsigned long process = static_cast<unsigned long>(getpid());
#endif
  return std::to_string(process) + "_" + std::to_string(++counter);
}

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// The lines of a file, whichever line ends it uses.
std::vector<std::string> Lines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::istringstream in(bytes);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

void MakeReadOnly(const fs::path& path, bool readOnly) {
#ifdef _WIN32
  SetFileAttributesW(path.c_str(), readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
#else
  chmod(path.c_str(), readOnly ? 0444 : 0644);
#endif
}

// A folder of one test's own, removed with what it holds.
class TempFolder {
 public:
  TempFolder() : path_(fs::temp_directory_path() / ("zorvo_profile_" + Unique())) {
    fs::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    for (const auto& entry : fs::recursive_directory_iterator(path_, ignored)) {
      MakeReadOnly(entry.path(), false);
    }
    fs::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

// Where a store keeps its values for one test: empty at first, gone after.
class Place {
 public:
  virtual ~Place() = default;
  // A new backend over the values kept here.
  virtual std::unique_ptr<ProfileBackend> Open() = 0;
};

class MemoryPlace : public Place {
 public:
  std::unique_ptr<ProfileBackend> Open() override { return MakeMemoryBackend(); }
};

class IniPlace : public Place {
 public:
  std::unique_ptr<ProfileBackend> Open() override {
    return MakeIniBackend((folder_.path() / "Zorvo.ini").wstring());
  }

 private:
  TempFolder folder_;
};

#ifdef _WIN32
class RegistryPlace : public Place {
 public:
  RegistryPlace() {
    for (char c : "Software\\Korrin\\ZorvoTest" + Unique()) root_.push_back(c);
  }
  ~RegistryPlace() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, root_.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, root_.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Korrin");  // only when nothing else is there
  }
  std::unique_ptr<ProfileBackend> Open() override { return MakeUserStoreBackend(root_); }

 private:
  std::wstring root_;
};
#else
class UserFolderPlace : public Place {
 public:
  // Not made beforehand: the first write makes it.
  std::unique_ptr<ProfileBackend> Open() override {
    return MakeUserStoreBackend((folder_.path() / "config" / "Korrin" / "Zorvo").wstring());
  }

 private:
  TempFolder folder_;
};
#endif

enum class KeyOrder { kWritten, kSorted, kAny };

#ifdef _WIN32
constexpr bool kWideIni = false;
#else
constexpr bool kWideIni = true;
#endif

struct BackendKind {
  std::string name;
  std::function<std::unique_ptr<Place>()> make;
  KeyOrder order;
  bool oneLineValues;  // an INI file: a value ends at a line break
  bool wholeUnicode;   // keeps characters the ANSI code page lacks
  bool persists;       // a second backend over the same place sees the values
};

void PrintTo(const BackendKind& kind, std::ostream* out) { *out << kind.name; }

std::vector<BackendKind> Backends() {
  std::vector<BackendKind> kinds;
  // A Windows INI file the user made is in the ANSI code page, and the
  // system's functions keep writing it so.
  kinds.push_back({"IniFile", [] { return std::make_unique<IniPlace>(); }, KeyOrder::kWritten,
                   true, kWideIni, true});
#ifdef _WIN32
  // The registry does not promise any order of values (Wine sorts them).
  kinds.push_back({"Registry", [] { return std::make_unique<RegistryPlace>(); }, KeyOrder::kAny,
                   false, true, true});
#else
  // File names come back in the folder's order, which means nothing; they
  // are listed sorted.
  kinds.push_back({"UserFolder", [] { return std::make_unique<UserFolderPlace>(); },
                   KeyOrder::kSorted, false, true, true});
  kinds.push_back({"Memory", [] { return std::make_unique<MemoryPlace>(); }, KeyOrder::kWritten,
                   false, true, false});
#endif
  return kinds;
}

class ProfileContractTest : public testing::TestWithParam<BackendKind> {
 protected:
  void SetUp() override {
    place_ = GetParam().make();
    store_ = std::make_unique<ProfileStore>(place_->Open());
  }

  void Put(std::wstring_view section, const wchar_t* key, const wchar_t* text) {
    EXPECT_TRUE(store_->WriteText(section, key, text)) << "writing " << KeyText(key);
  }
  std::wstring Text(std::wstring_view section, std::wstring_view key, size_t capacity = 256) {
    return store_->GetText(section, key, L"<default>", capacity);
  }
  int32_t Int(std::wstring_view section, std::wstring_view key) {
    return store_->GetInt(section, key, 99);
  }
  std::vector<std::wstring> Keys(std::wstring_view section) {
    const std::wstring list = store_->GetKeyList(section, 4096);
    std::vector<std::wstring> keys;
    for (size_t i = 0; i < list.size() && list[i] != L'\0';) {
      keys.emplace_back(list.c_str() + i);
      i += keys.back().size() + 1;
    }
    return keys;
  }
  static std::string KeyText(const wchar_t* key) {
    std::string text;
    for (; key != nullptr && *key != L'\0'; ++key) text.push_back(static_cast<char>(*key));
    return text;
  }

  std::unique_ptr<Place> place_;
  std::unique_ptr<ProfileStore> store_;
};

// Integer texts.

TEST_P(ProfileContractTest, IntegerTextIsDecimalOrHex) {
  Put(L"Numbers", L"Hex", L"0x1F");
  Put(L"Numbers", L"Trailing", L"12ab");
  Put(L"Numbers", L"Letters", L"abc");
  Put(L"Numbers", L"Signed", L" -7");
  Put(L"Numbers", L"LeadingZero", L"010");
  Put(L"Numbers", L"Eight", L"08");
  EXPECT_EQ(Int(L"Numbers", L"Hex"), 31);
  EXPECT_EQ(Int(L"Numbers", L"Trailing"), 12);
  EXPECT_EQ(Int(L"Numbers", L"Letters"), 0);  // present, so not the default
  EXPECT_EQ(Int(L"Numbers", L"Signed"), -7);
  // A hand-typed leading zero is no octal prefix.
  EXPECT_EQ(Int(L"Numbers", L"LeadingZero"), 10);
  EXPECT_EQ(Int(L"Numbers", L"Eight"), 8);
}

TEST_P(ProfileContractTest, IntegerTextTooLongOrMissingGivesTheDefault) {
  const std::wstring longest = L"7" + std::wstring(30, L'x');
  const std::wstring tooLong = longest + L"x";
  Put(L"Numbers", L"Longest", longest.c_str());
  Put(L"Numbers", L"TooLong", tooLong.c_str());
  EXPECT_EQ(Int(L"Numbers", L"Longest"), 7);
  EXPECT_EQ(Int(L"Numbers", L"TooLong"), 99);
  EXPECT_EQ(Int(L"Numbers", L"Missing"), 99);
  EXPECT_EQ(Int(L"No Such Section", L"Longest"), 99);
}

TEST_P(ProfileContractTest, IntegersAreWrittenAsDecimalText) {
  EXPECT_TRUE(store_->WriteInt(L"Numbers", L"Negative", -42));
  EXPECT_TRUE(store_->WriteInt(L"Numbers", L"Lowest", INT32_MIN));
  EXPECT_TRUE(store_->WriteUnsigned(L"Numbers", L"Highest", 4294967295u));
  EXPECT_EQ(Text(L"Numbers", L"Negative"), L"-42");
  EXPECT_EQ(Text(L"Numbers", L"Lowest"), L"-2147483648");
  EXPECT_EQ(Text(L"Numbers", L"Highest"), L"4294967295");
  EXPECT_EQ(Int(L"Numbers", L"Lowest"), INT32_MIN);
  EXPECT_EQ(Int(L"Numbers", L"Highest"), -1);  // the same 32 bits
}

// Texts and capacities.

TEST_P(ProfileContractTest, TextIsCutToOneLessThanTheCapacity) {
  const std::wstring forty = L"0123456789abcdefghijklmnopqrstuvwxyzABCD";
  Put(L"Texts", L"Long", forty.c_str());
  EXPECT_EQ(Text(L"Texts", L"Long", 32), forty.substr(0, 31));
  EXPECT_EQ(Text(L"Texts", L"Long", 41), forty);
  EXPECT_EQ(Text(L"Texts", L"Long", 1), L"");
}

TEST_P(ProfileContractTest, EmptyValueIsNotTheDefault) {
  Put(L"Texts", L"Empty", L"");
  EXPECT_EQ(Text(L"Texts", L"Empty"), L"");
  EXPECT_EQ(Keys(L"Texts"), std::vector<std::wstring>{L"Empty"});
}

TEST_P(ProfileContractTest, MissingTextGivesTheDefaultCutToTheCapacity) {
  EXPECT_EQ(store_->GetText(L"Texts", L"Missing", L"abcdef", 4), L"abc");
  EXPECT_EQ(store_->GetText(L"Texts", L"Missing", L"abcdef", 100), L"abcdef");
  Put(L"Texts", L"Other", L"x");
  EXPECT_EQ(store_->GetText(L"Texts", L"Missing", L"abcdef", 100), L"abcdef");
}

TEST_P(ProfileContractTest, NonAsciiTextRoundTrips) {
  Put(L"Texts", L"Latin", L"caf\u00e9");
  Put(L"Texts", L"Euro", L"\u20ac 5");
  EXPECT_EQ(Text(L"Texts", L"Latin"), L"caf\u00e9");
  EXPECT_EQ(Text(L"Texts", L"Euro"), L"\u20ac 5");
  if (GetParam().wholeUnicode) {
    Put(L"Texts", L"Cjk", L"\u4e2d\u6587");
    EXPECT_EQ(Text(L"Texts", L"Cjk"), L"\u4e2d\u6587");
  }
}

TEST_P(ProfileContractTest, LineBreaksEndAnIniValue) {
  Put(L"Texts", L"Lines", L"first\r\nsecond\nthird");
  if (GetParam().oneLineValues) {
    EXPECT_EQ(Text(L"Texts", L"Lines"), L"first");
    // Nothing of the rest turned into a key.
    EXPECT_EQ(Keys(L"Texts"), std::vector<std::wstring>{L"Lines"});
  } else {
    EXPECT_EQ(Text(L"Texts", L"Lines"), L"first\r\nsecond\nthird");
  }
}

TEST_P(ProfileContractTest, EveryByteSurvivesTheNarrowTexts) {
  std::string bytes;
  for (int b = 1; b <= 255; ++b) {
    if (GetParam().oneLineValues && (b == '\r' || b == '\n')) continue;
    bytes.push_back(static_cast<char>(b));
  }
  store_->WriteTextNarrow(L"Narrow", L"Bytes", bytes.c_str());
  EXPECT_EQ(store_->GetTextNarrow(L"Narrow", L"Bytes", 512), bytes);
  EXPECT_EQ(store_->GetTextNarrow(L"Narrow", L"Bytes", 4), bytes.substr(0, 3));
  store_->WriteTextNarrow(L"Narrow", L"Bytes", nullptr);
  EXPECT_EQ(store_->GetTextNarrow(L"Narrow", L"Bytes", 512), "");
  EXPECT_TRUE(Keys(L"Narrow").empty());
}

// Title lines and search texts may begin or end with blanks or quotes,
// which an INI file drops from a value unless it is written quoted.
TEST_P(ProfileContractTest, BlanksAndQuotesAtTheEndsSurvive) {
  const wchar_t* const values[] = {L"  centred title  ",
                                   L"\tafter a tab",
                                   L"trailing ",
                                   L"\"quoted\"",
                                   L"'single'",
                                   L"\"",
                                   L"it's",
                                   L"say \"hi\"",
                                   L" ",
                                   L"a \" b",
                                   L"'open",
                                   L"\x1A"};
  for (const wchar_t* value : values) {
    Put(L"Texts", L"Value", value);
    EXPECT_EQ(Text(L"Texts", L"Value"), value);
  }
  store_->WriteTextNarrow(L"Texts", L"Search", " find me\t");
  EXPECT_EQ(store_->GetTextNarrow(L"Texts", L"Search", 100), " find me\t");
}

// Deleting.

TEST_P(ProfileContractTest, NullTextDeletesTheKeyOnly) {
  Put(L"Section", L"First", L"1");
  Put(L"Section", L"Second", L"2");
  Put(L"Section", L"First", nullptr);
  EXPECT_EQ(Text(L"Section", L"First"), L"<default>");
  EXPECT_EQ(Text(L"Section", L"Second"), L"2");
  EXPECT_EQ(Keys(L"Section"), std::vector<std::wstring>{L"Second"});
  Put(L"Section", L"Never", nullptr);  // nothing to delete is no failure
  Put(L"No Such Section", L"Never", nullptr);
}

TEST_P(ProfileContractTest, NullKeyDeletesTheWholeSection) {
  Put(L"Section", L"First", L"1");
  Put(L"Section", L"Second", L"2");
  Put(L"Other", L"First", L"kept");
  Put(L"Section", nullptr, nullptr);
  EXPECT_EQ(Text(L"Section", L"First"), L"<default>");
  EXPECT_EQ(Int(L"Section", L"Second"), 99);
  EXPECT_EQ(store_->GetKeyList(L"Section", 100), std::wstring(1, L'\0'));
  EXPECT_EQ(Text(L"Other", L"First"), L"kept");
  Put(L"No Such Section", nullptr, nullptr);
  // The section can be written again.
  Put(L"Section", L"Third", L"3");
  EXPECT_EQ(Keys(L"Section"), std::vector<std::wstring>{L"Third"});
}

// Key lists.

TEST_P(ProfileContractTest, EmptyOrMissingSectionListsJustTheFinalNull) {
  EXPECT_EQ(store_->GetKeyList(L"Missing", 100), std::wstring(1, L'\0'));
  Put(L"Emptied", L"Only", L"1");
  Put(L"Emptied", L"Only", nullptr);
  EXPECT_EQ(store_->GetKeyList(L"Emptied", 100), std::wstring(1, L'\0'));
}

TEST_P(ProfileContractTest, KeysAreListedInWrittenOrderWhereTheStoreKeepsIt) {
  Put(L"Order", L"Zeta", L"1");
  Put(L"Order", L"alpha", L"2");
  Put(L"Order", L"Mid", L"3");
  Put(L"Order", L"alpha", L"4");  // rewriting does not move a key
  std::vector<std::wstring> keys = Keys(L"Order");
  const std::vector<std::wstring> written = {L"Zeta", L"alpha", L"Mid"};
  const std::vector<std::wstring> sorted = {L"alpha", L"Mid", L"Zeta"};
  switch (GetParam().order) {
    case KeyOrder::kWritten:
      EXPECT_EQ(keys, written);
      break;
    case KeyOrder::kSorted:
      EXPECT_EQ(keys, sorted);
      break;
    case KeyOrder::kAny:
      std::sort(keys.begin(), keys.end(), [](const std::wstring& a, const std::wstring& b) {
        return std::lexicographical_compare(
            a.begin(), a.end(), b.begin(), b.end(),
            [](wchar_t x, wchar_t y) { return std::towupper(x) < std::towupper(y); });
      });
      EXPECT_EQ(keys, sorted);
      break;
  }
}

TEST_P(ProfileContractTest, KeyListIsNullSeparatedAndCutToTheCapacity) {
  Put(L"List", L"Alpha", L"1");
  Put(L"List", L"Beta", L"2");
  EXPECT_EQ(store_->GetKeyList(L"List", 100), std::wstring(L"Alpha\0Beta\0\0", 12));
  const std::wstring cut = store_->GetKeyList(L"List", 8);
  ASSERT_EQ(cut.size(), 8u);
  EXPECT_EQ(cut.substr(0, 6), std::wstring(L"Alpha\0", 6));
  EXPECT_EQ(cut.substr(6), std::wstring(2, L'\0'));
}

// Names.

TEST_P(ProfileContractTest, SectionAndKeyNamesIgnoreCase) {
  Put(L"Colors", L"Key", L"blue");
  EXPECT_EQ(Text(L"COLORS", L"KEY"), L"blue");
  EXPECT_EQ(Text(L"colors", L"key"), L"blue");
  Put(L"cOLORS", L"kEY", L"red");
  EXPECT_EQ(Text(L"Colors", L"Key"), L"red");
  EXPECT_EQ(Keys(L"COLORS").size(), 1u);
  Put(L"COLORS", L"KEY", nullptr);
  EXPECT_EQ(Text(L"Colors", L"Key"), L"<default>");
}

// Keeping.

TEST_P(ProfileContractTest, ValuesOutliveTheBackendThatWroteThem) {
  if (!GetParam().persists) GTEST_SKIP() << "keeps nothing by design";
  Put(L"Kept", L"Text", L"value");
  EXPECT_TRUE(store_->WriteInt(L"Kept", L"Number", 12));
  store_ = std::make_unique<ProfileStore>(place_->Open());
  EXPECT_EQ(Text(L"Kept", L"Text"), L"value");
  EXPECT_EQ(Int(L"Kept", L"Number"), 12);
  EXPECT_EQ(Keys(L"Kept").size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Stores, ProfileContractTest, testing::ValuesIn(Backends()),
                         [](const testing::TestParamInfo<BackendKind>& info) {
                           return info.param.name;
                         });

// INI files written by hand read the same through the system's functions
// under Windows and through our own reader elsewhere.

class IniFileTest : public testing::Test {
 protected:
  fs::path File() const { return folder_.path() / "Zorvo.ini"; }
  std::unique_ptr<ProfileBackend> Open() const { return MakeIniBackend(File().wstring()); }
  TempFolder folder_;
};

TEST_F(IniFileTest, HandWrittenFileIsReadAsWindowsReadsIt) {
  WriteBytes(File(),
             "; Zorvo settings\r\n"
             "[Colors]\r\n"
             "  Text =  black  \r\n"
             "Quoted=\"  padded  \"\r\n"
             "Single='x'\r\n"
             "NoEquals\r\n"
             ";Comment=1\r\n"
             "\r\n"
             "[Window]\n"
             "Left=10\n");
  ProfileStore store(Open());
  EXPECT_EQ(store.GetText(L"colors", L"text", L"", 100), L"black");
  EXPECT_EQ(store.GetText(L"Colors", L"Quoted", L"", 100), L"  padded  ");
  EXPECT_EQ(store.GetText(L"Colors", L"Single", L"", 100), L"x");
  EXPECT_EQ(store.GetText(L"Colors", L"NoEquals", L"none", 100), L"none");
  EXPECT_EQ(store.GetKeyList(L"Colors", 100), std::wstring(L"Text\0Quoted\0Single\0\0", 20));
  EXPECT_EQ(store.GetInt(L"Window", L"Left", 0), 10);
}

// A key that would read as a section header or a comment is refused, and
// the file keeps what it held.
TEST_F(IniFileTest, KeysThatCouldNotBeReadBackAreRefused) {
  WriteBytes(File(), "[Section]\r\nKey=Old\r\n");
  ProfileStore store(Open());
  for (const wchar_t* key : {L"[Other]", L";Key", L" [x]"}) {
    EXPECT_FALSE(store.WriteText(L"Section", key, L"Value")) << key;
  }
  EXPECT_EQ(store.GetKeyList(L"Section", 100), std::wstring(L"Key\0\0", 5));
  EXPECT_EQ(store.GetText(L"Section", L"Key", L"", 100), L"Old");
  EXPECT_EQ(store.GetKeyList(L"Other", 100), std::wstring(1, L'\0'));
}

TEST_F(IniFileTest, MissingFileReadsEmptyAndIsMadeByTheFirstWrite) {
  ProfileStore store(Open());
  EXPECT_EQ(store.GetText(L"Section", L"Key", L"none", 100), L"none");
  EXPECT_EQ(store.GetKeyList(L"Section", 100), std::wstring(1, L'\0'));
  EXPECT_FALSE(fs::exists(File()));
  EXPECT_TRUE(store.WriteText(L"Section", L"Key", L"Value"));
  const std::vector<std::string> lines = Lines(ReadBytes(File()));
  EXPECT_NE(std::find(lines.begin(), lines.end(), "[Section]"), lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Key=Value"), lines.end());
}

TEST_F(IniFileTest, ReadOnlyFileRefusesWrites) {
  WriteBytes(File(), "[Section]\r\nKey=Old\r\n");
  MakeReadOnly(File(), true);
#ifdef _WIN32
  const HANDLE probe = CreateFileW(File().c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (probe != INVALID_HANDLE_VALUE) {
    CloseHandle(probe);
    GTEST_SKIP() << "the read-only attribute is not enforced here (Wine run by root)";
  }
#endif
  ProfileStore store(Open());
  EXPECT_FALSE(store.WriteText(L"Section", L"Key", L"New"));
  EXPECT_FALSE(store.WriteText(L"Section", L"Key", nullptr));
  EXPECT_FALSE(store.WriteText(L"Section", nullptr, nullptr));
  EXPECT_EQ(ReadBytes(File()), "[Section]\r\nKey=Old\r\n");
}

// Choosing the store of a run.

class ChooseProfileTest : public testing::Test {
 protected:
  // A name no Windows directory holds, so the shared profile is never found.
  fs::path Ini() const { return folder_.path() / ("zorvo_choose_" + name_ + ".ini"); }

  TempFolder folder_;
  std::string name_ = Unique();
  Settings settings;
};

TEST_F(ChooseProfileTest, WithoutTheFileThePerUserStoreIsUsed) {
  std::wstring path = Ini().wstring();
  EXPECT_EQ(ChooseProfile(settings, path), 0);
  EXPECT_EQ(path, L"");
  EXPECT_EQ(settings.profile().Path(), L"");
  EXPECT_EQ(settings.profile().ReadOnly(), 0);
}

TEST_F(ChooseProfileTest, FileWithoutMasterProfileOneIsNotUsed) {
  WriteBytes(Ini(), "[Zorvo Setup]\r\nMasterProfile=2\r\n");
  std::wstring path = Ini().wstring();
  EXPECT_EQ(ChooseProfile(settings, path), 0);
  EXPECT_EQ(path, L"");
  EXPECT_EQ(settings.profile().Path(), L"");
}

TEST_F(ChooseProfileTest, FileWithMasterProfileOneIsUsed) {
  WriteBytes(Ini(), "[Zorvo Setup]\r\nMasterProfile=1\r\n");
  std::wstring path = Ini().wstring();
  EXPECT_EQ(ChooseProfile(settings, path), 0);
  EXPECT_EQ(path, Ini().wstring());
  EXPECT_EQ(settings.profile().Path(), Ini().wstring());
  EXPECT_EQ(settings.profile().ReadOnly(), 0);
  EXPECT_TRUE(settings.profile().WriteText(L"Colors", L"Text", L"black"));
  const std::vector<std::string> lines = Lines(ReadBytes(Ini()));
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Text=black"), lines.end());
}

TEST_F(ChooseProfileTest, ReadOnlyFileIsUsedButMarkedReadOnly) {
  WriteBytes(Ini(), "[Zorvo Setup]\r\nMasterProfile=1\r\n");
  MakeReadOnly(Ini(), true);
  std::wstring path = Ini().wstring();
  EXPECT_EQ(ChooseProfile(settings, path), -1);
  EXPECT_EQ(path, Ini().wstring());
  EXPECT_EQ(settings.profile().ReadOnly(), -1);
  EXPECT_EQ(settings.profile().GetInt(L"Zorvo Setup", L"MasterProfile", 0), 1);
}

#ifndef _WIN32

// Our own INI writer: it keeps every line it does not change.

TEST_F(IniFileTest, WritingKeepsEveryOtherLineInPlace) {
  WriteBytes(File(),
             "; Zorvo settings\n"
             "\n"
             "[Colors]\n"
             "Text=black\n"
             "; kept here\n"
             "Back = white\n"
             "\n"
             "[Window]\n"
             "Left=10");
  ProfileStore store(Open());
  EXPECT_TRUE(store.WriteText(L"colors", L"BACK", L"grey"));
  EXPECT_TRUE(store.WriteText(L"Colors", L"New", L"1"));
  EXPECT_TRUE(store.WriteText(L"Window", L"Top", L"5"));
  EXPECT_TRUE(store.WriteText(L"Fonts", L"Name", L"Courier"));
  EXPECT_EQ(ReadBytes(File()),
            "; Zorvo settings\n"
            "\n"
            "[Colors]\n"
            "Text=black\n"
            "; kept here\n"
            "Back=grey\n"
            "New=1\n"
            "\n"
            "[Window]\n"
            "Left=10\n"
            "Top=5\n"
            "\n"
            "[Fonts]\n"
            "Name=Courier\n");
}

TEST_F(IniFileTest, NewLinesEndAsTheFileAlreadyDoes) {
  WriteBytes(File(), "[A]\r\nx=1\r\n");
  ProfileStore store(Open());
  EXPECT_TRUE(store.WriteText(L"A", L"y", L"2"));
  EXPECT_TRUE(store.WriteText(L"B", L"z", L"3"));
  EXPECT_EQ(ReadBytes(File()), "[A]\r\nx=1\r\ny=2\r\n\r\n[B]\r\nz=3\r\n");
}

TEST_F(IniFileTest, DeletingRemovesOnlyTheLinesOfTheKeyOrSection) {
  WriteBytes(File(),
             "[Colors]\n"
             "Text=black\n"
             "Back=white\n"
             "[Window]\n"
             "; about the window\n"
             "Left=10\n"
             "[colors]\n"
             "Again=1\n"
             "[Fonts]\n"
             "Name=Courier\n");
  ProfileStore store(Open());
  EXPECT_TRUE(store.WriteText(L"Colors", L"TEXT", nullptr));
  EXPECT_EQ(ReadBytes(File()),
            "[Colors]\nBack=white\n[Window]\n; about the window\nLeft=10\n"
            "[colors]\nAgain=1\n[Fonts]\nName=Courier\n");
  EXPECT_TRUE(store.WriteText(L"Window", nullptr, nullptr));
  EXPECT_EQ(ReadBytes(File()), "[Colors]\nBack=white\n[colors]\nAgain=1\n[Fonts]\nName=Courier\n");
  // Both copies of a section written twice.
  EXPECT_TRUE(store.WriteText(L"COLORS", nullptr, nullptr));
  EXPECT_EQ(ReadBytes(File()), "[Fonts]\nName=Courier\n");
}

TEST_F(IniFileTest, ReplacingTheFileKeepsItsModeAndLeavesNothingBehind) {
  WriteBytes(File(), "[A]\nx=1\n");
  chmod(File().c_str(), 0640);
  ProfileStore store(Open());
  EXPECT_TRUE(store.WriteText(L"A", L"x", L"2"));
  struct stat st;
  ASSERT_EQ(stat(File().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  std::vector<fs::path> entries;
  for (const auto& entry : fs::directory_iterator(folder_.path())) entries.push_back(entry.path());
  EXPECT_EQ(entries, std::vector<fs::path>{File()});
}

TEST_F(IniFileTest, WritingThroughALinkReplacesTheFileItNames) {
  const fs::path real = folder_.path() / "real.ini";
  WriteBytes(real, "[A]\nx=1\n");
  fs::create_symlink(real, File());
  ProfileStore store(Open());
  EXPECT_TRUE(store.WriteText(L"A", L"x", L"2"));
  EXPECT_TRUE(fs::is_symlink(File()));
  EXPECT_EQ(ReadBytes(real), "[A]\nx=2\n");
}

TEST_F(IniFileTest, UnreadableFileIsNeverOverwritten) {
  fs::create_directory(File());  // reading it fails, and so must writing
  ProfileStore store(Open());
  EXPECT_FALSE(store.WriteText(L"A", L"x", L"1"));
  EXPECT_TRUE(fs::is_directory(File()));
}

// The per-user folder: what lands on disk.

class UserFolderTest : public testing::Test {
 protected:
  fs::path Root() const { return folder_.path() / "store"; }
  TempFolder folder_;
  ProfileStore store_{MakeUserStoreBackend(Root().wstring())};
};

TEST_F(UserFolderTest, EachKeyIsAFileOfUtf8TextInItsSectionsFolder) {
  EXPECT_TRUE(store_.WriteText(L"Colors", L"Text", L"caf\u00e9"));
  EXPECT_TRUE(store_.WriteInt(L"Colors", L"Size", 12));
  EXPECT_EQ(ReadBytes(Root() / "Colors" / "Text"), "caf\xC3\xA9");
  EXPECT_EQ(ReadBytes(Root() / "Colors" / "Size"), "12");
  // Nothing else: no temporary file left behind.
  size_t count = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(Root() / "Colors")) ++count;
  EXPECT_EQ(count, 2u);
}

TEST_F(UserFolderTest, NamesAFileCannotHoldAreEscaped) {
  EXPECT_TRUE(store_.WriteText(L"a/b", L"50%", L"1"));
  EXPECT_TRUE(store_.WriteText(L"a/b", L".hidden", L"2"));
  EXPECT_TRUE(store_.WriteText(L"a/b", L"..", L"3"));
  EXPECT_TRUE(fs::is_regular_file(Root() / "a%2Fb" / "50%25"));
  EXPECT_TRUE(fs::is_regular_file(Root() / "a%2Fb" / "%2Ehidden"));
  EXPECT_TRUE(fs::is_regular_file(Root() / "a%2Fb" / "%2E."));
  EXPECT_EQ(store_.GetKeyList(L"a/b", 100), std::wstring(L"..\0.hidden\0" L"50%\0\0", 16));
  EXPECT_EQ(store_.GetText(L"A/B", L".HIDDEN", L"", 10), L"2");
}

TEST_F(UserFolderTest, ExistingEntriesAreFoundWhateverTheirCase) {
  fs::create_directories(Root() / "colors");
  WriteBytes(Root() / "colors" / "TEXT", "black");
  EXPECT_EQ(store_.GetText(L"Colors", L"Text", L"", 10), L"black");
  EXPECT_TRUE(store_.WriteText(L"COLORS", L"text", L"white"));
  EXPECT_EQ(ReadBytes(Root() / "colors" / "TEXT"), "white");
  EXPECT_FALSE(fs::exists(Root() / "COLORS"));
  EXPECT_TRUE(store_.WriteText(L"Colors", nullptr, nullptr));
  EXPECT_FALSE(fs::exists(Root() / "colors"));
}

// Environment variables for one test, put back afterwards.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = getenv(name)) old_ = old;
    if (value != nullptr) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(DefaultUserStoreRootTest, FollowsXdgConfigHomeElseHome) {
  ScopedEnv home("HOME", "/home/someone");
  {
    ScopedEnv config("XDG_CONFIG_HOME", "/elsewhere/config/");
    EXPECT_EQ(DefaultUserStoreRoot(), L"/elsewhere/config/Korrin/Zorvo");
  }
  {
    ScopedEnv config("XDG_CONFIG_HOME", "relative/config");  // to be ignored
    EXPECT_EQ(DefaultUserStoreRoot(), L"/home/someone/.config/Korrin/Zorvo");
  }
  ScopedEnv config("XDG_CONFIG_HOME", nullptr);
  EXPECT_EQ(DefaultUserStoreRoot(), L"/home/someone/.config/Korrin/Zorvo");
}

TEST(ReadMeasurementSettingsTest, ComesFromTheLocaleOfTheEnvironment) {
  {
    ScopedEnv all("LC_ALL", "C");
    const MeasurementSettings c = ReadMeasurementSettings();
    EXPECT_EQ(c.measure, 0);  // the C locale measures in metric
    EXPECT_EQ(c.decimal, L'.');
  }
  ScopedEnv all("LC_ALL", "xx_NOWHERE.UTF-8");  // not installed: the defaults
  const MeasurementSettings unknown = ReadMeasurementSettings();
  EXPECT_EQ(unknown.measure, 1);
  EXPECT_EQ(unknown.decimal, L'.');
}

#endif

}  // namespace
}  // namespace zorvo
