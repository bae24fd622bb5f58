// The library's own state: its instance handle, and the count of live objects
// and server locks that decides whether it may be unloaded.
#pragma once

#include <windows.h>

#include <string>
#include <utility>

#include "common/exception_guard.h"

namespace zorvo {

HINSTANCE ModuleInstance();
// The library's full path, as the registry names it.
std::wstring ModulePath();

// Every object the library hands out (instances and class factories) counts
// from its construction to its destruction; IClassFactory::LockServer adds
// locks. Both use interlocked operations: objects live on any thread.
void ModuleObjectCreated();
void ModuleObjectDestroyed();
void ModuleLock();
void ModuleUnlock();
bool ModuleInUse();

// A COM method's body: an exception becomes E_OUTOFMEMORY or E_UNEXPECTED
// instead of unwinding into the caller.
template <class Body>
HRESULT GuardedCom(Body&& body) noexcept {
  return Guarded(std::forward<Body>(body), [](GuardFailure failure) -> HRESULT {
    return failure == GuardFailure::kOutOfMemory ? E_OUTOFMEMORY : E_UNEXPECTED;
  });
}

}  // namespace zorvo
