// The files opened and the texts searched for, most recent first.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace zorvo {

struct Settings;

inline constexpr int kRecentFiles = 9;
inline constexpr int kRecentSearches = 10;

struct RecentFileList {
  std::array<std::wstring, kRecentFiles> entries;  // full paths, 261 characters at most
  int count = 0;                                   // leading non-empty entries
};

struct RecentSearchList {
  const wchar_t* name;                                 // "Text" or "Hex"
  std::array<std::string, kRecentSearches> entries;    // 255 bytes at most
  int count = -1;                                      // -1 until loaded
};

// The lists of this run.

// Whether the lists are on ("MruFiles", "MruSearch" of "Zorvo Setup", or the
// S switch for one run); set by the settings load.
struct RecentSwitches {
  int MruFiles = 1;
  int MruSearch = 1;
};

void LoadRecentFiles(Settings& settings);
// Moves `path` (or the listed entry that equals it without regard to the
// case of A-Z) to the front; `path` takes the listed spelling.
void AddRecentFile(Settings& settings, std::wstring& path);
int SaveRecentFiles(Settings& settings);

int LoadRecentSearch(Settings& settings, RecentSearchList& list);
// Moves the entry at `index`, or the entry equal to `text`, or `text` itself
// to the front; `text` takes the listed spelling. Returns its length.
int AddRecentSearch(RecentSearchList& list, int index, std::string& text);
// For the search dialog, which keeps the count: the index of the counted
// entry equal to `text` (A-Z without regard to case), or -1. A typed text
// not listed before is added, then counted with CountNewRecentSearch (one
// more, 10 at most).
int FindRecentSearch(const RecentSearchList& list, std::string_view text);
void CountNewRecentSearch(RecentSearchList& list);
int SaveRecentSearch(Settings& settings);

}  // namespace zorvo
