#include "viewer/frame/win32/startup.h"

#include "common/program_path.h"
#include "viewer/file/page_index.h"
#include "viewer/frame/view_state.h"
#include "viewer/frame/win32/frame.h"
#include "viewer/frame/win32/frame_parts.h"
#include "viewer/resources/resource.h"
#include "viewer/settings/format_options.h"

namespace zorvo {

void LoadViewerSettings(const wchar_t* commandLine) {
  Startup& startup = StartupState();
  startup.profilePath = BesideProgram(L"ZORVO.INI").substr(0, 261);
  startup.commandLine = ParseProgramCommandLine(commandLine ? commandLine : L"");
  StartupLoad(startup.profilePath, startup.commandLine);
}

bool RegisterMainClass(HINSTANCE instance) {
  WNDCLASSW windowClass{};
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconW(instance, L"ZORVO");
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BACKGROUND + 1);
  windowClass.lpszMenuName = Globals().AltMenu ? L"ALTZORVO" : L"ZORVO";
  windowClass.lpszClassName = kWindowClass;
  return RegisterClassW(&windowClass) != 0;
}

HWND CreateMainWindow(HINSTANCE instance) {
  // WindowPos holds top, left, height, width; the lowest integer lets the
  // system choose.
  const auto& pos = ViewOptions().WindowPos;
  auto pick = [](int32_t value) { return value == kDefaultPosition ? CW_USEDEFAULT : value; };
  return CreateWindowW(
      kWindowClass, kAppTitle, WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_HSCROLL | WS_CLIPCHILDREN,
      pick(pos[1]), pick(pos[0]), pick(pos[3]), pick(pos[2]), nullptr, nullptr, instance, nullptr);
}

int ShowCode(int show) {
  const CommandLine& commandLine = StartupState().commandLine;
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
  SetInstance(instance);
  LoadViewerSettings(commandLine);
  // What viewers that did not end cleanly left behind.
  RemoveLeftIndexFiles();
  const int showCode = ShowCode(show);
  if (!RegisterMainClass(instance)) {
    FrameNotifier().Message(L"Cannot register class", L"", kIconHand);
    return kExitNoClass;
  }
  HWND window = CreateMainWindow(instance);
  if (!window) {
    FrameNotifier().Message(L"Cannot create window", L"", kIconHand);
    UnregisterClassW(kWindowClass, instance);
    return kExitNoWindow;
  }
  ShowWindow(window, showCode);
  HACCEL accelerators = LoadAcceleratorsW(instance, L"ZORVO");
  const CommandLine& switches = StartupState().commandLine;
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
