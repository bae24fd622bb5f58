// Every persistent setting is a text value under (section, key), kept either
// in an INI file that opts in with MasterProfile=1 or in the per-user store
// (the registry on Windows, a folder of the user's configuration elsewhere).
// One set of operations with one behaviour over four backends.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorvo {

struct Settings;

// Raw storage of text values. Section and key names compare without regard
// to case, as they do in INI files and the registry.
class ProfileBackend {
 public:
  virtual ~ProfileBackend() = default;
  // The value of `key`; nothing when the section or the key is missing, or
  // the stored value is not text.
  virtual std::optional<std::wstring> Read(std::wstring_view section, std::wstring_view key) = 0;
  // The key names of a section, empty when it is missing: in written order
  // in an INI file and in memory; sorted by name in the per-user folder,
  // which keeps no order; in the registry's own order, which it does not
  // promise (Wine sorts).
  virtual std::vector<std::wstring> Keys(std::wstring_view section) = 0;
  // Creates the section when missing. False when the store refuses.
  virtual bool Write(std::wstring_view section, std::wstring_view key, std::wstring_view text) = 0;
  virtual bool DeleteKey(std::wstring_view section, std::wstring_view key) = 0;
  // Removes every key of the section.
  virtual bool DeleteSection(std::wstring_view section) = 0;
  // 8-bit texts (search texts, title lines, table definitions) as this
  // store holds them, and back again. By default each byte is the
  // character of the same code, which keeps every byte string.
  virtual std::wstring WidenBytes(std::string_view bytes);
  virtual std::string NarrowText(std::wstring_view text);
};

// The text an INI file holds for `value`: in double quotes when it begins
// or ends with a blank or a quote, which the readers of INI files (this
// program's and the system's) drop again, so such a value keeps its ends;
// any other value as it is.
std::wstring IniValueText(std::wstring_view value);

// An INI file: the Windows private-profile functions on Windows (an ANSI
// file stays ANSI), a file of the same layout in UTF-8 elsewhere. A value is
// one line: text after a line break is not written.
std::unique_ptr<ProfileBackend> MakeIniBackend(const std::wstring& path);
// The per-user store: on Windows the registry key `root` under
// HKEY_CURRENT_USER, one subkey per section and REG_SZ values; elsewhere the
// folder `root` (default: Korrin/Zorvo under the user's configuration
// directory), one folder per section and one file per key.
std::unique_ptr<ProfileBackend> MakeUserStoreBackend(const std::wstring& root = L"");
// Values kept in memory only, for tools run without a profile and tests.
std::unique_ptr<ProfileBackend> MakeMemoryBackend();
// The default root of the per-user store.
std::wstring DefaultUserStoreRoot();
// Whether two section or key names are the same name, case aside.
bool SameProfileName(std::wstring_view a, std::wstring_view b);

class ProfileStore {
 public:
  explicit ProfileStore(std::unique_ptr<ProfileBackend> backend, int readOnly = 0,
                        std::wstring path = L"");

  // An integer from its text: leading white space, a sign, then hex after
  // 0x, else decimal (a leading zero is no octal prefix: values are typed
  // by hand, and "08" means eight); parsing stops at the first character
  // that is no digit. `def` when the key is missing or its text is longer
  // than 31 characters.
  int32_t GetInt(std::wstring_view section, std::wstring_view key, int32_t def);
  // The text of `key`, at most `capacity` - 1 characters; `def` (cut the
  // same way) when missing. An empty value stays empty.
  std::wstring GetText(std::wstring_view section, std::wstring_view key, std::wstring_view def,
                       size_t capacity);
  // The key names of a section, each followed by a null character, with one
  // more null after the last, cut to `capacity`; an empty or missing
  // section gives just the final null.
  std::wstring GetKeyList(std::wstring_view section, size_t capacity);
  // `key` null deletes the section; `text` null deletes the key.
  bool WriteText(std::wstring_view section, const wchar_t* key, const wchar_t* text);
  bool WriteInt(std::wstring_view section, std::wstring_view key, int32_t value);
  bool WriteUnsigned(std::wstring_view section, std::wstring_view key, uint32_t value);
  // 8-bit texts (search texts, title lines, printer names, table
  // definitions), kept so that every byte string survives (see the
  // backend's WidenBytes); characters a byte cannot name (typed by hand)
  // go through the ANSI code page. At most `capacity` - 1 bytes.
  std::string GetTextNarrow(std::wstring_view section, std::wstring_view key, size_t capacity);
  void WriteTextNarrow(std::wstring_view section, const wchar_t* key, const char* text);

  // 0 when settings may be written; -1 when the chosen file cannot be.
  int ReadOnly() const { return readOnly_; }
  // The INI file in use; empty for the per-user store.
  const std::wstring& Path() const { return path_; }
  ProfileBackend& backend() { return *backend_; }

 private:
  std::unique_ptr<ProfileBackend> backend_;
  int readOnly_;
  std::wstring path_;
};

// Chooses the store from the INI file at `profilePath` (the program's folder
// followed by "ZORVO.INI"): that file when its "MasterProfile" in section
// "Zorvo Setup" is 1; on Windows then the bare "ZORVO.INI" in the Windows
// directory; otherwise the per-user store, and `profilePath` becomes empty.
// Installs the store in `settings` and returns whether it is read-only
// (0, or -1).
int ChooseProfile(Settings& settings, std::wstring& profilePath);

struct MeasurementSettings {
  int measure = 1;         // 0 metric, 1 U.S.
  wchar_t decimal = L'.';  // the decimal separator
};
// From the system's regional settings.
MeasurementSettings ReadMeasurementSettings();

}  // namespace zorvo
