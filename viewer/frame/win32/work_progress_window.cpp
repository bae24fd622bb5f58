// How far Find Next, Mark All and Copy Tags have come, in the title, and
// Esc to stop them. The work runs inside one message; between its pieces
// only the keyboard messages are looked at, and not more often than every
// 50 milliseconds, so that looking costs the work nothing to speak of.
#include <windows.h>

#include <algorithm>
#include <utility>

#include "viewer/frame/view_state.h"
#include "viewer/frame/win32/frame.h"
#include "viewer/settings/format_options.h"

namespace zorvo {

namespace {

constexpr int64_t kLookInterval = 50;  // ms between two looks for Esc

FileOpener* workOpener = nullptr;

}  // namespace

FileOpener& WorkOpener() { return workOpener ? *workOpener : PlatformFileOpener(); }
void SetWorkOpener(FileOpener* opener) { workOpener = opener; }

WindowProgress::WindowProgress(HWND window, std::wstring doing)
    : PacedProgress(
          {std::max<int64_t>(ViewerOf(window).settings.globals.ProgressDelay, 0), kLookInterval},
          [] { return static_cast<int64_t>(GetTickCount64()); }),
      window_(window),
      doing_(std::move(doing)) {}

WindowProgress::~WindowProgress() {
  if (shown()) SetWindowTextW(window_, ViewerOf(window_).doc.view.caption.c_str());
  // Keys pressed during the work do what they do now, in their order; after
  // an Esc they go with the work they came during.
  if (!stopped()) {
    for (const MSG& key : held_) PostMessageW(key.hwnd, key.message, key.wParam, key.lParam);
  }
}

void WindowProgress::Show(int32_t percent) {
  const std::wstring title = doing_ + L" " + std::to_wstring(percent) + L"% (Esc to stop) - " +
                             ViewerOf(window_).doc.view.caption;
  SetWindowTextW(window_, title.c_str());
}

bool WindowProgress::StopAsked() {
  // A wait of no time lets the keys that the window system holds reach the
  // queue: some systems pass them on only while the thread waits.
  MsgWaitForMultipleObjectsEx(0, nullptr, 0, QS_KEY, MWMO_INPUTAVAILABLE);
  MSG message;
  while (PeekMessageW(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
    if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) return true;
    held_.push_back(message);
  }
  return false;
}

}  // namespace zorvo
