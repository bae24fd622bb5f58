#include <cwchar>
#include <string>

#include "common/shared_names.h"
#include "common/win32/registry_key.h"
#include "shellext/viewer_path.h"
#include "shellext/win32/context_menu.h"

namespace zorvo {

namespace {

// Takes a string value (REG_SZ, or REG_EXPAND_SZ left unexpanded) that fits
// `field` with its terminator; a stored empty string empties the field. A
// missing value, another type, a value too long for the field or one with an
// odd number of bytes leaves the field as it is.
template <size_t N>
void ReadText(const RegistryKey& key, const wchar_t* name, wchar_t (&field)[N]) {
  wchar_t buffer[N + 1] = {};  // the extra character terminates what the read leaves
  DWORD type = 0;
  DWORD bytes = N * sizeof(wchar_t);
  if (RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes) !=
      ERROR_SUCCESS) {
    return;
  }
  if ((type != REG_SZ && type != REG_EXPAND_SZ) || bytes % sizeof(wchar_t) != 0) return;
  const size_t length = wcsnlen(buffer, bytes / sizeof(wchar_t));
  if (length + 1 > N) return;
  wmemcpy(field, buffer, length);
  field[length] = L'\0';
}

}  // namespace

void ReadContextMenuSettings(ContextMenuSettings& settings) {
  // Initialize may come again: what the registry no longer holds goes.
  settings.helpText[0] = settings.viewerPath[0] = settings.menuText[0] = L'\0';
  RegistryKey key;
  if (key.Open(HKEY_CURRENT_USER, kPlimbusKey, KEY_READ) == ERROR_SUCCESS) {
    ReadText(key, kHelpTextValue, settings.helpText);
    ReadText(key, kMenuTextValue, settings.menuText);
    ReadText(key, kPlimbusViewerValue, settings.viewerPath);
  }
  if (settings.viewerPath[0] == L'\0' &&
      key.Open(HKEY_LOCAL_MACHINE, kViewerKey, KEY_READ) == ERROR_SUCCESS) {
    ReadText(key, kViewerPathValue, settings.viewerPath);
  }
  if (settings.viewerPath[0] == L'\0' &&
      key.Open(HKEY_CURRENT_USER, kOtherViewerKey, KEY_READ) == ERROR_SUCCESS) {
    ReadText(key, kOtherCommandLineValue, settings.viewerPath);
    // Another program's command line: its program path, in lower case.
    std::wstring path = settings.viewerPath;
    CharLowerBuffW(path.data(), DWORD(path.size()));
    CutAfterViewerName(path);
    path.copy(settings.viewerPath, path.size());
    settings.viewerPath[path.size()] = L'\0';
  }
}

}  // namespace zorvo
