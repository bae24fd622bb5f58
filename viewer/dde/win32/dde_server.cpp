#include "viewer/dde/win32/dde_server.h"

#include <dde.h>
#include <ddeml.h>

#include <algorithm>
#include <array>
#include <span>
#include <string>
#include <vector>

#include "common/exception_guard.h"
#include "common/notifier.h"
#include "common/shared_names.h"
#include "viewer/dde/dde_command.h"
#include "viewer/file/code_tables.h"
#include "viewer/file/search.h"
#include "viewer/frame/view_state.h"
#include "viewer/frame/win32/frame.h"
#include "viewer/frame/win32/frame_parts.h"
#include "viewer/resources/resource.h"
#include "viewer/settings/format_options.h"
#include "viewer/settings/setups.h"

namespace zorvo {

namespace {

constexpr DWORD kServerFlags = CBF_FAIL_SELFCONNECTIONS | CBF_FAIL_ADVISES | CBF_FAIL_POKES |
                               CBF_FAIL_REQUESTS | CBF_SKIP_CONNECT_CONFIRMS |
                               CBF_SKIP_REGISTRATIONS | CBF_SKIP_UNREGISTRATIONS |
                               CBF_SKIP_DISCONNECTS;
static_assert(kServerFlags == 0x3F5000);

// Execute data as a client sent it, by the conversation window it came to,
// in the order it came. DDEML may hand the callback a lossy conversion of
// it (see DdeTransactionText).
struct SentData {
  HWND window;
  std::vector<unsigned char> bytes;
};

// The server of the run. DDEML's callback and the message hook take no
// data of ours, so this is the DDE part's one global record.
struct Server {
  DWORD instance = 0;
  HSZ service = nullptr;
  HSZ topic = nullptr;
  HWND target = nullptr;
  bool busy = false;         // an execute string is being carried out
  bool stopPending = false;  // asked to stop meanwhile
  // Conversations whose transactions wait (callbacks disabled) until the
  // execute string they sent has been answered.
  std::vector<HCONV> held;
  HHOOK hook = nullptr;  // sees the execute data as the clients sent it
  std::vector<SentData> sent;
};
Server server;

std::vector<SentData>& Sent() { return server.sent; }

LRESULT CALLBACK WatchMessages(int code, WPARAM wParam, LPARAM lParam) {
  const auto* message = reinterpret_cast<const MSG*>(lParam);
  if (code == HC_ACTION && wParam == PM_REMOVE && message->message == WM_DDE_EXECUTE) {
    std::vector<SentData>& sent = Sent();
    // What DDEML dropped (a conversation that ended with data queued) goes.
    std::erase_if(sent, [](const SentData& s) { return !IsWindow(s.window); });
    if (sent.size() >= 64) sent.erase(sent.begin());
    SentData data{message->hwnd, {}};
    const auto memory = reinterpret_cast<HGLOBAL>(message->lParam);
    if (const auto* bytes = static_cast<const unsigned char*>(GlobalLock(memory))) {
      data.bytes.assign(bytes, bytes + GlobalSize(memory));
      GlobalUnlock(memory);
    }
    sent.push_back(std::move(data));
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The data sent through `conversation` that its callback is handling now.
std::vector<unsigned char> TakeSent(HCONV conversation) {
  CONVINFO info{};
  info.cb = sizeof info;
  if (!DdeQueryConvInfo(conversation, QID_SYNC, &info)) return {};
  std::vector<SentData>& sent = Sent();
  const auto it = std::find_if(sent.begin(), sent.end(),
                               [&](const SentData& s) { return s.window == info.hwnd; });
  if (it == sent.end()) return {};
  std::vector<unsigned char> bytes = std::move(it->bytes);
  sent.erase(it);
  return bytes;
}

void StopNow() {
  if (!server.instance) return;
  // DdeUninitialize ends the held conversations with all the others.
  if (server.hook) UnhookWindowsHookEx(server.hook);
  Sent().clear();
  if (server.service) DdeFreeStringHandle(server.instance, server.service);
  if (server.topic) DdeFreeStringHandle(server.instance, server.topic);
  DdeNameService(server.instance, nullptr, nullptr, DNS_UNREGISTER);
  DdeUninitialize(server.instance);
  server = Server{};
}

// A stop asked for while commands run waits for the message loop: DDEML
// still answers the client through the conversation after the callback.
void CALLBACK StopLater(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  if (!server.busy) StopNow();
}

// Lets the held conversations go on, from the message loop, once no execute
// string runs: what they sent meanwhile (an end, another string) is handled
// now, outside every callback.
void CALLBACK ReleaseHeld(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  if (server.busy || !server.instance) return;  // the next string's end comes back here
  const std::vector<HCONV> held = std::move(server.held);
  server.held.clear();
  for (HCONV conversation : held) {
    if (server.instance) DdeEnableCallback(server.instance, conversation, EC_ENABLEALL);
  }
}

// Busy from here to the end of the scope, however it ends. While busy, every
// new conversation is refused. The service name stays registered meanwhile:
// unregistering it ends every conversation of that name under Wine, the one
// being answered included, which DDEML then answers through freed memory.
//
// The conversation being answered is held for as long: its commands may run
// a message loop (a print job, a dialog), and a client that gives up and
// disconnects meanwhile would otherwise have its conversation freed under
// the transaction that DDEML answers when the callback returns.
class BusyScope {
 public:
  explicit BusyScope(HCONV conversation) {
    server.busy = true;
    if (conversation && DdeEnableCallback(server.instance, conversation, EC_DISABLE)) {
      server.held.push_back(conversation);
    }
  }
  ~BusyScope() {
    server.busy = false;
    if (!server.held.empty()) SetTimer(nullptr, 0, 0, ReleaseHeld);
    if (server.stopPending) SetTimer(nullptr, 0, 0, StopLater);
  }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;
};

void Send(HWND window, int id) { SendMessageW(window, WM_COMMAND, id, 1); }

// The menu command a DDE command is, sent as from DDE (no print dialog); 0
// for the others.
int MenuCommandOf(DdeAction action) {
  switch (action) {
    // [Close]
    case DdeAction::kClose:
      return IDM_CLOSE;
    // [Print]: the whole file, without a dialog.
    case DdeAction::kPrint:
      return IDM_PRINTALL;
    // [Print Page]: one page from the top line.
    case DdeAction::kPrintPage:
      return IDM_PRINTPAGE;
    // [Print Tags]: the tagged lines, without a dialog.
    case DdeAction::kPrintTags:
      return IDM_PRINTTAGSNOW;
    // [Display Text|Hex|Raw|Wrap|ZoomIn|ZoomOut|ZoomReset|Follow]; Follow
    // toggles Follow End.
    case DdeAction::kDisplayText:
      return IDM_TEXT;
    case DdeAction::kDisplayHex:
      return IDM_HEX;
    case DdeAction::kDisplayRaw:
      return IDM_RAW;
    case DdeAction::kDisplayWrap:
      return IDM_WRAP;
    case DdeAction::kDisplayFollow:
      return IDM_FOLLOWEND;
    case DdeAction::kZoomIn:
      return IDM_ZOOMIN;
    case DdeAction::kZoomOut:
      return IDM_ZOOMOUT;
    case DdeAction::kZoomReset:
      return IDM_ZOOMRESET;
    // [Window OnTop] toggles Always on Top.
    case DdeAction::kOnTop:
      return IDM_ONTOP;
    case DdeAction::kNothing:
    case DdeAction::kOpen:
    case DdeAction::kExit:
    case DdeAction::kIgnoreDde:
    case DdeAction::kMinimize:
    case DdeAction::kMaximize:
    case DdeAction::kRestore:
    case DdeAction::kFind:
    case DdeAction::kSetup:
    case DdeAction::kUnknown:
    case DdeAction::kBadArgument:
      break;
  }
  return 0;
}

// [Find text option...] with the options Top, Hex, Text, Case and All in
// any order: Find Next, or Mark All with All. A text search looks for the
// text in the file's character code, as Find Text does.
void FindFromDde(HWND window, const DdeCommand& command) {
  Viewer& app = ViewerOf(window);
  SearchState& search = app.search;
  search.flags = command.searchFlags;
  search.pattern = command.pattern;
  if (!(command.searchFlags & kSearchHexText)) {
    SearchTextToFileCode(search.pattern, app.settings.options.CurrentOptions);
  }
  if (command.searchFlags & kSearchFromTop) app.doc.view.searchPosition = 0;
  Send(window, command.markAll ? IDM_MARKALL : IDM_FINDNEXT);
}

// Carries out one command as the main window's own command; false when it
// cannot be carried out.
bool Carry(const DdeCommand& command) {
  HWND window = server.target;
  if (!IsWindow(window)) return false;
  if (const int id = MenuCommandOf(command.action)) {
    Send(window, id);
    return true;
  }
  switch (command.action) {
    // [Open path]: a file opens; a directory or a name that does not exist
    // does nothing.
    case DdeAction::kOpen:
      SendMessageW(window, UM_OPEN_PATH, 0, reinterpret_cast<LPARAM>(command.text.c_str()));
      return true;
    // [Exit]: posted, so that this execute string is answered first.
    case DdeAction::kExit:
      PostMessageW(window, WM_CLOSE, 0, 0);
      return true;
    // [DDE]: Ignore DDE; the server stops itself after answering.
    case DdeAction::kIgnoreDde:
      PostMessageW(window, WM_COMMAND, IDM_IGNOREDDE, 0);
      return true;
    // [Window Minimize|Maximize|Restore]
    case DdeAction::kMinimize:
      ShowWindow(window, SW_MINIMIZE);
      return true;
    case DdeAction::kMaximize:
      ShowWindow(window, SW_MAXIMIZE);
      return true;
    case DdeAction::kRestore:
      ShowWindow(window, SW_SHOWNORMAL);
      return true;
    case DdeAction::kFind:
      FindFromDde(window, command);
      return true;
    // [Setup name]: the setup of section "Setup: name", applied at once.
    case DdeAction::kSetup:
      ViewerOf(window).settings.setups.CurrentSetup = command.text;
      Send(window, IDM_APPLYSETUP);
      return true;
    // A known command with a keyword it does not know.
    case DdeAction::kNothing:
      return true;
    default:  // kUnknown, kBadArgument (the menu commands went above)
      break;
  }
  return false;
}

HDDEDATA Execute(HCONV conversation, HSZ topic, HDDEDATA data,
                 const std::vector<unsigned char>& sent) {
  BusyScope busy(conversation);
  if (DdeCmpStringHandles(topic, server.topic) != 0) return DDE_FNOTPROCESSED;
  const DWORD size = DdeGetData(data, nullptr, 0, 0);
  if (size > kDdeMaxExecuteBytes || sent.size() > kDdeMaxExecuteBytes) return DDE_FNOTPROCESSED;
  // Zero-filled beyond the data, so the text always ends.
  std::array<unsigned char, 2 * kDdeMaxExecuteBytes> buffer{};
  DdeGetData(data, buffer.data(), size, 0);
  const std::wstring text = DdeTransactionText(sent, std::span(buffer.data(), size));
  return reinterpret_cast<HDDEDATA>(
      RunDdeCommands(text, Carry) == DdeAnswer::kAck ? DDE_FACK : DDE_FNOTPROCESSED);
}

HDDEDATA CALLBACK Callback(UINT type, UINT, HCONV conversation, HSZ hsz1, HSZ hsz2, HDDEDATA data,
                           ULONG_PTR, ULONG_PTR) {
  return Guarded(
      [&]() -> HDDEDATA {
        switch (type) {
          case XTYP_CONNECT:  // hsz1 the topic, hsz2 the service
            return reinterpret_cast<HDDEDATA>(!server.busy &&
                                              DdeCmpStringHandles(hsz2, server.service) == 0 &&
                                              DdeCmpStringHandles(hsz1, server.topic) == 0);
          case XTYP_EXECUTE: {
            const std::vector<unsigned char> sent = TakeSent(conversation);
            // A conversation made before the busy time may still send (from
            // a dialog's message loop): it hears that the server is busy
            // rather than running its commands inside the ones under way.
            // While a print job runs, only its Cancel button may change
            // anything: the job is printing the file, the tags and the
            // selection as they are.
            if (server.busy || FrameBusy()) return reinterpret_cast<HDDEDATA>(DDE_FBUSY);
            return Execute(conversation, hsz1, data, sent);
          }
          default:
            return nullptr;
        }
      },
      [](GuardFailure) -> HDDEDATA {
        // Refused, or not processed: both are 0.
        FrameNotifier().Beep(kIconHand);
        return nullptr;
      });
}

}  // namespace

bool StartDdeServer(HWND window) {
  if (server.instance) {
    server.stopPending = false;  // started again before a pending stop
    return true;
  }
  DWORD instance = 0;
  if (DdeInitializeW(&instance, Callback, kServerFlags, 0) != DMLERR_NO_ERROR) {
    FrameNotifier().Message(L"DDE Initialize failed.\nServer functions disabled.", kAppTitle,
                            kIconExclamation, reinterpret_cast<uintptr_t>(window));
    return false;
  }
  server.instance = instance;
  server.target = window;
  server.hook = SetWindowsHookExW(WH_GETMESSAGE, WatchMessages, nullptr, GetCurrentThreadId());
  server.service = DdeCreateStringHandleW(instance, kDdeService, CP_WINUNICODE);
  server.topic = DdeCreateStringHandleW(instance, kDdeTopic, CP_WINUNICODE);
  if (!DdeNameService(instance, server.service, nullptr, DNS_REGISTER)) {
    FrameNotifier().Message(L"DDE Name Service [Register] failed...", kAppTitle, kIconExclamation,
                            reinterpret_cast<uintptr_t>(window));
  }
  return true;
}

void StopDdeServer() {
  if (server.busy) {
    server.stopPending = true;
    return;
  }
  StopNow();
}

bool DdeServerRunning() { return server.instance != 0; }

bool DdeServerCommand(HWND window, int id, LPARAM) {
  if (id != IDM_IGNOREDDE) return false;
  ViewState& view = ViewerOf(window).doc.view;
  if (view.ddeState == kDdeOff) {
    if (StartDdeServer(window)) view.ddeState = kDdeServing;
  } else {
    StopDdeServer();
    view.ddeState = kDdeOff;
  }
  return true;
}

}  // namespace zorvo
