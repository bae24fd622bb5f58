#include "shellext/win32/viewer_link.h"

#include "common/shared_names.h"
#include "common/win32/dde_client.h"
#include "shellext/viewer_path.h"

namespace zorvo {

bool SendOpenToViewer(HWND owner, const std::wstring& path, Notifier& notifier) {
  DdeClient client(CBF_SKIP_ALLNOTIFICATIONS);
  if (!client.started()) {
    notifier.Message(L"Cannot initialize DDE session", kViewerTitle, kIconExclamation,
                     reinterpret_cast<uintptr_t>(owner));
    return false;
  }
  if (!client.Connect(kDdeService, kDdeTopic)) return false;
  // The path goes in as it stands: no file name holds a double quote. The
  // viewer is not waited for.
  if (client.Execute(L"[OPEN \"" + path + L"\"]", TIMEOUT_ASYNC) != DdeOutcome::kDone) {
    notifier.Beep(kIconExclamation);
  }
  client.Disconnect();
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
