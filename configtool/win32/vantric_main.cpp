// Vantric's entry point: one dialog over the window that is active at start,
// on the real registry. The program ends when the dialog closes.
#include <windows.h>

#include "common/exception_guard.h"
#include "configtool/win32/configure_dialog.h"
#include "configtool/win32/guarded_dialog.h"
#include "configtool/win32/windows_settings_registry.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  using namespace zorvo::vantric;
  return zorvo::Guarded(
      [instance] {
        const HelpTexts help = LoadHelpTexts(instance);
        WindowsSettingsRegistry registry;
        if (RunConfigureDialog(instance, GetActiveWindow(), registry, help) == -1) {
          ReportError(nullptr, L"Cannot display the configuration dialog.", GetLastError());
          return 1;
        }
        return 0;
      },
      [](zorvo::GuardFailure) {
        ToolNotifier().Beep(zorvo::kIconHand);
        return 1;
      });
}
