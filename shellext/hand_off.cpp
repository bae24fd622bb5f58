#include "shellext/hand_off.h"

namespace zorvo {

bool HandFileToViewer(ViewerLink& link, Notifier& notifier) {
  if (link.SendOpen()) return true;
  if (link.Start()) {
    if (link.SendOpen()) return true;
    // A viewer that is idle may not have registered its service yet.
    link.Sleep(kRetryDelayMs);
    if (link.SendOpen()) return true;
  }
  notifier.Beep(kIconExclamation);
  return false;
}

}  // namespace zorvo
