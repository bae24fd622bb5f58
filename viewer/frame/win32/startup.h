// The viewer's start-up: settings, window class, main window, message loop.
#pragma once

#include <windows.h>

namespace zorvo {

struct Viewer;

// Loads the settings and applies the command line (the whole wide line, the
// program name first).
void LoadViewerSettings(Viewer& app, const wchar_t* commandLine);
// Registers the window class; false when the system refuses.
bool RegisterMainClass(Viewer& app, HINSTANCE instance);
// Creates the main window at the saved position; null on failure.
HWND CreateMainWindow(Viewer& app, HINSTANCE instance);
// The show code from the switches N and X, else `show`.
int ShowCode(Viewer& app, int show);

// Exit codes of the program besides the quit message's own.
enum ExitCode : int {
  kExitNoClass = -1,     // the window class was refused
  kExitNoWindow = -2,    // the main window could not be made
  kExitLoopFailed = -3,  // the system could not deliver the next message
};
// Runs the message loop until the quit message, translating the
// accelerators for `window`; the quit message's code, or kExitLoopFailed.
int RunMessageLoop(HWND window, HACCEL accelerators);
// The whole program: returns the exit code.
int RunViewer(HINSTANCE instance, const wchar_t* commandLine, int show);

}  // namespace zorvo
