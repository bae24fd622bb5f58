// zorvo-dde: sends execute strings to a running viewer over DDE, for batch
// files and for the tests.
//
//   zorvo-dde [--service NAME] [--topic NAME] [--timeout MS] COMMANDS...
//   zorvo-dde [--service NAME] [--topic NAME] [--timeout MS] --each FILE
//
// COMMANDS are joined with single spaces into one execute string. With
// --each, every line of FILE (UTF-8; "-" for standard input) is its own
// execute string, all sent through one conversation, and the result of each
// is printed on its own line.
//
// Exit codes: 0 acknowledged, 1 not processed (or refused as busy), 2 no
// server answers, 3 no answer within the timeout, 4 bad usage. With --each,
// the highest code of all lines; a lost conversation ends the run with 2.
//
// The timeout holds whatever the server does: the conversation runs on a
// thread of its own, and the program ends with 3 when an answer (or the
// connection, which shares the first answer's time) is overdue, even when
// DDEML itself is still waiting, as it does on a server that stopped
// answering messages or while it ends a conversation with a busy one.
#include <windows.h>
// The C runtime headers need <windows.h> first.
#include <fcntl.h>
#include <io.h>

#include <atomic>
#include <cstdio>
#include <cwchar>
#include <string>

#include "common/shared_names.h"
#include "common/wide_text.h"
#include "common/win32/dde_client.h"

namespace {

constexpr int kAcknowledged = 0;
constexpr int kNotProcessed = 1;
constexpr int kNoServer = 2;
constexpr int kTimedOut = 3;
constexpr int kUsage = 4;

// The usage, with the default service and topic as the viewer has them.
std::string UsageText() {
  return "usage: zorvo-dde [--service NAME] [--topic NAME] [--timeout MS] COMMANDS...\n"
         "       zorvo-dde [--service NAME] [--topic NAME] [--timeout MS] --each FILE\n"
         "Sends COMMANDS (joined with spaces) to a running viewer as one DDE execute\n"
         "string, or each line of FILE (- for standard input) as its own string.\n"
         "  --service NAME  DDE service (" +
         zorvo::Utf8FromWide(zorvo::kDdeService) +
         ")\n"
         "  --topic NAME    DDE topic (" +
         zorvo::Utf8FromWide(zorvo::kDdeTopic) +
         ")\n"
         "  --timeout MS    how long to wait for each answer (60000)\n"
         "Exit: 0 done, 1 not processed, 2 no server, 3 timeout, 4 bad usage.\n";
}

void Fail(const std::wstring& message) {
  std::fprintf(stderr, "zorvo-dde: %s\n", zorvo::Utf8FromWide(message).c_str());
}

int Usage(const std::wstring& message) {
  Fail(message);
  std::fputs(UsageText().c_str(), stderr);
  return kUsage;
}

// What the main thread watches: when the answer awaited is due (0: none),
// and the worst code so far.
struct Watch {
  std::atomic<ULONGLONG> due{0};
  std::atomic<int> worst{kAcknowledged};
  std::atomic<bool> done{false};  // the final code is known; only the cleanup runs
};
Watch watch;

// Time left until `due`, at least 1 ms.
DWORD Left(ULONGLONG due) {
  const ULONGLONG now = GetTickCount64();
  return due > now ? static_cast<DWORD>(due - now) : 1;
}

void Note(int code) {
  int worst = watch.worst;
  while (code > worst && !watch.worst.compare_exchange_weak(worst, code)) {
  }
}

// The conversation, with each answer's outcome as an exit code (after its
// message).
class Client {
 public:
  // kAcknowledged when connected, else the exit code.
  int Connect(const std::wstring& service, const std::wstring& topic) {
    if (!dde_.started()) {
      Fail(L"cannot start DDE");
      return kNoServer;
    }
    if (!dde_.Connect(service, topic)) {
      Fail(L"no DDE server answers for service \"" + service + L"\", topic \"" + topic + L"\"");
      return kNoServer;
    }
    return kAcknowledged;
  }

  // Sends one execute string; returns its exit code.
  int Execute(const std::wstring& text, DWORD timeout) {
    const ULONGLONG due = watch.due ? watch.due.load() : GetTickCount64() + timeout;
    watch.due = due;
    const int code = Transact(text, Left(due), timeout);
    watch.due = 0;
    return code;
  }

 private:
  int Transact(const std::wstring& text, DWORD wait, DWORD timeout) {
    switch (dde_.Execute(text, wait)) {
      case zorvo::DdeOutcome::kDone:
        return kAcknowledged;
      case zorvo::DdeOutcome::kBusy:
        Fail(L"the server is busy");
        return kNotProcessed;
      case zorvo::DdeOutcome::kNotProcessed:
        Fail(L"the commands were not processed");
        return kNotProcessed;
      case zorvo::DdeOutcome::kTimedOut:
        Fail(L"no answer within " + std::to_wstring(timeout) + L" ms");
        return kTimedOut;
      case zorvo::DdeOutcome::kLost:
        break;
    }
    Fail(L"the server no longer answers");
    return kNoServer;
  }

