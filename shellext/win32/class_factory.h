// One class factory for every class of the library, fed by a table of class
// identifiers and creation functions.
#pragma once

#include <windows.h>
// After windows.h:
#include <unknwn.h>

#include <span>

namespace zorvo {

// Creates an instance, aggregated when `outer` is given (then `iid` is
// IID_IUnknown), and answers its interface `iid`.
using CreateFunction = HRESULT (*)(IUnknown* outer, REFIID iid, void** out);

struct ClassEntry {
  const CLSID* clsid;
  CreateFunction create;
};

// DllGetClassObject over `classes`.
HRESULT GetClassObject(std::span<const ClassEntry> classes, REFCLSID clsid, REFIID iid, void** out);

}  // namespace zorvo
