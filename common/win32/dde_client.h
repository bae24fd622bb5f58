// One DDE client conversation, as Plimbus hands a file to the viewer and
// zorvo-dde sends it commands: a client-only instance, the string handles of
// the service and topic, and the conversation, ended in reverse order
// whatever happens.
#pragma once

#include <windows.h>
// DDEML needs <windows.h> first.
#include <ddeml.h>

#include <string>

namespace zorvo {

// How an execute transaction ended.
enum class DdeOutcome {
  kDone,          // acknowledged (or, sent without waiting, on its way)
  kBusy,          // the server said it is busy
  kNotProcessed,  // the server refused the string
  kTimedOut,      // no answer within the time given
  kLost,          // the conversation ended, or the transaction failed otherwise
};

class DdeClient {
 public:
  // Starts a client instance; `flags` (CBF_...) are added to
  // APPCMD_CLIENTONLY. Whether it started says started().
  explicit DdeClient(DWORD flags = 0);
  ~DdeClient();
  DdeClient(const DdeClient&) = delete;
  DdeClient& operator=(const DdeClient&) = delete;

  bool started() const { return instance_ != 0; }

  // Opens the conversation with `service` and `topic`; false when no server
  // answers for them.
  bool Connect(const std::wstring& service, const std::wstring& topic);
  // Ends the conversation, if there is one.
  void Disconnect();

  // Sends `text` (UTF-16, with its terminator) as one execute transaction and
  // waits up to `timeout` milliseconds for the answer; TIMEOUT_ASYNC sends it
  // without waiting.
  DdeOutcome Execute(const std::wstring& text, DWORD timeout);

 private:
  DWORD instance_ = 0;
  HSZ service_ = nullptr;
  HSZ topic_ = nullptr;
  HCONV conversation_ = nullptr;
};

}  // namespace zorvo
