// The window's side of the page index: the PG_ messages, timer 3 that
// posts PG_CONT every PageIndexingDelay milliseconds, and Go To, which
// looks pages up in the index.
//
// Each PG_CONT is a run of slices lasting at most PageIndexingBudget
// milliseconds. When a run ends with no input, painting or timer waiting,
// the next one is posted at once; otherwise they go first and timer 4 (or
// timer 3, whichever comes first) brings the next run after them. A posted
// message is taken before input and WM_PAINT, which is why the queue is
// looked at before posting; a timer's message only when nothing else waits.
#include <windows.h>

#include <algorithm>
#include <memory>

#include "viewer/file/page_index.h"
#include "viewer/frame/go_to.h"
#include "viewer/frame/view_state.h"
#include "viewer/frame/win32/dialogs.h"
#include "viewer/frame/win32/frame.h"
#include "viewer/frame/win32/frame_parts.h"
#include "viewer/settings/format_options.h"

namespace zorvo {

static_assert(UINT{PG_START} == UINT{kPageIndexStart} &&
              UINT{PG_CONT} == UINT{kPageIndexContinue} &&
              UINT{PG_CANCEL} == UINT{kPageIndexCancel} && UINT{PG_END} == UINT{kPageIndexEnd});

namespace {

HWND indexWindow = nullptr;  // the window the index works for
bool runPosted = false;      // a PG_CONT of ours is waiting in the queue

void StopTimer(HWND window) {
  Viewer& app = ViewerOf(window);
  KillTimer(window, kTimerPageIndex);
  KillTimer(window, kTimerPageIndexResume);
  app.doc.view.pageIndexTimer = 0;
}

// Hands the index's messages to the frame's notifier of the moment. A
// message box lets the window's messages in while it is shown: an index
// that a failure ended has its timer stopped first.
class IndexMessages : public Notifier {
 public:
  int Message(const std::wstring& text, const std::wstring& caption, uint32_t style,
              uintptr_t owner) override {
    if (indexWindow && WindowPageIndex(indexWindow).state() != PG_ACTIVE) StopTimer(indexWindow);
    return FrameNotifier().Message(text, caption, style, owner);
  }
  void Beep(uint32_t style) override { FrameNotifier().Beep(style); }
};

// The viewed file as the index opens it; the window tests put their own.
class IndexOpener : public FileOpener {
 public:
  std::unique_ptr<FileHandle> Open(const std::wstring& path, uint32_t& error) override {
    return (opener ? *opener : KeepingFileOpener()).Open(path, error);
  }
  FileOpener* opener = nullptr;
};

IndexOpener& Opener() {
  static IndexOpener opener;
  return opener;
}

// Timer 3 while the index is active, none otherwise.
void FollowState(HWND window, int32_t state) {
  Viewer& app = ViewerOf(window);
  if (state != PG_ACTIVE) {
    StopTimer(window);
    return;
  }
  // A negative delay would ask the system for the longest interval there is.
  const auto delay = static_cast<UINT>(std::max(app.settings.globals.PageIndexingDelay, 0));
  if (SetTimer(window, kTimerPageIndex, delay, nullptr) != 0) {
    app.doc.view.pageIndexTimer = static_cast<int>(kTimerPageIndex);
  }
}

// The pages Go To can offer: none without an index.
int32_t PagesKnown(const PageIndex& index) {
  const bool indexed = (index.state() == PG_ACTIVE || index.state() == PG_DONE) && index.HasIndex();
  return indexed ? index.pageCount() : -1;
}

// The next run at once when nothing else waits and runs are timed. Not
// while a print job pumps its abort dialog until the queue is empty: a run
// posted each time would keep the job from its next page until the whole
// file is indexed; timer 3 goes on.
void PostNextRun(HWND window) {
  Viewer& app = ViewerOf(window);
  if (runPosted || app.settings.globals.PageIndexingBudget <= 0 ||
      WindowPageIndex(window).state() != PG_ACTIVE || FrameBusy()) {
    return;
  }
  if (HIWORD(GetQueueStatus(QS_INPUT | QS_PAINT | QS_TIMER | QS_HOTKEY)) != 0) {
    SetTimer(window, kTimerPageIndexResume, USER_TIMER_MINIMUM, nullptr);
    return;
  }
  runPosted = PostMessageW(window, PG_CONT, 0, 0) != 0;
}

}  // namespace

PageIndex& WindowPageIndex(HWND window) {
  static IndexMessages messages;
  Document& doc = ViewerOf(window).doc;
  if (!doc.pageIndex) doc.pageIndex = std::make_unique<PageIndex>(messages, Opener());
  return *doc.pageIndex;
}

void SetPageIndexOpener(FileOpener* opener) { Opener().opener = opener; }

void OnPageIndexMessage(HWND window, UINT message) {
  Viewer& app = ViewerOf(window);
  PageIndex& index = WindowPageIndex(window);
  const std::wstring& path = app.doc.file.path;
  const int32_t buffer = app.settings.globals.PageIndexingBuffer;
  const auto owner = reinterpret_cast<uintptr_t>(window);
  indexWindow = window;
  switch (message) {
    case PG_START:
      // Posted after an open; the file may have been closed since.
      if (path.empty()) {
        FollowState(window, index.IndexMessage(PG_CANCEL, path, buffer, owner));
        return;
      }
      FollowState(window, index.IndexMessage(PG_START, path, buffer, owner));
      PostNextRun(window);
      return;
    case PG_CONT:
      runPosted = false;
      if (index.state() != PG_ACTIVE) {
        StopTimer(window);  // a tick that was already on its way
        return;
      }
      FollowState(window, index.Run(path, buffer, app.settings.globals.PageIndexingBudget, owner));
      GoToPagesKnown(PagesKnown(index));
      PostNextRun(window);
      return;
    case PG_END:
      runPosted = false;  // the window is going, and what was posted to it
      FollowState(window, index.IndexMessage(message, path, buffer, owner));
      return;
    default:
      FollowState(window, index.IndexMessage(message, path, buffer, owner));
      return;
  }
}

void OnPageIndexResume(HWND window) {
  KillTimer(window, kTimerPageIndexResume);
  PostNextRun(window);
}

void KeepPageIndexCurrent(HWND window, bool fileRead) {
  Viewer& app = ViewerOf(window);
  PageIndex& index = WindowPageIndex(window);
  const FileRecord& file = app.doc.file;
  if (file.path.empty()) return;
  const auto length = static_cast<uint64_t>(std::max<int64_t>(file.Flen, 0));
  // Whether another file is in its place is looked at when the view has
  // read the file; a run of the index looks each time too.
  switch (fileRead ? index.FitsFile(file.path, length) : index.FitsLength(length)) {
    case PageIndex::Fit::kFits:
      return;
    case PageIndex::Fit::kGrown:
      FollowState(window, index.Resume(file.path, reinterpret_cast<uintptr_t>(window)));
      PostNextRun(window);
      return;
    case PageIndex::Fit::kShrunk:
    case PageIndex::Fit::kReplaced:
      PostMessageW(window, PG_START, 0, 0);
      return;
  }
}

void GoToCommand(HWND window) {
  Viewer& app = ViewerOf(window);
  PageIndex& index = WindowPageIndex(window);
  // An index of a file that is no longer there starts again first.
  if (index.state() == PG_DONE &&
      index.FitsFile(app.doc.file.path, static_cast<uint64_t>(std::max<int64_t>(
                                            app.doc.file.Flen, 0))) == PageIndex::Fit::kReplaced) {
    OnPageIndexMessage(window, PG_START);
  }
  const GoToLimits limits{app.doc.file.Flen, PagesKnown(index)};
  GoToRequest request;
  if (!GoToDialog(window, &limits, request)) return;
  const GoToAction action = DecideGoTo(request, app.doc.file.Flen, [&](int32_t page) -> int64_t {
    return index.HasIndex() ? index.PageLookup(page) : -1;
  });
  switch (action.kind) {
    case GoToAction::kScrollTop:
      SendMessageW(window, WM_VSCROLL, SB_TOP, 0);
      return;
    case GoToAction::kScrollBottom:
      SendMessageW(window, WM_VSCROLL, SB_BOTTOM, 0);
      return;
    case GoToAction::kOffsetReload:
      SendMessageW(window, UM_GOTO_OFFSET_RELOAD, OffsetHigh(action.offset),
                   OffsetLow(action.offset));
      return;
    case GoToAction::kOffset:
      PostMessageW(window, UM_GOTO_OFFSET, OffsetHigh(action.offset), OffsetLow(action.offset));
      return;
    case GoToAction::kInvalidPage:
      FrameNotifier().Message(L"Invalid page number.", L"Go To Page", kIconExclamation,
                              reinterpret_cast<uintptr_t>(window));
      return;
    case GoToAction::kNothing:
      return;
  }
}

}  // namespace zorvo
