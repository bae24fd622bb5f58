// The settings in the Windows registry, through RegistryKey.
#pragma once

#include <windows.h>

#include "configtool/context_menu_settings.h"

namespace zorvo::vantric {

class WindowsSettingsRegistry : public SettingsRegistry {
 public:
  // The two roots; tests pass keys of their own that stand in for them.
  explicit WindowsSettingsRegistry(HKEY currentUser = HKEY_CURRENT_USER,
                                   HKEY localMachine = HKEY_LOCAL_MACHINE)
      : currentUser_(currentUser), localMachine_(localMachine) {}

  std::unique_ptr<SettingsKey> Open(RegistryRoot root, const std::wstring& path, bool create,
                                    uint32_t& error) override;

 private:
  HKEY currentUser_;
  HKEY localMachine_;
};

}  // namespace zorvo::vantric
