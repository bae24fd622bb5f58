#include <unistd.h>

#include <cstdio>

#include "common/notifier.h"
#include "common/wide_text.h"

namespace zorvo {

namespace {

// Without a window system, messages go to standard error.
class StderrNotifier : public Notifier {
 public:
  int Message(const std::wstring& text, const std::wstring& caption, uint32_t,
              uintptr_t) override {
    std::string line = caption.empty() ? Utf8FromWide(text)
                                       : Utf8FromWide(caption) + ": " + Utf8FromWide(text);
    line.push_back('\n');
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
    return 1;  // as if OK were pressed
  }
  // The bell is only worth sounding where someone hears it.
  void Beep(uint32_t) override {
    if (isatty(STDERR_FILENO)) {
      std::fputc('\a', stderr);
      std::fflush(stderr);
    }
  }
};

}  // namespace

Notifier& PlatformNotifier() {
  static StderrNotifier notifier;
  return notifier;
}

}  // namespace zorvo
