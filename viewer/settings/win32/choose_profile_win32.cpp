// The store of this run on Windows: the INI file beside the program when it
// opts in, else the shared one of that name in the Windows directory when it
// does, else the per-user store in the registry.
#include <windows.h>

#include <vector>

#include "viewer/settings/profile_store.h"
#include "viewer/settings/settings.h"

namespace zorvo {

namespace {

bool OptsIn(const std::wstring& path) {
  ProfileStore file(MakeIniBackend(path));
  return file.GetInt(L"Zorvo Setup", L"MasterProfile", 0) == 1;
}

bool MayWrite(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES ||
      (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
    return false;
  }
  // The attribute is not all: the file's security or a share may forbid it.
  const HANDLE file =
      CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

std::wstring WindowsDirectoryFile(const std::wstring& name) {
  std::vector<wchar_t> folder(MAX_PATH);
  UINT length = GetWindowsDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
  if (length >= folder.size()) {
    folder.resize(length + 1);
    length = GetWindowsDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
  }
  std::wstring path(folder.data(), length < folder.size() ? length : 0);
  if (!path.empty() && path.back() != L'\\') path.push_back(L'\\');
  return path + name;
}

int Install(Settings& settings, std::wstring path, const std::wstring& fileToCheck) {
  const int readOnly = MayWrite(fileToCheck) ? 0 : -1;
  settings.store = std::make_unique<ProfileStore>(MakeIniBackend(path), readOnly, path);
  return readOnly;
}

}  // namespace

int ChooseProfile(Settings& settings, std::wstring& profilePath) {
  if (!profilePath.empty() && OptsIn(profilePath))
    return Install(settings, profilePath, profilePath);
  const size_t slash = profilePath.find_last_of(L"\\/");
  const std::wstring bare = slash == std::wstring::npos ? profilePath : profilePath.substr(slash + 1);
  // The functions look for a bare name in the Windows directory.
  if (!bare.empty() && OptsIn(bare)) {
    profilePath = bare;
    return Install(settings, bare, WindowsDirectoryFile(bare));
  }
  profilePath.clear();
  settings.store = std::make_unique<ProfileStore>(MakeUserStoreBackend(), 0);
  return 0;
}

MeasurementSettings ReadMeasurementSettings() {
  MeasurementSettings settings;
  settings.measure = static_cast<int>(GetProfileIntW(L"Intl", L"iMeasure", 1));
  wchar_t decimal[32] = {};
  GetProfileStringW(L"Intl", L"sDecimal", L".", decimal, 32);
  if (decimal[0] != L'\0') settings.decimal = decimal[0];
  return settings;
}

}  // namespace zorvo
