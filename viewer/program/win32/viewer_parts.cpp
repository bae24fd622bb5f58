#include "viewer/program/win32/viewer_parts.h"

#include "viewer/dde/win32/dde_server.h"
#include "viewer/frame/win32/frame_parts.h"
#include "viewer/print/win32/print_commands.h"
#include "viewer/print/win32/print_job.h"

namespace zorvo {

void WireViewer() {
  FrameParts& parts = Parts();
  parts.commands = {PrintCommand, DdeServerCommand};
  // While a job prints, the page index and Follow End wait and DDE
  // commands are answered busy; a close waits for the job's end.
  parts.busy = PrintJobActive;
  parts.holdClose = HoldCloseWhilePrinting;
  parts.stopServing = StopDdeServer;
}

}  // namespace zorvo
