// Drives a modal dialog from inside its own message loop: a timer on the
// dialog runs one step per tick, so each step sees what the one before did.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "support/dialog_shown.h"
#include "viewer/frame/win32/dialogs.h"
#include "window_fixture.h"

namespace zorvo {

using Step = std::function<void(HWND dialog)>;

inline std::wstring ItemText(HWND dialog, int id) { return DialogItemText(dialog, id); }
inline void SetItem(HWND dialog, int id, const wchar_t* text) { SetDlgItemTextW(dialog, id, text); }
inline void Press(HWND dialog, int id) {
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}
// A click as the button itself reports it.
inline void Click(HWND dialog, int id) { SendDlgItemMessageW(dialog, id, BM_CLICK, 0, 0); }
inline bool IsChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

class DrivenDialogTest : public WindowTest {
 protected:
  void TearDown() override {
    SetDialogInitHook({});
    WindowTest::TearDown();
  }
  // Runs `steps` on the dialog `open` shows; its result. A dialog the steps
  // leave open is cancelled, and ended with -2 if it will not go.
  int Drive(const std::function<int()>& open, std::vector<Step> steps) {
    pending = std::move(steps);
    next = idle = hidden = 0;
    SetDialogInitHook([](HWND dialog) { SetTimer(dialog, 1, 5, Tick); });
    const int result = open();
    SetDialogInitHook({});
    Pump();
    EXPECT_EQ(next, pending.size()) << "the dialog did not open, or closed too early";
    return result;
  }
  void DriveCommand(int id, std::vector<Step> steps) {
    Drive([&] { return static_cast<int>(SendMessageW(window, WM_COMMAND, id, 0)); },
          std::move(steps));
  }
  static void CALLBACK Tick(HWND dialog, UINT, UINT_PTR, DWORD) {
    if (WaitingToShow(dialog, hidden)) return;
    if (next < pending.size()) {
      pending[next++](dialog);
    } else if (++idle < 20) {
      PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    } else {
      EndDialog(dialog, -2);
    }
  }
  // "caption: text" of each message shown.
  std::vector<std::wstring> Shown() const {
    std::vector<std::wstring> out;
    for (const auto& s : notifier.shown) out.push_back(s.caption + L": " + s.text);
    return out;
  }
  // Types `text` into `field` (null: nothing), presses OK and expects the one
  // Bad Options message over the dialog, its beeps, the focus on the field
  // and the dialog still there.
  Step Refused(int field, const wchar_t* text, std::wstring message) {
    return [this, field, text, message](HWND dialog) {
      notifier.shown.clear();
      notifier.beeps.clear();
      if (text) SetItem(dialog, field, text);
      Press(dialog, IDOK);
      EXPECT_EQ(Shown(), std::vector<std::wstring>{L"Bad Options: " + message});
      if (!notifier.shown.empty()) {
        EXPECT_EQ(notifier.shown[0].owner, reinterpret_cast<uintptr_t>(dialog));
      }
      EXPECT_EQ(notifier.beeps, (std::vector<uint32_t>{kIconHand, kIconAsterisk}));
      EXPECT_EQ(GetFocus(), GetDlgItem(dialog, field)) << message;
      EXPECT_TRUE(IsWindow(dialog));
    };
  }

  static inline std::vector<Step> pending;
  static inline size_t next = 0;
  static inline int idle = 0;
  static inline int hidden = 0;
};

}  // namespace zorvo
