// Fresh settings over an in-memory profile for each test.
#pragma once

#include <gtest/gtest.h>

#include "viewer/settings/settings.h"

namespace zorvo {

class SettingsTest : public testing::Test {
 protected:
  // Starts over with an empty profile; `readOnly` -1 makes it unwritable.
  void Reset(int readOnly) {
    settings = Settings{};
    settings.store = std::make_unique<ProfileStore>(MakeMemoryBackend(), readOnly);
  }

  void Put(const wchar_t* section, const wchar_t* key, const wchar_t* text) {
    settings.profile().backend().Write(section, key, text);
  }
  std::optional<std::wstring> Get(const wchar_t* section, const wchar_t* key) {
    return settings.profile().backend().Read(section, key);
  }
  std::vector<std::wstring> KeysOf(const wchar_t* section) {
    return settings.profile().backend().Keys(section);
  }

  Settings settings;
};

}  // namespace zorvo
