// An INI file through the Windows private-profile functions. A bare file
// name is looked for by them in the Windows directory, which is how the
// shared profile is found; the path is passed on untouched.
#include <windows.h>

#include <vector>

#include "viewer/settings/profile_store.h"

namespace zorvo {

namespace {

// The default text of a read: a value is one line of the file, so a text
// with line breaks in it can only be this default, never a stored value.
constexpr wchar_t kMissing[] = L"\n\x01zorvo:missing\x01\n";
constexpr DWORD kLargest = 1u << 24;  // characters; no profile value comes near

bool HasLineBreak(std::wstring_view text) { return text.find_first_of(L"\r\n") != text.npos; }

class IniBackendWin32 : public ProfileBackend {
 public:
  explicit IniBackendWin32(std::wstring path) : path_(std::move(path)) {}

  std::optional<std::wstring> Read(std::wstring_view section, std::wstring_view key) override {
    // An empty key name reads nothing and leaves the buffer untouched.
    if (section.empty() || key.empty()) return std::nullopt;
    const std::wstring s(section), k(key);
    std::vector<wchar_t> buffer(256);
    for (;;) {
      const DWORD size = static_cast<DWORD>(buffer.size());
      const DWORD got =
          GetPrivateProfileStringW(s.c_str(), k.c_str(), kMissing, buffer.data(), size, path_.c_str());
      // A full buffer (size - 1 characters) may mean a cut value.
      if (got + 1 < size || size >= kLargest) {
        std::wstring value(buffer.data(), got);
        if (value == kMissing) return std::nullopt;
        return value;
      }
      buffer.resize(size * 2);
    }
  }

  std::vector<std::wstring> Keys(std::wstring_view section) override {
    std::vector<std::wstring> keys;
    if (section.empty()) return keys;
    const std::wstring s(section);
    std::vector<wchar_t> buffer(1024);
    DWORD got;
    for (;;) {
      const DWORD size = static_cast<DWORD>(buffer.size());
      // A missing section gives the default, so that must be empty.
      got = GetPrivateProfileStringW(s.c_str(), nullptr, L"", buffer.data(), size, path_.c_str());
      // A list that does not fit comes back as size - 2 characters.
      if (got + 2 < size || size >= kLargest) break;
      buffer.resize(size * 2);
    }
    for (DWORD i = 0; i < got && buffer[i] != L'\0';) {
      std::wstring name(buffer.data() + i);
      i += static_cast<DWORD>(name.size()) + 1;
      keys.push_back(std::move(name));
    }
    return keys;
  }

  bool Write(std::wstring_view section, std::wstring_view key, std::wstring_view text) override {
    // A key that begins as a section header or a comment would be read as
    // one: it could not be read back.
    const size_t first = key.find_first_not_of(L" \t");
    if (section.empty() || key.empty() || HasLineBreak(section) || HasLineBreak(key) ||
        key.find(L'=') != key.npos || first == key.npos || key[first] == L'[' ||
        key[first] == L';') {
      return false;
    }
    // A value is one line; what follows a break would come back as a key.
    const std::wstring value = IniValueText(text.substr(0, text.find_first_of(L"\r\n")));
    const std::wstring s(section), k(key);
    return WritePrivateProfileStringW(s.c_str(), k.c_str(), value.c_str(), path_.c_str()) != FALSE;
  }

  bool DeleteKey(std::wstring_view section, std::wstring_view key) override {
    if (section.empty() || key.empty()) return true;
    const std::wstring s(section), k(key);
    return WritePrivateProfileStringW(s.c_str(), k.c_str(), nullptr, path_.c_str()) != FALSE;
  }

  bool DeleteSection(std::wstring_view section) override {
    if (section.empty()) return true;
    const std::wstring s(section);
    return WritePrivateProfileStringW(s.c_str(), nullptr, nullptr, path_.c_str()) != FALSE;
  }

  // The file is in the ANSI code page, which holds a byte from 0x80 on as
  // its own character for it, not as the character of the same code (a
  // C1 control or a Latin-1 letter the code page may lack): each such byte
  // goes in as the code page's character and comes back as that byte.
  std::wstring WidenBytes(std::string_view bytes) override {
    std::wstring wide(bytes.size(), L'\0');
    for (size_t i = 0; i < bytes.size(); ++i) {
      const char byte = bytes[i];
      wide[i] = static_cast<unsigned char>(byte);
      wchar_t c;
      if (wide[i] >= 0x80 &&
          MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, &byte, 1, &c, 1) == 1) {
        wide[i] = c;
      }
    }
    return wide;
  }

  std::string NarrowText(std::wstring_view text) override {
    std::string bytes(text.size(), '\0');
    for (size_t i = 0; i < text.size(); ++i) {
      const wchar_t c = text[i];
      char byte = '?';
      BOOL lost = FALSE;
      if (c < 0x80) {
        byte = static_cast<char>(c);
      } else if (WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &c, 1, &byte, 1, nullptr,
                                     &lost) != 1 ||
                 lost) {
        // Not a character of the code page: one of ours from a store
        // written elsewhere, or '?'.
        byte = c <= 0xFF ? static_cast<char>(c) : '?';
      }
      bytes[i] = byte;
    }
    return bytes;
  }

 private:
  std::wstring path_;
};

}  // namespace

std::unique_ptr<ProfileBackend> MakeIniBackend(const std::wstring& path) {
  return std::make_unique<IniBackendWin32>(path);
}

}  // namespace zorvo
