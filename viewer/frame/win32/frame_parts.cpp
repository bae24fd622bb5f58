#include "viewer/frame/win32/frame_parts.h"

namespace zorvo {

FrameParts& Parts() {
  static FrameParts parts;
  return parts;
}

bool PartCommandDone(HWND window, int id, LPARAM lParam) {
  for (PartCommand command : Parts().commands) {
    if (command(window, id, lParam)) return true;
  }
  return false;
}

bool FrameBusy() { return Parts().busy && Parts().busy(); }

bool HoldCloseForPart(HWND window) { return Parts().holdClose && Parts().holdClose(window); }

void StopServing() {
  if (Parts().stopServing) Parts().stopServing();
}

}  // namespace zorvo
