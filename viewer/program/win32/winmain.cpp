// The viewer's entry point.
#include <windows.h>

#include "viewer/frame/win32/startup.h"
#include "viewer/program/win32/viewer_parts.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  zorvo::WireViewer();
  // The wide command line: the 8-bit one has lost every character of a file
  // name that the ANSI code page lacks.
  return zorvo::RunViewer(instance, GetCommandLineW(), show);
}
