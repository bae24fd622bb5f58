// The viewer's DDE server: service "Tessary", topic "System", execute
// transactions only. Each command of an execute string reaches the main
// window as the same command or message its menu item sends.
#pragma once

#include <windows.h>

namespace zorvo {

// Starts serving for `window`. False when DDEML refuses to start (after its
// message); a service name that cannot be registered is reported and the
// server still counts as started.
bool StartDdeServer(HWND window);
// Stops serving; nothing when the server is not running. Asked while an
// execute string is being carried out, it stops once that is answered.
void StopDdeServer();
// Whether the server holds a DDEML instance.
bool DdeServerRunning();
// File > Ignore DDE (command 107) turns serving off and on again; false
// for other ids.
bool DdeServerCommand(HWND window, int id, LPARAM lParam);

}  // namespace zorvo
