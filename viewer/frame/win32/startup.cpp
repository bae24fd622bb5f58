#include "viewer/frame/win32/startup.h"

#include <memory>

#include "common/program_path.h"
#include "viewer/file/page_index.h"
#include "viewer/frame/view_state.h"
#include "viewer/frame/win32/frame.h"
#include "viewer/frame/win32/frame_parts.h"
#include "viewer/resources/resource.h"
#include "viewer/settings/format_options.h"

namespace zorvo {

void LoadViewerSettings(Viewer& app, const wchar_t* commandLine) {
  Startup& startup = app.startup;
  startup.profilePath = BesideProgram(L"ZORVO.INI").substr(0, 261);
  startup.commandLine = ParseProgramCommandLine(commandLine ? commandLine : L"");
  StartupLoad(app.settings, startup.profilePath, startup.commandLine);
}

bool RegisterMainClass(Viewer& app, HINSTANCE instance) {
  WNDCLASSW windowClass{};
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconW(instance, L"ZORVO");
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BACKGROUND + 1);
  windowClass.lpszMenuName = app.settings.globals.AltMenu ? L"ALTZORVO" : L"ZORVO";
  windowClass.lpszClassName = kWindowClass;
  return RegisterClassW(&windowClass) != 0;
}

HWND CreateMainWindow(Viewer& app, HINSTANCE instance) {
  // WindowPos holds top, left, height, width; the lowest integer lets the
  // system choose.
  const auto& pos = app.settings.options.WindowPos;
  auto pick = [](int32_t value) { return value == kDefaultPosition ? CW_USEDEFAULT : value; };
  return CreateWindowW(
      kWindowClass, kAppTitle, WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_HSCROLL | WS_CLIPCHILDREN,
      pick(pos[1]), pick(pos[0]), pick(pos[3]), pick(pos[2]), nullptr, nullptr, instance, &app);
}

int ShowCode(Viewer& app, int show) {
  const CommandLine& commandLine = app.startup.commandLine;
  if (commandLine.Switch('N')) return SW_SHOWMINIMIZED;
  if (commandLine.Switch('X')) return SW_SHOWMAXIMIZED;
  return show;
}

int RunMessageLoop(HWND window, HACCEL accelerators) {
  MSG message{};
  BOOL got;
  while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) {
    if (accelerators && TranslateAcceleratorW(window, accelerators, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return got == 0 ? static_cast<int>(message.wParam) : kExitLoopFailed;
}

int RunViewer(HINSTANCE instance, const wchar_t* commandLine, int show) {
  // Lives as long as the program: the window and the DDE server use it up
  // to the end of the message loop.
  const auto viewer = std::make_unique<Viewer>();
  Viewer& app = *viewer;
  SetInstance(instance);
  LoadViewerSettings(app, commandLine);
  // What viewers that did not end cleanly left behind.
  RemoveLeftIndexFiles();
  const int showCode = ShowCode(app, show);
  if (!RegisterMainClass(app, instance)) {
    FrameNotifier().Message(L"Cannot register class", L"", kIconHand);
    return kExitNoClass;
  }
  HWND window = CreateMainWindow(app, instance);
  if (!window) {
    FrameNotifier().Message(L"Cannot create window", L"", kIconHand);
    UnregisterClassW(kWindowClass, instance);
    return kExitNoWindow;
  }
  ShowWindow(window, showCode);
  HACCEL accelerators = LoadAcceleratorsW(instance, L"ZORVO");
  const CommandLine& switches = app.startup.commandLine;
  const bool dde = switches.Switch('D') != 0;
  if (dde) SendMessageW(window, WM_COMMAND, IDM_IGNOREDDE, 0);
  // A viewer started as a DDE server without a file waits for commands.
  const std::wstring& file = switches.startupFile;
  if (!(dde && file.find_first_of(L"*?") != std::wstring::npos)) {
    PostMessageW(window, UM_STARTUP_OPEN, 0, reinterpret_cast<LPARAM>(file.c_str()));
  }
  if (switches.Switch('M')) PostMessageW(window, WM_COMMAND, IDM_ONTOPON, 0);

  const int exitCode = RunMessageLoop(window, accelerators);
  // The window stopped the server when it was destroyed; this is for a
  // stop that waited for the commands it interrupted.
  StopServing();
  UnregisterClassW(kWindowClass, instance);
  return exitCode;
}

}  // namespace zorvo
