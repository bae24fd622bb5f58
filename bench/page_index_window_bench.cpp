// The page index as the viewer runs it: the real window under Wine with its
// timer 3 and its runs while idle, for one PageIndexingDelay,
// PageIndexingBuffer and PageIndexingBudget, within a time limit. Prints
// how far indexing got and how fast, the longest time one message held
// the window's thread, and the peak memory of the process.
//   page_index_window_bench FILE DELAY_MS BUFFER_BYTES BUDGET_MS [SECONDS]
#include <windows.h>
// windows.h first: psapi.h builds on it.
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/notifier.h"
#include "viewer/file/page_index.h"
#include "viewer/frame/view_state.h"
#include "viewer/frame/viewer.h"
#include "viewer/frame/win32/frame.h"
#include "viewer/frame/win32/startup.h"
#include "viewer/settings/format_options.h"
#include "viewer/settings/profile_store.h"

using namespace zorvo;

namespace {

double Since(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr,
                 "usage: page_index_window_bench FILE DELAY_MS BUFFER_BYTES BUDGET_MS [SECONDS]\n");
    return 2;
  }
  const std::wstring path(argv[1], argv[1] + std::char_traits<char>::length(argv[1]));
  const double limit = argc > 5 ? std::atof(argv[5]) : 60.0;
  RecordingNotifier notifier;
  SetFrameNotifier(&notifier);
  Viewer app;  // over a profile in memory
  LoadStartupSettings(app.settings, ParseCommandLine(""));
  app.settings.globals.PageIndexingDelay = std::atoi(argv[2]);
  app.settings.globals.PageIndexingBuffer = std::atoi(argv[3]);
  app.settings.globals.PageIndexingBudget = std::atoi(argv[4]);
  SetInstance(GetModuleHandleW(nullptr));
  RegisterMainClass(app, Instance());
  HWND window = CreateMainWindow(app, Instance());
  ShowWindow(window, SW_SHOWNORMAL);

  // Timed from the start of indexing: the first screen is made before it.
  SendMessageW(window, UM_OPEN_FILE, 0, reinterpret_cast<LPARAM>(path.c_str()));
  const PageIndex& index = WindowPageIndex(window);
  auto t0 = std::chrono::steady_clock::now();
  double seconds = 0, longest = 0, longestRun = 0;
  long runs = 0;
  MSG message;
  bool started = false;
  // The viewer's loop, with each message timed: the queue taken in the
  // order GetMessage takes it, and a wait when it is empty.
  for (;;) {
    seconds = Since(t0);
    if (seconds > limit) break;
    if (started && index.state() != PG_ACTIVE) break;
    MsgWaitForMultipleObjectsEx(0, nullptr, 50, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == PG_START && !started) {
        started = true;
        t0 = std::chrono::steady_clock::now();
      }
      if (message.message == PG_CONT) ++runs;
      const auto t1 = std::chrono::steady_clock::now();
      TranslateMessage(&message);
      DispatchMessageW(&message);
      if (!started) continue;
      longest = std::max(longest, Since(t1));
      if (message.message == PG_CONT) longestRun = std::max(longestRun, Since(t1));
    }
  }
  seconds = Since(t0);
  const double bytes = index.state() == PG_DONE ? static_cast<double>(index.indexedLength())
                                                : static_cast<double>(index.scanPosition());
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
  // Stdout for the script: done (1/0), seconds, bytes indexed, pages, MB/s,
  // PG_CONT messages, the longest of them and the longest of any message in
  // ms, peak private bytes and peak working set in KiB.
  std::printf("%d %.3f %.0f %d %.3f %ld %.2f %.2f %zu %zu\n", index.state() == PG_DONE ? 1 : 0,
              seconds, bytes, index.pageCount(), bytes / seconds / 1e6, runs, longestRun * 1000,
              longest * 1000,
              static_cast<size_t>(memory.PeakPagefileUsage / 1024),
              static_cast<size_t>(memory.PeakWorkingSetSize / 1024));
  if (!notifier.shown.empty()) std::fprintf(stderr, "%ls\n", notifier.shown[0].text.c_str());
  DestroyWindow(window);
  return 0;
}
