// Holds the registered context-menu extension loaded, as a file manager
// does while its window is open, so that installing and uninstalling can be
// tried against a Plimbus.dll in use.
//
//   extension_holder READY_FILE STOP_FILE
//
// Creates the extension's object through the registry, writes the path of
// the loaded library to READY_FILE, and keeps it until STOP_FILE exists (at
// most ten minutes). Exit code 1 when the object cannot be created.
#include <windows.h>
// After windows.h:
#include <objbase.h>

#include <cstdio>

namespace {

constexpr CLSID kClassId = {
    0x5C8DABC4, 0x0937, 0x4662, {0x9E, 0xD9, 0xA5, 0xF9, 0x9D, 0x2E, 0x99, 0x77}};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fputs("usage: extension_holder READY_FILE STOP_FILE\n", stderr);
    return 2;
  }
  CoInitialize(nullptr);
  IUnknown* object = nullptr;
  HRESULT result =
      CoCreateInstance(kClassId, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                       reinterpret_cast<void**>(&object));
  if (FAILED(result)) {
    std::fprintf(stderr, "extension_holder: the extension was not created (0x%08lx)\n",
                 static_cast<unsigned long>(result));
    return 1;
  }
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(GetModuleHandleW(L"Plimbus.dll"), path, MAX_PATH);
  if (FILE* ready = _wfopen(argv[1], L"w")) {
    std::fprintf(ready, "%ls\n", path);
    std::fclose(ready);
  }
  // The holder is a stand-in for a window that stays open; it looks for its
  // stop file a few times a second.
  for (int tick = 0; tick < 10 * 60 * 20; ++tick) {
    if (GetFileAttributesW(argv[2]) != INVALID_FILE_ATTRIBUTES) break;
    Sleep(50);
  }
  object->Release();
  CoUninitialize();
  return 0;
}
