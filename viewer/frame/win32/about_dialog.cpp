// Help > About: the product, its version read from the program's own
// version resource with the time it was built, and the copyright.
#include <windows.h>

#include <memory>
#include <new>
#include <string>

#include "common/program_path.h"
#include "viewer/frame/win32/dialogs.h"
#include "viewer/frame/win32/frame.h"
#include "viewer/resources/resource.h"
#include "viewer/settings/version_info.h"

namespace zorvo {

namespace {

// Reads the string values of block `LanguageKey` and the fixed version of
// the running program into `info`. 0, ERROR_OUTOFMEMORY (14), or the
// system's error when the resource cannot be read; `info` keeps its
// defaults then.
DWORD LoadVersionInfo(VersionInfo& info) {
  const std::wstring path = ProgramPath();
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0) return GetLastError();
  std::unique_ptr<unsigned char[]> data(new (std::nothrow) unsigned char[size]);
  if (!data) return ERROR_OUTOFMEMORY;
  if (!GetFileVersionInfoW(path.c_str(), 0, size, data.get())) return GetLastError();
  try {
    for (int i = 0; i < kVersionTextCount; ++i) {
      const std::wstring key =
          L"\\StringFileInfo\\" + info.LanguageKey.substr(0, 8) + L"\\" + kVersionTextNames[i];
      void* text = nullptr;
      UINT length = 0;
      if (VerQueryValueW(data.get(), key.c_str(), &text, &length) && text) {
        SetVersionText(info, static_cast<VersionText>(i), static_cast<const wchar_t*>(text));
      }
    }
  } catch (const std::bad_alloc&) {
    return ERROR_OUTOFMEMORY;
  }
  void* fixed = nullptr;
  UINT length = 0;
  if (VerQueryValueW(data.get(), L"\\", &fixed, &length) && fixed &&
      length >= sizeof(VS_FIXEDFILEINFO)) {
    const auto* version = static_cast<const VS_FIXEDFILEINFO*>(fixed);
    info.FixedProductVersion = {
        HIWORD(version->dwProductVersionMS), LOWORD(version->dwProductVersionMS),
        HIWORD(version->dwProductVersionLS), LOWORD(version->dwProductVersionLS)};
    info.FixedFileVersion = {HIWORD(version->dwFileVersionMS), LOWORD(version->dwFileVersionMS),
                             HIWORD(version->dwFileVersionLS), LOWORD(version->dwFileVersionLS)};
  }
  return 0;
}

INT_PTR HandleAbout(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: {
      // The stamp of the build of this file, the one that makes the dialog.
      VersionInfo info = DefaultVersionInfo(BuildStampOf(__DATE__, __TIME__));
      LoadVersionInfo(info);  // a resource that cannot be read leaves the defaults
      const std::wstring line = L"Version: " + info.FullVersion;
      SetDlgItemTextW(dialog, IDC_ABOUT_VERSION, line.c_str());
      // The texts go with the record; the error the system last gave stays.
      const DWORD error = GetLastError();
      info = VersionInfo{};
      SetLastError(error);
      DialogReady(dialog);
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          EndDialog(dialog, 1);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, 0);
          return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

int AboutDialog(HWND owner) {
  return RunDialog(owner, L"DialogAbout", &GuardedDialogProc<HandleAbout>, nullptr);
}

}  // namespace zorvo
