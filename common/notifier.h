// Message boxes and beeps that the core decides. The Windows programs show
// them with MessageBeep and MessageBoxW; tests record them; the command-line
// tool writes them to standard error.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zorvo {

// Icon styles, with the values of the platform's message-box styles.
enum MessageStyle : uint32_t {
  kMessageOk = 0x00,
  kIconHand = 0x10,         // a failure that stops an operation
  kIconQuestion = 0x20,
  kIconExclamation = 0x30,  // a warning
  kIconAsterisk = 0x40,     // information
};

// The sound a message of `style` beeps with: its icon alone, as the
// system's beep knows only the icon styles.
inline uint32_t BeepOf(uint32_t style) { return style & 0xF0; }

class Notifier {
 public:
  virtual ~Notifier() = default;
  // Sounds the beep of `style`, then shows `text` with `caption` (empty: no
  // caption) over `owner` (0: no owner window). Returns the button pressed.
  virtual int Message(const std::wstring& text, const std::wstring& caption, uint32_t style,
                      uintptr_t owner = 0) = 0;
  // A warning without text: the beep alone.
  virtual void Beep(uint32_t style) = 0;
};

// What a test sees of the messages shown.
class RecordingNotifier : public Notifier {
 public:
  struct Shown {
    std::wstring text;
    std::wstring caption;
    uint32_t style = 0;
    uintptr_t owner = 0;
  };
  int Message(const std::wstring& text, const std::wstring& caption, uint32_t style,
              uintptr_t owner = 0) override {
    beeps.push_back(BeepOf(style));
    shown.push_back({text, caption, style, owner});
    return 1;  // IDOK
  }
  void Beep(uint32_t style) override { beeps.push_back(style); }

  std::vector<Shown> shown;
  std::vector<uint32_t> beeps;
};

// The platform's notifier: message boxes on Windows, standard error elsewhere.
Notifier& PlatformNotifier();

}  // namespace zorvo
