// The per-user store on Windows: a key under HKEY_CURRENT_USER with one
// subkey per section and one REG_SZ value per key, integers as text too.
// Keys are opened for each operation and closed at once, so nothing is held
// between settings (another copy of the program may be writing them).
#include <windows.h>

#include <vector>

#include "common/shared_names.h"
#include "common/win32/registry_key.h"
#include "viewer/settings/profile_store.h"

namespace zorvo {

namespace {

constexpr const auto& kDefaultRoot = kProfileKey;

// The names of every value of an open key.
std::vector<std::wstring> ValueNames(HKEY key) {
  std::vector<std::wstring> names;
  DWORD longest = 0;
  if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longest,
                       nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
    return names;
  }
  std::vector<wchar_t> name(longest + 1);
  for (DWORD index = 0;;) {
    DWORD length = static_cast<DWORD>(name.size());
    const LONG status =
        RegEnumValueW(key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_MORE_DATA) {  // a value added since the size was asked
      name.resize(name.size() * 2);
      continue;
    }
    if (status != ERROR_SUCCESS) break;
    names.emplace_back(name.data(), length);
    ++index;
  }
  return names;
}

class RegistryBackend : public ProfileBackend {
 public:
  explicit RegistryBackend(std::wstring root) : root_(std::move(root)) {}

  // An empty key name would be the subkey's default value, which no other
  // store has; it is refused everywhere.
  std::optional<std::wstring> Read(std::wstring_view section, std::wstring_view key) override {
    if (section.empty() || key.empty()) return std::nullopt;
    RegistryKey open;
    if (open.Open(HKEY_CURRENT_USER, SectionPath(section), KEY_QUERY_VALUE) != ERROR_SUCCESS)
      return std::nullopt;
    const std::wstring name(key);
    std::vector<wchar_t> data(64);
    for (;;) {
      DWORD type = 0;
      DWORD bytes = static_cast<DWORD>(data.size() * sizeof(wchar_t));
      const LONG status = RegQueryValueExW(open.get(), name.c_str(), nullptr, &type,
                                           reinterpret_cast<BYTE*>(data.data()), &bytes);
      if (status == ERROR_MORE_DATA) {
        data.resize(bytes / sizeof(wchar_t) + 2);
        continue;
      }
      if (status != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
      // The stored terminator, or none when another program left it out.
      const size_t stored = bytes / sizeof(wchar_t);
      size_t length = 0;
      while (length < stored && data[length] != L'\0') ++length;
      return std::wstring(data.data(), length);
    }
  }

  std::vector<std::wstring> Keys(std::wstring_view section) override {
    if (section.empty()) return {};
    RegistryKey open;
    if (open.Open(HKEY_CURRENT_USER, SectionPath(section), KEY_QUERY_VALUE) != ERROR_SUCCESS)
      return {};
    std::vector<std::wstring> names = ValueNames(open.get());
    // The subkey's unnamed default value (another program's) is no key.
    std::erase_if(names, [](const std::wstring& name) { return name.empty(); });
    return names;
  }

  bool Write(std::wstring_view section, std::wstring_view key, std::wstring_view text) override {
    if (section.empty() || key.empty()) return false;
    RegistryKey open;
    if (open.Create(HKEY_CURRENT_USER, SectionPath(section), KEY_SET_VALUE) != ERROR_SUCCESS)
      return false;
    const std::wstring name(key), value(text);
    const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(open.get(), name.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(value.c_str()), bytes) == ERROR_SUCCESS;
  }

  bool DeleteKey(std::wstring_view section, std::wstring_view key) override {
    if (section.empty() || key.empty()) return true;
    RegistryKey open;
    if (open.Open(HKEY_CURRENT_USER, SectionPath(section), KEY_SET_VALUE) != ERROR_SUCCESS)
      return true;
    const std::wstring name(key);
    const LONG status = RegDeleteValueW(open.get(), name.c_str());
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
  }

  bool DeleteSection(std::wstring_view section) override {
    if (section.empty()) return true;
    RegistryKey open;
    if (open.Open(HKEY_CURRENT_USER, SectionPath(section), KEY_QUERY_VALUE | KEY_SET_VALUE) !=
        ERROR_SUCCESS)
      return true;
    bool ok = true;
    for (const std::wstring& name : ValueNames(open.get())) {
      const LONG status = RegDeleteValueW(open.get(), name.c_str());
      if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) ok = false;
    }
    return ok;
  }

 private:
  std::wstring SectionPath(std::wstring_view section) const {
    return root_ + L"\\" + std::wstring(section);
  }

  std::wstring root_;
};

}  // namespace

std::wstring DefaultUserStoreRoot() { return kDefaultRoot; }

std::unique_ptr<ProfileBackend> MakeUserStoreBackend(const std::wstring& root) {
  return std::make_unique<RegistryBackend>(root.empty() ? DefaultUserStoreRoot() : root);
}

}  // namespace zorvo
