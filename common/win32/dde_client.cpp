#include "common/win32/dde_client.h"

namespace zorvo {

namespace {

// A client wants no notifications; DDEML still needs a callback.
HDDEDATA CALLBACK IgnoreDdeEvents(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) {
  return nullptr;
}

}  // namespace

DdeClient::DdeClient(DWORD flags) {
  if (DdeInitializeW(&instance_, &IgnoreDdeEvents, APPCMD_CLIENTONLY | flags, 0) !=
      DMLERR_NO_ERROR) {
    instance_ = 0;
  }
}

DdeClient::~DdeClient() {
  if (instance_ == 0) return;
  Disconnect();
  if (service_ != nullptr) DdeFreeStringHandle(instance_, service_);
  if (topic_ != nullptr) DdeFreeStringHandle(instance_, topic_);
  DdeUninitialize(instance_);
}

bool DdeClient::Connect(const std::wstring& service, const std::wstring& topic) {
  if (instance_ == 0) return false;
  if (conversation_ != nullptr) return true;
  service_ = DdeCreateStringHandleW(instance_, service.c_str(), CP_WINUNICODE);
  topic_ = DdeCreateStringHandleW(instance_, topic.c_str(), CP_WINUNICODE);
  // Without either handle DdeConnect would take any server.
  if (service_ == nullptr || topic_ == nullptr) return false;
  conversation_ = DdeConnect(instance_, service_, topic_, nullptr);
  return conversation_ != nullptr;
}

void DdeClient::Disconnect() {
  if (conversation_ != nullptr) DdeDisconnect(conversation_);
  conversation_ = nullptr;
}

DdeOutcome DdeClient::Execute(const std::wstring& text, DWORD timeout) {
  if (conversation_ == nullptr) return DdeOutcome::kLost;
  DWORD status = 0;
  const auto bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
  if (DdeClientTransaction(reinterpret_cast<BYTE*>(const_cast<wchar_t*>(text.c_str())), bytes,
                           conversation_, nullptr, 0, XTYP_EXECUTE, timeout, &status) != nullptr) {
    return DdeOutcome::kDone;
  }
  const UINT error = DdeGetLastError(instance_);
  if (error == DMLERR_BUSY || (error == DMLERR_NOTPROCESSED && (status & DDE_FBUSY))) {
    return DdeOutcome::kBusy;
  }
  switch (error) {
    case DMLERR_NOTPROCESSED:
      return DdeOutcome::kNotProcessed;
    case DMLERR_EXECACKTIMEOUT:
      return DdeOutcome::kTimedOut;
    default:
      return DdeOutcome::kLost;
  }
}

}  // namespace zorvo
