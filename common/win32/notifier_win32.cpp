#include <windows.h>

#include "common/notifier.h"

namespace zorvo {

namespace {

class WindowsNotifier : public Notifier {
 public:
  int Message(const std::wstring& text, const std::wstring& caption, uint32_t style,
              uintptr_t owner) override {
    MessageBeep(BeepOf(style));
    return MessageBoxW(reinterpret_cast<HWND>(owner), text.c_str(),
                       caption.empty() ? nullptr : caption.c_str(), style);
  }
  void Beep(uint32_t style) override { MessageBeep(style); }
};

}  // namespace

Notifier& PlatformNotifier() {
  static WindowsNotifier notifier;
  return notifier;
}

}  // namespace zorvo
