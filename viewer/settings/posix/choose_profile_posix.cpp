// The store of this run outside Windows, where there is no shared profile in
// a Windows directory: the INI file when it opts in, else the per-user store.
#include <langinfo.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>
#include <wchar.h>

#include <cstring>

#include "common/wide_text.h"
#include "viewer/settings/profile_store.h"
#include "viewer/settings/settings.h"

namespace zorvo {

namespace {

// What the INI backend needs to replace the file: a writable file (its
// write bits, which even root honours there) in a writable folder.
bool MayWrite(const std::wstring& path) {
  const std::string bytes = Utf8FromWide(path);
  struct stat st;
  if (stat(bytes.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  if ((st.st_mode & 0222) == 0 || access(bytes.c_str(), W_OK) != 0) return false;
  const size_t slash = bytes.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : bytes.substr(0, slash + 1);
  return access(folder.c_str(), W_OK) == 0;
}

}  // namespace

int ChooseProfile(Settings& settings, std::wstring& profilePath) {
  if (!profilePath.empty()) {
    ProfileStore file(MakeIniBackend(profilePath));
    if (file.GetInt(L"Zorvo Setup", L"MasterProfile", 0) == 1) {
      const int readOnly = MayWrite(profilePath) ? 0 : -1;
      settings.store =
          std::make_unique<ProfileStore>(MakeIniBackend(profilePath), readOnly, profilePath);
      return readOnly;
    }
  }
  profilePath.clear();
  settings.store = std::make_unique<ProfileStore>(MakeUserStoreBackend(), 0);
  return 0;
}

MeasurementSettings ReadMeasurementSettings() {
  MeasurementSettings settings;
  // The user's locale from the environment, whatever the program set as its
  // own; a locale that is named but not installed leaves the defaults.
  const locale_t user =
      newlocale(LC_CTYPE_MASK | LC_NUMERIC_MASK | LC_MEASUREMENT_MASK, "", static_cast<locale_t>(0));
  if (user == static_cast<locale_t>(0)) return settings;
#ifdef __GLIBC__
  // One byte: 1 metric, 2 U.S.
  const char* measurement = nl_langinfo_l(_NL_MEASUREMENT_MEASUREMENT, user);
  if (measurement != nullptr && measurement[0] == 1) settings.measure = 0;
  if (measurement != nullptr && measurement[0] == 2) settings.measure = 1;
#endif
  const char* radix = nl_langinfo_l(RADIXCHAR, user);
  if (radix != nullptr && radix[0] != '\0') {
    // In the locale's own encoding, which may take several bytes.
    const locale_t previous = uselocale(user);
    mbstate_t state{};
    wchar_t c = 0;
    const size_t used = mbrtowc(&c, radix, std::strlen(radix), &state);
    uselocale(previous);
    if (used != 0 && used != static_cast<size_t>(-1) && used != static_cast<size_t>(-2)) {
      settings.decimal = c;
    }
  }
  freelocale(user);
  return settings;
}

}  // namespace zorvo
