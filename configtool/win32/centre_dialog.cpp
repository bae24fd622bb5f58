#include "configtool/centring.h"
#include "configtool/win32/configure_dialog.h"

namespace zorvo::vantric {

namespace {

ScreenRect FromRect(const RECT& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

}  // namespace

void CentreDialog(HWND dialog) {
  HWND owner = GetWindow(dialog, GW_OWNER);
  const bool overOwner = owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  RECT window{}, over{};
  if (!GetWindowRect(dialog, &window) ||
      !GetMonitorInfoW(MonitorFromWindow(overOwner ? owner : dialog, MONITOR_DEFAULTTONEAREST),
                       &monitor))
    return;  // where the system put it
  if (overOwner) {
    if (!GetWindowRect(owner, &over)) return;
  } else {
    over = monitor.rcWork;
  }
  const ScreenPoint at =
      CentredPosition(FromRect(window), FromRect(over), FromRect(monitor.rcWork));
  SetWindowPos(dialog, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace zorvo::vantric
