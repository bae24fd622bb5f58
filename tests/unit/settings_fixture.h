// A fresh in-memory profile and fresh settings records for each test.
#pragma once

#include <gtest/gtest.h>

#include "viewer/settings/colors.h"
#include "viewer/settings/format_options.h"
#include "viewer/settings/printer_settings.h"
#include "viewer/settings/profile_store.h"
#include "viewer/settings/recent_lists.h"
#include "viewer/settings/setups.h"

namespace zorvo {

class SettingsTest : public testing::Test {
 protected:
  void SetUp() override { Reset(0); }
  void TearDown() override { Reset(0); }

  // Starts over with an empty profile; `readOnly` -1 makes it unwritable.
  void Reset(int readOnly) {
    SetProfile(std::make_unique<ProfileStore>(MakeMemoryBackend(), readOnly));
    ViewOptions() = FormatOptions{};
    Globals() = GlobalSettings{};
    PageSetupOptions() = PageSetup{};
    Setups() = SetupState{};
    Printer() = PrinterSelection{};
    RecentFiles() = RecentFileList{};
    RecentTexts().count = RecentHex().count = -1;
    RecentListSwitches() = RecentSwitches{};
    Colors() = DefaultColors();
  }

  static void Put(const wchar_t* section, const wchar_t* key, const wchar_t* text) {
    Profile().backend().Write(section, key, text);
  }
  static std::optional<std::wstring> Get(const wchar_t* section, const wchar_t* key) {
    return Profile().backend().Read(section, key);
  }
  static std::vector<std::wstring> KeysOf(const wchar_t* section) {
    return Profile().backend().Keys(section);
  }
};

}  // namespace zorvo
