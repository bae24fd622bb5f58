// The Mark menu: Toggle, Next, Unmark All, Set, Reset, Freeze Title and
// Clear Title. Set walks through the file one table window at a time
// through the message queue and returns the view to where it was.
#include "viewer/frame/marks.h"

#include <windows.h>

#include "viewer/frame/win32/frame.h"
#include "viewer/resources/resource.h"

namespace zorvo {

namespace {

void Repaint(HWND window) { InvalidateRect(window, nullptr, FALSE); }

void TooManyBookmarks() {
  FrameNotifier().Message(kTooManyBookmarks, kBookmarkCaption, kIconExclamation, 0);
  View().returnPosition = -1;
}

void GoToReload(HWND window, int64_t offset) {
  SendMessageW(window, UM_GOTO_OFFSET_RELOAD, OffsetHigh(offset), OffsetLow(offset));
}

void Toggle(HWND window) {
  LineTable& table = Screen();
  if (table.Acur >= table.Alast) return;
  const int32_t line = ToggleLine(table, View().selection, LinesPerPage(View(), TitleCount()));
  if (ToggleMark(table, Tags(), line) == ToggleResult::kFull) TooManyBookmarks();
  SendMessageW(window, UM_SELECT_CLEAR, 0, 0);
  Repaint(window);
}

void SetMarks(HWND window) {
  LineTable& table = Screen();
  ViewState& view = View();
  if (table.Acur >= table.Alast) return;
  const MarkRange range = RangeOf(table, view.selection);
  const std::optional<int32_t> stopped = SetMarksInTable(table, Tags(), range);
  ApplyTagsToLines(table, Tags());
  if (stopped) {
    // The view goes to just before the first line left without a mark.
    GoToReload(window, table[*stopped].offset - 1);
    Repaint(window);
    TooManyBookmarks();
    return;
  }
  const SetContinuation next = ContinueSet(table, view.selection, range, OpenFile().Flen);
  if (view.returnPosition == -1) view.returnPosition = table[table.Acur].offset;
  if (!next.at) {
    SendMessageW(window, UM_SELECT_CLEAR, 0, 0);
    if (view.returnPosition != -1) {
      const int64_t back = view.returnPosition;
      view.returnPosition = -1;
      GoToReload(window, back);
    }
    Repaint(window);
    return;
  }
  view.selection = next.remaining;
  const PositionOutcome moved = PositionView(window, PositionKind::kGotoOffsetReload, *next.at);
  Repaint(window);
  if (moved.errorReport) {
    // The rebuild failed (the file went, a format that cannot lay out the
    // lines) and its report shows in place of the file: going on would
    // fail and report again at every step, for ever.
    view.returnPosition = -1;
    SendMessageW(window, UM_SELECT_CLEAR, 0, 0);
    return;
  }
  PostMessageW(window, WM_COMMAND, IDM_SETMARKS, 0);
}

void ResetRange(HWND window) {
  LineTable& table = Screen();
  if (table.Acur >= table.Alast) return;
  ResetMarks(Tags(), RangeOf(table, View().selection));
  ApplyTagsToLines(table, Tags());
  SendMessageW(window, UM_SELECT_CLEAR, 0, 0);
  Repaint(window);
}

void UnmarkAll(HWND window) {
  Tags().count = 0;
  ApplyTagsToLines(Screen(), Tags());
  SendMessageW(window, UM_SELECT_CLEAR, 0, 0);
  Repaint(window);
}

void Next(HWND window) {
  const std::optional<int64_t> next = NextMark(Screen(), Tags(), View().selection);
  if (next) {
    PostMessageW(window, UM_GOTO_OFFSET, OffsetHigh(*next), OffsetLow(*next));
  } else {
    PostMessageW(window, WM_VSCROLL, SB_BOTTOM, 0);
    FrameNotifier().Beep(kIconExclamation);
  }
  Repaint(window);
}

void FreezeTitle(HWND window) {
  const Selection& selection = View().selection;
  if (!selection.Any()) {
    FrameNotifier().Beep(kIconExclamation);
    return;
  }
  LineTable* titles = CreateTitleBuffers(true, FrameNotifier());
  if (!titles) return;
  FreezeTitles(Screen(), selection, *titles);
  SendMessageW(window, UM_SELECT_CLEAR, 0, 0);
  InvalidateRect(window, nullptr, TRUE);
}

void ClearTitle(HWND window) {
  TitleTable().reset();
  InvalidateRect(window, nullptr, TRUE);
}

}  // namespace

bool MarkCommand(HWND window, int id) {
  if (id < IDM_TOGGLE || id > IDM_CLEARTITLE) return false;
  if (OpenFile().path.empty()) return true;  // every one needs a file
  switch (id) {
    case IDM_TOGGLE:
      Toggle(window);
      break;
    case IDM_NEXTMARK:
      Next(window);
      break;
    case IDM_UNMARKALL:
      UnmarkAll(window);
      break;
    case IDM_SETMARKS:
      SetMarks(window);
      break;
    case IDM_RESETMARKS:
      ResetRange(window);
      break;
    case IDM_FREEZETITLE:
      FreezeTitle(window);
      break;
    case IDM_CLEARTITLE:
      ClearTitle(window);
      break;
  }
  return true;
}

}  // namespace zorvo
