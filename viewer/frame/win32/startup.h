// The viewer's start-up: settings, window class, main window, message loop.
#pragma once

#include <windows.h>

namespace zorvo {

// Loads the settings and applies the command line (the raw 8-bit line
// without the program name).
void LoadViewerSettings(const char* commandLine);
// Registers the window class; false when the system refuses.
bool RegisterMainClass(HINSTANCE instance);
// Creates the main window at the saved position; null on failure.
HWND CreateMainWindow(HINSTANCE instance);
// The show code from the switches N and X, else `show`.
int ShowCode(int show);
// The whole program: returns the exit code.
int RunViewer(HINSTANCE instance, const char* commandLine, int show);

}  // namespace zorvo
