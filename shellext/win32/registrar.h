// Writes and removes the library's registry entries and its type library.
#pragma once

#include <windows.h>

namespace zorvo {

// DllRegisterServer: the module's rows, the class's rows, the type library;
// the first failing step's error code, nothing rolled back.
HRESULT RegisterServer();
// DllUnregisterServer: the same in the reverse order.
HRESULT UnregisterServer();

}  // namespace zorvo
