// The dialog tests' entry point. Xvfb runs no window manager, and Wine waits
// up to two seconds for one whenever a window it leaves to a manager closes.
// Wine reads at start whether this program's windows are its own, so the
// first run in a new prefix says so and runs again.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "common/win32/registry_key.h"

int main(int argc, char** argv) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  const std::wstring name = wcsrchr(path, L'\\') ? wcsrchr(path, L'\\') + 1 : path;
  zorvo::RegistryKey key;
  wchar_t managed[4] = {};
  DWORD bytes = sizeof managed;
  if (key.Create(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\" + name + L"\\X11 Driver",
                 KEY_QUERY_VALUE | KEY_SET_VALUE) == ERROR_SUCCESS &&
      RegQueryValueExW(key.get(), L"Managed", nullptr, nullptr, reinterpret_cast<BYTE*>(managed),
                       &bytes) != ERROR_SUCCESS &&
      RegSetValueExW(key.get(), L"Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"N"), 4) ==
          ERROR_SUCCESS) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    std::wstring commandLine = GetCommandLineW();
    DWORD code = 1;
    if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                       &startup, &child)) {
      WaitForSingleObject(child.hProcess, INFINITE);  // ctest bounds the run
      GetExitCodeProcess(child.hProcess, &code);
      CloseHandle(child.hThread);
      CloseHandle(child.hProcess);
    }
    return static_cast<int>(code);
  }
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
