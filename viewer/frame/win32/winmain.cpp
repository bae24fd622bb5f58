// The viewer's entry point.
#include <windows.h>

#include "viewer/frame/win32/startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show) {
  return zorvo::RunViewer(instance, commandLine, show);
}
