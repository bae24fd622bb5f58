#include "viewer/settings/user_skip_counts.h"

#include <cstdio>
#include <string>

#include "common/wide_text.h"
#include "viewer/file/carriage_control.h"
#include "viewer/settings/ansi_code_page.h"
#include "viewer/settings/format_options.h"
#include "viewer/settings/profile_store.h"
#include "viewer/settings/settings.h"

namespace zorvo {

namespace {

constexpr size_t kUserTableCapacity = 256;  // bytes, with the C string's null

// Appends `text` to the debug file; a file that cannot be opened is passed
// over, since a diagnostic never stops the viewer.
void AppendToDebugFile(const std::wstring& fileName, const std::string& text) {
#ifdef _WIN32
  std::FILE* f = _wfopen(fileName.c_str(), L"a");
#else
  std::FILE* f = std::fopen(Utf8FromWide(fileName).c_str(), "a");
#endif
  if (f == nullptr) return;
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
}

}  // namespace

const SkipCounts& ProfileSkipCounts(Settings& settings, uint32_t options,
                                    std::wstring_view userTable) {
  UserSkipCache& user = settings.userSkipCounts;
  const bool wanted = (options & kOptCcUser) && !(options & (kOptCcAsa | kOptCcIbm));
  if (wanted && user.stale) {
    // Read once per change of choice, not once per formatter pass.
    const std::string value =
        settings.profile().GetTextNarrow(L"CarriageControl", userTable, kUserTableCapacity);
    user.counts = ParseUserSkipCounts(value);
    user.stale = false;
    const GlobalSettings& g = settings.globals;
    if (g.DiagMode != 0 && !g.DebugFileName.empty()) {
      // The name in the same 8-bit form as the value it labels.
      AppendToDebugFile(g.DebugFileName,
                        UserSkipCountsDump(NarrowFromWide(userTable), value, user.counts));
    }
  }
  return SkipCountsFor(options, user.counts);
}

void MarkUserSkipCountsStale(Settings& settings) { settings.userSkipCounts.stale = true; }
bool UserSkipCountsStale(Settings& settings) { return settings.userSkipCounts.stale; }

}  // namespace zorvo
