// The recent files and search texts: most recent first, kept in the profile.
#include "viewer/settings/recent_lists.h"

#include <algorithm>
#include <string>

#include "viewer/settings/profile_store.h"
#include "viewer/settings/settings.h"

namespace zorvo {

namespace {

constexpr wchar_t kFilesSection[] = L"MRU Files";
constexpr wchar_t kSearchSection[] = L"MRU Search";
constexpr size_t kPathChars = 261;
constexpr size_t kSearchBytes = 255;

// Only A-Z fold: other letters depend on a code page the lists don't know.
template <typename Char>
Char FoldAscii(Char c) {
  return c >= Char('a') && c <= Char('z') ? Char(c - Char('a') + Char('A')) : c;
}

template <typename Text>
bool EqualNoCase(const Text& a, const Text& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](auto x, auto y) { return FoldAscii(x) == FoldAscii(y); });
}

// Moves the entry at `index` (or the one equal to `text`, or `text` itself,
// dropping the last entry) to the front; `text` takes the stored spelling.
template <typename Text, size_t N>
void MoveToFront(std::array<Text, N>& entries, int index, Text& text, bool takeListedSpelling) {
  size_t k = N - 1;
  if (index >= 0 && static_cast<size_t>(index) < N) {
    k = static_cast<size_t>(index);
    text = entries[k];
  } else {
    for (size_t i = 0; i < N; ++i) {
      if (EqualNoCase(entries[i], text)) {
        k = i;
        if (takeListedSpelling) text = entries[i];
        break;
      }
    }
  }
  for (size_t j = k; j > 0; --j) entries[j] = std::move(entries[j - 1]);
  entries[0] = text;
}

std::wstring NumberedKey(const wchar_t* name, int n) { return name + std::to_wstring(n); }

std::wstring CountKey(const RecentSearchList& list) { return list.name + std::wstring(L"s"); }

}  // namespace

void LoadRecentFiles(Settings& settings) {
  RecentFileList& list = settings.recentFiles;
  list.entries.fill(std::wstring());
  list.count = 0;
  if (!settings.recentSwitches.MruFiles) return;
  // Keys may have been removed by hand: the entries close up.
  for (int n = 1; n <= kRecentFiles; ++n) {
    std::wstring path =
        settings.profile().GetText(kFilesSection, NumberedKey(L"File", n), L"", kPathChars + 1);
    if (!path.empty()) list.entries[list.count++] = std::move(path);
  }
}

void AddRecentFile(Settings& settings, std::wstring& path) {
  // No file has an empty name; it would only match an unused entry and hide
  // the list behind it.
  if (path.empty()) return;
  if (path.size() > kPathChars) path.resize(kPathChars);
  RecentFileList& list = settings.recentFiles;
  // A file opens under the spelling listed for it.
  MoveToFront(list.entries, -1, path, true);
  list.count = 0;
  while (list.count < kRecentFiles && !list.entries[list.count].empty()) ++list.count;
}

int SaveRecentFiles(Settings& settings) {
  if (settings.profile().ReadOnly() != 0 || !settings.recentSwitches.MruFiles) return 0;
  const RecentFileList& list = settings.recentFiles;
  // Keys above the count are deleted: loading skips gaps, so an old key
  // left there would come back as a second entry of its file.
  for (int n = 1; n <= kRecentFiles; ++n) {
    settings.profile().WriteText(kFilesSection, NumberedKey(L"File", n).c_str(),
                                 n <= list.count ? list.entries[n - 1].c_str() : nullptr);
  }
  return 1;
}

int LoadRecentSearch(Settings& settings, RecentSearchList& list) {
  const int32_t count = settings.profile().GetInt(kSearchSection, CountKey(list), 0);
  list.count = std::clamp<int32_t>(count, 0, kRecentSearches);
  for (int n = 1; n <= kRecentSearches; ++n) {
    list.entries[n - 1] = n <= list.count
                              ? settings.profile().GetTextNarrow(
                                    kSearchSection, NumberedKey(list.name, n), kSearchBytes + 1)
                              : std::string();
  }
  return list.count;
}

int AddRecentSearch(RecentSearchList& list, int index, std::string& text) {
  if (text.size() > kSearchBytes) text.resize(kSearchBytes);
  // An empty text is never searched for; moving it would put a blank first.
  if (index < 0 && text.empty()) return 0;
  // A typed text keeps its own spelling, also where it differs from a
  // listed one only in letter case: a case-sensitive search looks for what
  // was typed, and the list keeps that spelling in place of the old one.
  MoveToFront(list.entries, index, text, false);
  return static_cast<int>(text.size());
}

int FindRecentSearch(const RecentSearchList& list, std::string_view text) {
  const std::string wanted(text);
  for (int i = 0; i < list.count && i < kRecentSearches; ++i) {
    if (EqualNoCase(list.entries[i], wanted)) return i;
  }
  return -1;
}

void CountNewRecentSearch(RecentSearchList& list) {
  list.count = std::clamp(list.count + 1, 1, kRecentSearches);
}

int SaveRecentSearch(Settings& settings) {
  if (settings.profile().ReadOnly() != 0 || !settings.recentSwitches.MruSearch) return 0;
  for (RecentSearchList* list : {&settings.recentTexts, &settings.recentHex}) {
    // A list never loaded would only wipe what another run saved.
    if (list->count == -1) continue;
    settings.profile().WriteInt(kSearchSection, CountKey(*list), list->count);
    for (int n = 1; n <= list->count; ++n) {
      settings.profile().WriteTextNarrow(kSearchSection, NumberedKey(list->name, n).c_str(),
                                         list->entries[n - 1].c_str());
    }
  }
  return 1;
}

}  // namespace zorvo
