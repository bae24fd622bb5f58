#include "shellext/win32/viewer_link.h"

#include <ddeml.h>

#include "shellext/viewer_path.h"

namespace zorvo {

namespace {

// The client wants no notifications; DDEML still needs a callback.
HDDEDATA CALLBACK IgnoreDdeEvents(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) {
  return nullptr;
}

// One client instance with its two string handles, freed in every case.
class DdeClient {
 public:
  DdeClient() {
    if (DdeInitializeW(&instance_, &IgnoreDdeEvents, APPCMD_CLIENTONLY | CBF_SKIP_ALLNOTIFICATIONS,
                       0) != DMLERR_NO_ERROR) {
      instance_ = 0;
      return;
    }
    service_ = DdeCreateStringHandleW(instance_, L"Tessary", CP_WINUNICODE);
    topic_ = DdeCreateStringHandleW(instance_, L"System", CP_WINUNICODE);
  }
  ~DdeClient() {
    if (instance_ == 0) return;
    if (service_ != nullptr) DdeFreeStringHandle(instance_, service_);
    if (topic_ != nullptr) DdeFreeStringHandle(instance_, topic_);
    DdeUninitialize(instance_);
  }
  DdeClient(const DdeClient&) = delete;
  DdeClient& operator=(const DdeClient&) = delete;

  bool started() const { return instance_ != 0; }
  HCONV Connect() const {
    if (service_ == nullptr || topic_ == nullptr) return nullptr;
    return DdeConnect(instance_, service_, topic_, nullptr);
  }

 private:
  DWORD instance_ = 0;
  HSZ service_ = nullptr;
  HSZ topic_ = nullptr;
};

}  // namespace

bool SendOpenToViewer(HWND owner, const std::wstring& path, Notifier& notifier) {
  DdeClient client;
  if (!client.started()) {
    notifier.Message(L"Cannot initialize DDE session", L"Tessary", kIconExclamation,
                     reinterpret_cast<uintptr_t>(owner));
    return false;
  }
  const HCONV conversation = client.Connect();
  if (conversation == nullptr) return false;
  // The path goes in as it stands: no file name holds a double quote.
  std::wstring command = L"[OPEN \"" + path + L"\"]";
  DWORD transaction = 0;
  if (DdeClientTransaction(reinterpret_cast<BYTE*>(command.data()),
                           DWORD((command.size() + 1) * sizeof(wchar_t)), conversation, nullptr, 0,
                           XTYP_EXECUTE, TIMEOUT_ASYNC, &transaction) == nullptr) {
    notifier.Beep(kIconExclamation);
  }
  DdeDisconnect(conversation);
  return true;
}

bool StartViewer(const std::wstring& viewerPath, const std::wstring& folder, int show) {
  std::wstring commandLine = ViewerCommandLine(viewerPath);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_FORCEONFEEDBACK;
  startup.wShowWindow = static_cast<WORD>(show);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                      CREATE_DEFAULT_ERROR_MODE | NORMAL_PRIORITY_CLASS, nullptr,
                      folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
    return false;
  }
  WaitForInputIdle(process.hProcess, 1000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

}  // namespace zorvo
