// A stand-in for the viewer in the tests of the context-menu extension: it
// records how it was started and the DDE commands it was sent, serving the
// viewer's DDE service and topic like the viewer started with -D.
// Environment: ZORVO_STANDIN_LOG, the file it appends its lines to (UTF-16);
// ZORVO_STANDIN_MODE, "late" to refuse the first connection, "mute" to serve
// nothing. It logs the system's tick count when it is ready for input, and
// ends after one execute or a few seconds.
#include <windows.h>
// After windows.h:
#include <ddeml.h>

#include <string>

#include "common/shared_names.h"

namespace {

std::wstring Environment(const wchar_t* name) {
  wchar_t value[1024] = {};
  const DWORD length = GetEnvironmentVariableW(name, value, 1024);
  return length > 0 && length < 1024 ? std::wstring(value, length) : std::wstring();
}

void Log(const std::wstring& line) {
  const std::wstring path = Environment(L"ZORVO_STANDIN_LOG");
  if (path.empty()) return;
  HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  const std::wstring text = line + L"\n";
  DWORD written = 0;
  WriteFile(file, text.data(), DWORD(text.size() * sizeof(wchar_t)), &written, nullptr);
  CloseHandle(file);
}

DWORD g_instance = 0;
HSZ g_service = nullptr;
HSZ g_topic = nullptr;
bool g_refuse = false;

HDDEDATA CALLBACK Serve(UINT type, UINT, HCONV, HSZ topic, HSZ service, HDDEDATA data, ULONG_PTR,
                        ULONG_PTR) {
  switch (type) {
    case XTYP_CONNECT:
      if (g_refuse) {  // not ready yet, as a viewer busy with a command
        g_refuse = false;
        Log(L"refused");
        return nullptr;
      }
      return reinterpret_cast<HDDEDATA>(DdeCmpStringHandles(topic, g_topic) == 0 &&
                                        DdeCmpStringHandles(service, g_service) == 0);
    case XTYP_EXECUTE: {
      wchar_t text[1024] = {};
      DdeGetData(data, reinterpret_cast<BYTE*>(text), sizeof(text) - sizeof(wchar_t), 0);
      Log(std::wstring(L"open\t") + text);
      PostQuitMessage(0);
      return reinterpret_cast<HDDEDATA>(DDE_FACK);
    }
    default:
      return nullptr;
  }
}

void StartService() {
  if (DdeInitializeW(&g_instance, &Serve,
                     APPCLASS_STANDARD | CBF_FAIL_ADVISES | CBF_FAIL_POKES | CBF_FAIL_REQUESTS |
                         CBF_SKIP_REGISTRATIONS | CBF_SKIP_UNREGISTRATIONS | CBF_SKIP_DISCONNECTS |
                         CBF_SKIP_CONNECT_CONFIRMS,
                     0) != DMLERR_NO_ERROR) {
    Log(L"dde-failed");
    return;
  }
  g_service = DdeCreateStringHandleW(g_instance, zorvo::kDdeService, CP_WINUNICODE);
  g_topic = DdeCreateStringHandleW(g_instance, zorvo::kDdeTopic, CP_WINUNICODE);
  DdeNameService(g_instance, g_service, nullptr, DNS_REGISTER);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  GetStartupInfoW(&startup);
  wchar_t folder[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, folder);
  wchar_t program[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, program, MAX_PATH);
  Log(std::wstring(L"start\t") + program + L"\t" + GetCommandLineW() + L"\t" + folder + L"\t" +
      std::to_wstring(startup.dwFlags) + L"\t" + std::to_wstring(startup.wShowWindow));

  const std::wstring mode = Environment(L"ZORVO_STANDIN_MODE");
  g_refuse = mode == L"late";
  if (mode != L"mute") StartService();
  Log(L"ready\t" + std::to_wstring(GetTickCount64()));
  const UINT_PTR giveUp = SetTimer(nullptr, 0, mode == L"mute" ? 500 : 3000, nullptr);

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (message.message == WM_TIMER && message.hwnd == nullptr && message.wParam == giveUp) break;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  if (g_instance != 0) {
    DdeNameService(g_instance, nullptr, nullptr, DNS_UNREGISTER);
    DdeFreeStringHandle(g_instance, g_service);
    DdeFreeStringHandle(g_instance, g_topic);
    DdeUninitialize(g_instance);
  }
  Log(L"exit");
  return 0;
}
