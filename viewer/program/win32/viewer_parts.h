// The viewer put together: the window with printing and the DDE server
// lent to it. The program and the window tests wire it the same way.
#pragma once

namespace zorvo {

// Fills the frame's table of parts; before the main window is made.
void WireViewer();

}  // namespace zorvo
