// What the parts above the frame lend it. Printing and the DDE server are
// libraries of their own that build on the frame, so the frame reaches them
// only through this table; the program's start-up fills it before the main
// window is made (WireViewer). Left empty, the window has neither.
#pragma once

#include <windows.h>

#include <vector>

namespace zorvo {

// A part's commands: false for an id that is not its own.
using PartCommand = bool (*)(HWND window, int id, LPARAM lParam);

struct FrameParts {
  // Asked in turn before the window's own commands.
  std::vector<PartCommand> commands;
  // A part's job runs (a print job) that needs the file, the tags and the
  // selection to stay as they are.
  bool (*busy)() = nullptr;
  // A request to close the window while that job runs; true when it is
  // held until the job ends.
  bool (*holdClose)(HWND window) = nullptr;
  // Stops serving other programs (the DDE server) when the window goes.
  void (*stopServing)() = nullptr;
};
FrameParts& Parts();

// The table's answers, those of no part where a slot is empty.
bool PartCommandDone(HWND window, int id, LPARAM lParam);  // a part took the command
bool FrameBusy();
bool HoldCloseForPart(HWND window);
void StopServing();

}  // namespace zorvo
