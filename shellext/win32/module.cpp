#include "shellext/win32/module.h"

#include "shellext/win32/class_factory.h"
#include "shellext/win32/context_menu.h"
#include "shellext/win32/guids.h"
#include "shellext/win32/registrar.h"

namespace zorvo {

namespace {

HINSTANCE g_instance = nullptr;
LONG g_objects = 0;
LONG g_locks = 0;

constexpr ClassEntry kClasses[] = {
    {&CLSID_QdContextMenu, &CQdContextMenu::CreateInstance},
};

}  // namespace

HINSTANCE ModuleInstance() { return g_instance; }

std::wstring ModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(g_instance, path.data(), DWORD(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

void ModuleObjectCreated() { InterlockedIncrement(&g_objects); }
void ModuleObjectDestroyed() { InterlockedDecrement(&g_objects); }
void ModuleLock() { InterlockedIncrement(&g_locks); }
void ModuleUnlock() { InterlockedDecrement(&g_locks); }
bool ModuleInUse() {
  return InterlockedCompareExchange(&g_objects, 0, 0) != 0 ||
         InterlockedCompareExchange(&g_locks, 0, 0) != 0;
}

}  // namespace zorvo

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    zorvo::g_instance = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

STDAPI DllCanUnloadNow() { return zorvo::ModuleInUse() ? S_FALSE : S_OK; }

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* out) {
  return zorvo::GuardedCom([&] { return zorvo::GetClassObject(zorvo::kClasses, clsid, iid, out); });
}

STDAPI DllRegisterServer() {
  return zorvo::GuardedCom([] { return zorvo::RegisterServer(); });
}

STDAPI DllUnregisterServer() {
  return zorvo::GuardedCom([] { return zorvo::UnregisterServer(); });
}
