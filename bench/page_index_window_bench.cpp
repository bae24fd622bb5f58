// The page index as the viewer runs it: the real window under Wine, one
// slice per tick of timer 3. Prints how far indexing got and how fast, for
// one PageIndexingDelay and PageIndexingBuffer, within a time limit.
//   page_index_window_bench FILE DELAY_MS BUFFER_BYTES [SECONDS]
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/notifier.h"
#include "viewer/file/page_index.h"
#include "viewer/frame/view_state.h"
#include "viewer/frame/win32/frame.h"
#include "viewer/frame/win32/startup.h"
#include "viewer/settings/format_options.h"
#include "viewer/settings/profile_store.h"

using namespace zorvo;

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: page_index_window_bench FILE DELAY_MS BUFFER_BYTES [SECONDS]\n");
    return 2;
  }
  const std::wstring path(argv[1], argv[1] + std::char_traits<char>::length(argv[1]));
  const double limit = argc > 4 ? std::atof(argv[4]) : 60.0;
  RecordingNotifier notifier;
  SetFrameNotifier(&notifier);
  SetProfile(std::make_unique<ProfileStore>(MakeMemoryBackend()));
  LoadStartupSettings(ParseCommandLine(""));
  Globals().PageIndexingDelay = std::atoi(argv[2]);
  Globals().PageIndexingBuffer = std::atoi(argv[3]);
  SetInstance(GetModuleHandleW(nullptr));
  RegisterMainClass(Instance());
  HWND window = CreateMainWindow(Instance());
  ShowWindow(window, SW_SHOWNORMAL);

  // Timed from the start of indexing: the first screen is made before it.
  SendMessageW(window, UM_OPEN_FILE, 0, reinterpret_cast<LPARAM>(path.c_str()));
  const PageIndex& index = WindowPageIndex();
  auto t0 = std::chrono::steady_clock::now();
  double seconds = 0;
  MSG message;
  bool started = false;
  for (;;) {
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (seconds > limit) break;
    if (started && index.state() != PG_ACTIVE) break;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == PG_START && !started) {
        started = true;
        t0 = std::chrono::steady_clock::now();
      }
      DispatchMessageW(&message);
    }
  }
  const double bytes = index.state() == PG_DONE ? static_cast<double>(index.indexedLength())
                                                : static_cast<double>(index.scanPosition());
  // Stdout for the script: done (1/0), seconds, bytes indexed, pages, MB/s.
  std::printf("%d %.3f %.0f %d %.3f\n", index.state() == PG_DONE ? 1 : 0, seconds, bytes,
              index.pageCount(), bytes / seconds / 1e6);
  if (!notifier.shown.empty()) std::fprintf(stderr, "%ls\n", notifier.shown[0].text.c_str());
  DestroyWindow(window);
  return 0;
}
