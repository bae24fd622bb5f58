#include "configtool/win32/windows_settings_registry.h"

#include "common/win32/registry_key.h"

namespace zorvo::vantric {

namespace {

class WindowsSettingsKey : public SettingsKey {
 public:
  RegistryKey& key() { return key_; }

  std::optional<StoredValue> Read(const std::wstring& name, size_t maxBytes) override {
    StoredValue value;
    value.bytes.resize(maxBytes);
    DWORD type = 0;
    DWORD bytes = static_cast<DWORD>(maxBytes);
    // A value longer than the buffer answers ERROR_MORE_DATA and is not used.
    if (RegQueryValueExW(key_.get(), name.c_str(), nullptr, &type, value.bytes.data(), &bytes) !=
        ERROR_SUCCESS)
      return std::nullopt;
    value.type = type;
    value.bytes.resize(bytes);
    return value;
  }

  uint32_t WriteText(const std::wstring& name, const std::wstring& text) override {
    const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    return static_cast<uint32_t>(RegSetValueExW(
        key_.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), bytes));
  }

 private:
  RegistryKey key_;
};

}  // namespace

std::unique_ptr<SettingsKey> WindowsSettingsRegistry::Open(RegistryRoot root,
                                                           const std::wstring& path, bool create,
                                                           uint32_t& error) {
  const HKEY base = root == RegistryRoot::kCurrentUser ? currentUser_ : localMachine_;
  auto key = std::make_unique<WindowsSettingsKey>();
  const REGSAM access = KEY_READ | KEY_WRITE;
  const LONG status =
      create ? key->key().Create(base, path, access) : key->key().Open(base, path, access);
  error = static_cast<uint32_t>(status);
  if (status != ERROR_SUCCESS) return nullptr;
  return key;
}

}  // namespace zorvo::vantric
