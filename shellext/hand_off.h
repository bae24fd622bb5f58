// The order in which a chosen file is handed to the viewer: a running viewer
// first; otherwise one is started and asked twice more, 200 ms apart.
#pragma once

#include "common/notifier.h"

namespace zorvo {

// What the hand-over needs from the system.
class ViewerLink {
 public:
  virtual ~ViewerLink() = default;
  // Asks a running viewer to open the file; true when one answered.
  virtual bool SendOpen() = 0;
  // Starts the viewer serving DDE and waits until it is ready for input (or
  // a second has passed); false when it could not be started.
  virtual bool Start() = 0;
  virtual void Sleep(unsigned milliseconds) = 0;
};

inline constexpr unsigned kRetryDelayMs = 200;

// True when a viewer took the file; otherwise beeps (exclamation).
bool HandFileToViewer(ViewerLink& link, Notifier& notifier);

}  // namespace zorvo
