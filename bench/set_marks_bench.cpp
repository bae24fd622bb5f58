// How long Set takes over a selection of a million lines of a large file,
// and how many table windows it walks, on the real window under Wine.
//   set_marks_bench [LINES]
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "common/notifier.h"
#include "viewer/frame/view_state.h"
#include "viewer/frame/viewer.h"
#include "viewer/frame/win32/frame.h"
#include "viewer/frame/win32/startup.h"
#include "viewer/resources/resource.h"
#include "viewer/settings/format_options.h"
#include "viewer/settings/profile_store.h"

using namespace zorvo;

int main(int argc, char** argv) {
  const long lines = argc > 1 ? std::atol(argv[1]) : 1000000;
  const auto path = std::filesystem::temp_directory_path() / "zorvo set bench.txt";
  {
    std::ofstream out(path, std::ios::binary);
    for (long i = 0; i < lines + 1000; ++i) out << "2026-12-07 record " << i << " of the report\r\n";
  }
  RecordingNotifier notifier;
  SetFrameNotifier(&notifier);
  Viewer app;  // over a profile in memory
  LoadStartupSettings(app.settings, ParseCommandLine(""));
  SetInstance(GetModuleHandleW(nullptr));
  RegisterMainClass(app, Instance());
  HWND window = CreateMainWindow(app, Instance());
  ShowWindow(window, SW_SHOWNORMAL);
  const std::wstring name = path.wstring();
  SendMessageW(window, UM_OPEN_FILE, 0, reinterpret_cast<LPARAM>(name.c_str()));
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);

  // The selection: from the top of the file to the start of line `lines`.
  int64_t end = 0;
  {
    std::ifstream in(path, std::ios::binary);
    std::string line;
    for (long i = 0; i < lines && std::getline(in, line); ++i) end += static_cast<int64_t>(line.size()) + 1;
  }
  app.doc.view.selection = Selection{0, end, 0, 1};
  long windows = 0;
  const auto t0 = std::chrono::steady_clock::now();
  SendMessageW(window, WM_COMMAND, IDM_SETMARKS, 0);
  ++windows;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_COMMAND && LOWORD(message.wParam) == IDM_SETMARKS) ++windows;
    DispatchMessageW(&message);
  }
  const auto t1 = std::chrono::steady_clock::now();
  std::printf("Set over %ld lines: %.1f ms, %ld table windows, %u marks%s\n", lines,
              std::chrono::duration<double, std::milli>(t1 - t0).count(), windows,
              static_cast<unsigned>(app.doc.tags.count),
              notifier.shown.empty() ? "" : " (stopped at the bookmark limit)");
  DestroyWindow(window);
  std::filesystem::remove(path);
  return 0;
}
