#include "shellext/win32/registrar.h"

#include <oleauto.h>

#include <string>
#include <vector>

#include "common/win32/registry_key.h"
#include "shellext/identifiers.h"
#include "shellext/registration_table.h"
#include "shellext/win32/module.h"

namespace zorvo {

namespace {

// Texts written while registering do not depend on the user's locale.
class ThreadLocaleScope {
 public:
  explicit ThreadLocaleScope(LCID locale) : saved_(GetThreadLocale()) { SetThreadLocale(locale); }
  ~ThreadLocaleScope() { SetThreadLocale(saved_); }
  ThreadLocaleScope(const ThreadLocaleScope&) = delete;
  ThreadLocaleScope& operator=(const ThreadLocaleScope&) = delete;

 private:
  LCID saved_;
};

LONG DeleteKeyUnlessItHoldsKeys(const std::wstring& path) {
  RegistryKey key;
  LONG error = key.Open(HKEY_CLASSES_ROOT, path, KEY_READ);
  if (error == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
  if (error != ERROR_SUCCESS) return error;
  DWORD subkeys = 0;
  error = RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                           nullptr, nullptr, nullptr, nullptr, nullptr);
  key.Close();
  if (error != ERROR_SUCCESS) return error;
  // Someone else's keys below ours keep it (and them) in place.
  if (subkeys > 0) return ERROR_SUCCESS;
  error = RegDeleteKeyW(HKEY_CLASSES_ROOT, path.c_str());
  return error == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : error;
}

LONG RunStep(const RegistryStep& step) {
  RegistryKey key;
  switch (step.kind) {
    case StepKind::kCreateKey:
      return key.Create(HKEY_CLASSES_ROOT, step.key, KEY_WRITE);
    case StepKind::kSetValue: {
      const LONG error = key.Open(HKEY_CLASSES_ROOT, step.key, KEY_SET_VALUE);
      if (error != ERROR_SUCCESS) return error;
      return RegSetValueExW(key.get(), step.name.empty() ? nullptr : step.name.c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(step.data.c_str()),
                            DWORD((step.data.size() + 1) * sizeof(wchar_t)));
    }
    case StepKind::kDeleteTree: {
      const LONG error = RegDeleteTreeW(HKEY_CLASSES_ROOT, step.key.c_str());
      return error == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : error;
    }
    case StepKind::kDeleteEmptyKey:
      return DeleteKeyUnlessItHoldsKeys(step.key);
  }
  return ERROR_INVALID_FUNCTION;
}

HRESULT RunSteps(const std::vector<RegistryStep>& steps) {
  for (const RegistryStep& step : steps) {
    const LONG error = RunStep(step);
    if (error != ERROR_SUCCESS) return HRESULT_FROM_WIN32(error);
  }
  return S_OK;
}

// The type library is the library's own resource TYPELIB 1.
HRESULT RegisterTypeLibrary(const std::wstring& module) {
  ITypeLib* library = nullptr;
  const HRESULT result = LoadTypeLibEx(module.c_str(), REGKIND_REGISTER, &library);
  if (library != nullptr) library->Release();
  return result;
}

HRESULT UnregisterTypeLibrary(const std::wstring& module) {
  {
    // Nothing registered, nothing to undo: unregistering twice is no failure.
    RegistryKey key;
    if (key.Open(HKEY_CLASSES_ROOT, std::wstring(L"TypeLib\\") + kTypeLibIdText, KEY_READ) ==
        ERROR_FILE_NOT_FOUND) {
      return S_OK;
    }
  }
  ITypeLib* library = nullptr;
  HRESULT result = LoadTypeLibEx(module.c_str(), REGKIND_NONE, &library);
  if (FAILED(result)) return result;
  TLIBATTR* attributes = nullptr;
  result = library->GetLibAttr(&attributes);
  if (SUCCEEDED(result)) {
    result = UnRegisterTypeLib(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum,
                               attributes->lcid, attributes->syskind);
    library->ReleaseTLibAttr(attributes);
  }
  library->Release();
  return result;
}

}  // namespace

HRESULT RegisterServer() {
  ThreadLocaleScope locale(LOCALE_SYSTEM_DEFAULT);
  const std::wstring module = ModulePath();
  if (module.empty()) return HRESULT_FROM_WIN32(GetLastError());
  HRESULT result = RunSteps(RegisterSteps(ModuleRows(), module));
  if (SUCCEEDED(result)) result = RunSteps(RegisterSteps(ClassRows(), module));
  // The class declares no component categories.
  if (SUCCEEDED(result)) result = RegisterTypeLibrary(module);
  return result;
}

HRESULT UnregisterServer() {
  const std::wstring module = ModulePath();
  if (module.empty()) return HRESULT_FROM_WIN32(GetLastError());
  // No component categories to remove first.
  HRESULT result = RunSteps(UnregisterSteps(ClassRows(), module));
  if (SUCCEEDED(result)) result = UnregisterTypeLibrary(module);
  if (SUCCEEDED(result)) result = RunSteps(UnregisterSteps(ModuleRows(), module));
  return result;
}

}  // namespace zorvo
