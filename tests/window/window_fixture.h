// In-process window tests: the real main window, made by the viewer's own
// start-up code over an in-memory profile, driven with messages.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/temp_names.h"
#include "viewer/frame/view_state.h"
#include "viewer/frame/viewer.h"
#include "viewer/frame/win32/frame.h"
#include "viewer/frame/win32/startup.h"
#include "viewer/program/win32/viewer_parts.h"
#include "viewer/resources/resource.h"
#include "viewer/settings/colors.h"
#include "viewer/settings/format_options.h"
#include "viewer/settings/profile_store.h"
#include "viewer/settings/recent_lists.h"
#include "viewer/settings/setups.h"

namespace zorvo {

class WindowTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    WireViewer();  // as the program does
    SetInstance(GetModuleHandleW(nullptr));
    RegisterMainClass(Parked(), Instance());
  }

  void SetUp() override { SetFrameNotifier(&notifier); }

  void TearDown() override {
    // The window stays for the next test (making one costs seconds under
    // Wine); the file is closed and the view reset.
    if (window) {
      ReleaseCapture();
      SendMessageW(window, WM_COMMAND, IDM_CLOSE, 0);
      KillTimer(window, kTimerAbove);
      KillTimer(window, kTimerBelow);
      if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
    }
    Pump();
    // The window outlives this test's viewer.
    if (window) AttachViewer(window, Parked());
    SetFrameNotifier(nullptr);
    for (const auto& path : files) std::filesystem::remove(path);
  }

  static void TearDownTestSuite() {
    if (shared) DestroyWindow(shared);
    shared = nullptr;
    Pump();
  }

  // Settings from `profile` (section, key, value) and `commandLine`, then
  // the window, shown at 800x600: a new one when `fresh`, else the one the
  // previous test left, brought up to date.
  void Start(const char* commandLine = "",
             std::initializer_list<std::array<const wchar_t*, 3>> profile = {},
             bool fresh = false) {
    if (window) AttachViewer(window, Parked());
    viewer = std::make_unique<Viewer>();
    for (const auto& [section, key, value] : profile) {
      app().settings.profile().backend().Write(section, key, value);
    }
    app().startup.commandLine = ParseCommandLine(commandLine);
    LoadStartupSettings(app().settings, app().startup.commandLine);
    if (fresh && shared) {
      DestroyWindow(shared);
      shared = nullptr;
      Pump();
    }
    if (shared) {
      window = shared;
      AttachViewer(window, app());
      app().doc.view.clientWidth = 0;  // the size below lays the window out again
      SendMessageW(window, UM_FONT, 0, 0);
      SetWindowPos(window, nullptr, 0, 0, 700, 500, SWP_NOZORDER | SWP_NOMOVE);
    } else {
      window = shared = CreateMainWindow(app(), Instance());
    }
    ASSERT_NE(window, nullptr);
    SetWindowPos(window, nullptr, 0, 0, 800, 600, SWP_NOZORDER | SWP_NOMOVE);
    ShowWindow(window, SW_SHOWNORMAL);
    Pump();
  }

  // Runs what the window has posted to itself.
  static void Pump() {
    MSG message;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) break;
      TranslateMessage(&message);
      DispatchMessageW(&message);
      if (std::chrono::steady_clock::now() > end) break;
    }
  }

  // A file of numbered lines in the temporary folder; removed afterwards.
  std::wstring MakeFile(int lines, const std::string& prefix = "line ",
                        const std::string& end = "\r\n") {
    const auto path =
        std::filesystem::temp_directory_path() / (UniqueTempName("zorvo window") + ".txt");
    std::ofstream out(path, std::ios::binary);
    for (int i = 0; i < lines; ++i) out << prefix << i << end;
    out.close();
    files.push_back(path);
    return path.wstring();
  }

  void Open(const std::wstring& path) {
    SendMessageW(window, UM_OPEN_FILE, 0, reinterpret_cast<LPARAM>(path.c_str()));
    Pump();
  }
  void Command(int id) {
    SendMessageW(window, WM_COMMAND, id, 0);
    Pump();
  }
  void Scroll(int lines) {
    SendMessageW(window, UM_SCROLL_LINES, static_cast<WPARAM>(lines), -1);
    Pump();
  }
  std::wstring Title() const {
    wchar_t text[300] = {};
    GetWindowTextW(window, text, 300);
    return text;
  }
  // The text of the line at the top of the text area.
  std::string Top() {
    const LineTable& table = app().doc.screen;
    if (table.Acur >= table.Alast) return "<none>";
    return std::string(table.TextOf(table.Acur), static_cast<size_t>(table[table.Acur].length));
  }
  static LPARAM Point(int x, int y) { return MAKELPARAM(x, y); }
  int RowY(int row) { return row * app().doc.view.lineHeight + app().doc.view.lineHeight / 2; }

  // This test's viewer: made by Start, shown by the window until the test
  // ends.
  Viewer& app() { return *viewer; }
  // What the shared window holds between tests: a viewer with no file.
  static Viewer& Parked() {
    static Viewer parked;
    return parked;
  }

  std::unique_ptr<Viewer> viewer;
  HWND window = nullptr;
  static inline HWND shared = nullptr;
  RecordingNotifier notifier;
  std::vector<std::filesystem::path> files;
};

}  // namespace zorvo