  zorvo::DdeClient dde_;
};

// Reads one line without its line end; false at the end of the input.
bool ReadLine(FILE* in, std::string& line) {
  line.clear();
  int c;
  while ((c = std::fgetc(in)) != EOF && c != '\n') line.push_back(static_cast<char>(c));
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return c != EOF || !line.empty();
}

int SendEach(Client& client, FILE* in, DWORD timeout) {
  int worst = kAcknowledged;
  std::string line;
  bool first = true;
  while (ReadLine(in, line)) {
    // Editors may start a UTF-8 file with a byte-order mark: no part of the
    // first line.
    if (first && line.starts_with("\xEF\xBB\xBF")) line.erase(0, 3);
    first = false;
    const int code = client.Execute(zorvo::WideFromUtf8(line), timeout);
    std::printf("%d\n", code);
    std::fflush(stdout);
    Note(code);
    if (code > worst) worst = code;
    if (code == kNoServer) break;
  }
  return worst;
}

struct Run {
  std::wstring service;
  std::wstring topic;
  DWORD timeout;
  FILE* in;
  std::wstring commands;
};

DWORD WINAPI Converse(void* context) {
  const Run& run = *static_cast<const Run*>(context);
  int code;
  watch.due = GetTickCount64() + run.timeout;
  {
    Client client;
    code = client.Connect(run.service, run.topic);
    if (code == kAcknowledged) {
      code = run.in ? SendEach(client, run.in, run.timeout)
                    : client.Execute(run.commands, run.timeout);
    }
    Note(code);
    // Ending the conversation waits for the server's reply: a busy server
    // gets a moment, not the whole timeout again.
    watch.due = GetTickCount64() + 500;
    watch.done = true;
  }
  return static_cast<DWORD>(code);
}

// Runs the conversation on its own thread and ends the program when an
// answer is overdue.
int Supervise(Run& run) {
  HANDLE thread = CreateThread(nullptr, 0, Converse, &run, 0, nullptr);
  if (!thread) return static_cast<int>(Converse(&run));
  constexpr ULONGLONG kGrace = 250;  // past the due time, before giving up
  for (;;) {
    if (WaitForSingleObject(thread, 50) == WAIT_OBJECT_0) {
      DWORD code = kNoServer;
      GetExitCodeThread(thread, &code);
      CloseHandle(thread);
      return static_cast<int>(code);
    }
    const ULONGLONG due = watch.due;
    if (!due || GetTickCount64() <= due + kGrace) continue;
    if (!watch.done) {
      Fail(L"no answer within " + std::to_wstring(run.timeout) + L" ms");
      if (run.in) std::printf("%d\n", kTimedOut);
      Note(kTimedOut);
    }
    std::fflush(stdout);
    std::fflush(stderr);
    // The thread is inside DDEML and may never come back: no cleanup that
    // could wait for it.
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(watch.worst.load()));
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring service = zorvo::kDdeService;
  std::wstring topic = zorvo::kDdeTopic;
  DWORD timeout = 60000;
  std::wstring each;
  std::wstring commands;
  bool any = false;
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    const bool valued =
        arg == L"--service" || arg == L"--topic" || arg == L"--timeout" || arg == L"--each";
    if (arg == L"--help") {
      std::fputs(UsageText().c_str(), stdout);
      return 0;
    }
    if (valued && !any) {
      if (i + 1 >= argc) return Usage(arg + L" needs a value");
      const std::wstring value = argv[++i];
      if (arg == L"--service") {
        service = value;
      } else if (arg == L"--topic") {
        topic = value;
      } else if (arg == L"--each") {
        each = value;
      } else {
        wchar_t* end = nullptr;
        const unsigned long ms = std::wcstoul(value.c_str(), &end, 10);
        if (value.empty() || *end || ms < 1 || ms > 0x7FFFFFFF) {
          return Usage(L"--timeout needs a number of milliseconds from 1 to 2147483647");
        }
        timeout = ms;
      }
      continue;
    }
    // A misspelt option is a mistake, not a command to send: commands start
    // with '[' (after blanks), never with "--".
    if (!any && arg.starts_with(L"--")) return Usage(L"unknown option " + arg);
    // The commands: everything from the first argument that is no option on.
    if (any) commands.push_back(L' ');
    commands += arg;
    any = true;
  }
  if (!any && each.empty()) return Usage(L"no commands to send");
  if (any && !each.empty()) return Usage(L"either COMMANDS or --each, not both");
  // Lines and results pass unchanged: no CR LF translation, no Ctrl+Z as
  // the end of the input.
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  FILE* in = nullptr;
  if (!each.empty()) {
    in = each == L"-" ? stdin : _wfopen(each.c_str(), L"rb");
    if (!in) return Usage(L"cannot read " + each);
  }
  Run run{service, topic, timeout, in, commands};
  const int code = Supervise(run);
  if (in && in != stdin) std::fclose(in);
  return code;
}
