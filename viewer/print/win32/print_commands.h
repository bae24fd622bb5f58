// The print commands of the main window's File menu, and the DDE print
// commands that reach it as the same command ids.
#pragma once

#include <windows.h>

namespace zorvo {

// Print (103), Print Setup (104), Page Setup (105), Print Page (106), the
// DDE Print (109), Print Tags (110), the DDE Print Tags (111) and Print
// Sides (113). `lParam` 1 prints without the print dialog. False for other
// ids.
bool PrintCommand(HWND window, int id, LPARAM lParam);

}  // namespace zorvo
