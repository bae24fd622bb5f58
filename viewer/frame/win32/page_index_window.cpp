// The window's side of the page index: the PG_ messages, timer 3 that
// posts a slice every PageIndexingDelay milliseconds, and Go To, which
// looks pages up in the index.
#include <windows.h>

#include <algorithm>

#include "viewer/file/page_index.h"
#include "viewer/frame/go_to.h"
#include "viewer/frame/view_state.h"
#include "viewer/frame/win32/dialogs.h"
#include "viewer/frame/win32/frame.h"
#include "viewer/settings/format_options.h"

namespace zorvo {

static_assert(UINT{PG_START} == UINT{kPageIndexStart} &&
              UINT{PG_CONT} == UINT{kPageIndexContinue} &&
              UINT{PG_CANCEL} == UINT{kPageIndexCancel} && UINT{PG_END} == UINT{kPageIndexEnd});

namespace {

// Hands the index's messages to the frame's notifier of the moment.
class IndexMessages : public Notifier {
 public:
  int Message(const std::wstring& text, const std::wstring& caption, uint32_t style,
              uintptr_t owner) override {
    return FrameNotifier().Message(text, caption, style, owner);
  }
  void Beep(uint32_t style) override { FrameNotifier().Beep(style); }
};

void StopTimer(HWND window) {
  KillTimer(window, kTimerPageIndex);
  View().pageIndexTimer = 0;
}

// Timer 3 while the index is active, none otherwise.
void FollowState(HWND window, int32_t state) {
  if (state != PG_ACTIVE) {
    StopTimer(window);
    return;
  }
  // A negative delay would ask the system for the longest interval there is.
  const auto delay = static_cast<UINT>(std::max(Globals().PageIndexingDelay, 0));
  if (SetTimer(window, kTimerPageIndex, delay, nullptr) != 0) {
    View().pageIndexTimer = static_cast<int>(kTimerPageIndex);
  }
}

}  // namespace

PageIndex& WindowPageIndex() {
  static IndexMessages messages;
  // Ended (and its file deleted) at the latest when the program ends.
  static PageIndex index(messages);
  return index;
}

void OnPageIndexMessage(HWND window, UINT message) {
  PageIndex& index = WindowPageIndex();
  const std::wstring& path = OpenFile().path;
  const int32_t buffer = Globals().PageIndexingBuffer;
  const auto owner = reinterpret_cast<uintptr_t>(window);
  switch (message) {
    case PG_START:
      // Posted after an open; the file may have been closed since.
      if (path.empty()) {
        FollowState(window, index.IndexMessage(PG_CANCEL, path, buffer, owner));
        return;
      }
      FollowState(window, index.IndexMessage(PG_START, path, buffer, owner));
      return;
    case PG_CONT:
      if (index.state() != PG_ACTIVE) {
        StopTimer(window);  // a tick that was already on its way
        return;
      }
      FollowState(window, index.IndexMessage(PG_CONT, path, buffer, owner));
      return;
    default:
      FollowState(window, index.IndexMessage(message, path, buffer, owner));
      return;
  }
}

void KeepPageIndexCurrent(HWND window) {
  PageIndex& index = WindowPageIndex();
  const FileRecord& file = OpenFile();
  if (file.path.empty()) return;
  switch (index.FitsLength(static_cast<uint64_t>(std::max<int64_t>(file.Flen, 0)))) {
    case PageIndex::Fit::kFits:
      return;
    case PageIndex::Fit::kGrown:
      FollowState(window, index.Resume(file.path, reinterpret_cast<uintptr_t>(window)));
      return;
    case PageIndex::Fit::kShrunk:
      PostMessageW(window, PG_START, 0, 0);
      return;
  }
}

void GoToCommand(HWND window) {
  PageIndex& index = WindowPageIndex();
  const bool indexed = (index.state() == PG_ACTIVE || index.state() == PG_DONE) && index.HasIndex();
  const GoToLimits limits{OpenFile().Flen, indexed ? index.pageCount() : -1};
  GoToRequest request;
  if (!GoToDialog(window, &limits, request)) return;
  const GoToAction action = DecideGoTo(request, OpenFile().Flen, [&](int32_t page) -> int64_t {
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
