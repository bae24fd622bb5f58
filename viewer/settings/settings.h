// The settings in force: the profile they are kept in and what start-up,
// the dialogs and DDE commands read from it and change. One per run of the
// viewer, made by its start-up; a test makes a fresh one.
#pragma once

#include <memory>

#include "viewer/file/formatter.h"
#include "viewer/settings/colors.h"
#include "viewer/settings/format_options.h"
#include "viewer/settings/printer_settings.h"
#include "viewer/settings/profile_store.h"
#include "viewer/settings/recent_lists.h"
#include "viewer/settings/setups.h"

namespace zorvo {

// The user table of skip counts, read from the profile once per change of
// the carriage-control choice.
struct UserSkipCache {
  SkipCounts counts = PlainSkipCounts();
  bool stale = true;
};

struct Settings {
  // Until a profile is chosen (ChooseProfile), an empty one in memory:
  // nothing is kept.
  Settings() : store(std::make_unique<ProfileStore>(MakeMemoryBackend())) {}

  ProfileStore& profile() { return *store; }

  std::unique_ptr<ProfileStore> store;
  FormatOptions options;
  GlobalSettings globals;
  PageSetup pageSetup;
  ColorTable colors = DefaultColors();
  RecentFileList recentFiles;
  RecentSearchList recentTexts{L"Text", {}, -1};
  RecentSearchList recentHex{L"Hex", {}, -1};
  RecentSwitches recentSwitches;
  SetupState setups;
  PrinterSelection printer;
  UserSkipCache userSkipCounts;
};

}  // namespace zorvo
