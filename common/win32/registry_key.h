// An open registry key, closed when it goes out of scope. The viewer's
// profile store, the shell extension and the configuration tool all open
// keys through it; each opens a key for one operation and closes it at once.
#pragma once

#include <windows.h>

#include <string>

namespace zorvo {

class RegistryKey {
 public:
  RegistryKey() = default;
  ~RegistryKey() { Close(); }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  // The system's error code; ERROR_SUCCESS when the key is open.
  LONG Open(HKEY root, const std::wstring& path, REGSAM access) {
    Close();
    return RegOpenKeyExW(root, path.c_str(), 0, access, &key_);
  }
  LONG Create(HKEY root, const std::wstring& path, REGSAM access) {
    Close();
    return RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                           &key_, nullptr);
  }
  void Close() {
    if (key_ != nullptr) RegCloseKey(key_);
    key_ = nullptr;
  }
  HKEY get() const { return key_; }
  explicit operator bool() const { return key_ != nullptr; }

 private:
  HKEY key_ = nullptr;
};

}  // namespace zorvo
