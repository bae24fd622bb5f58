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

void TooManyBookmarks(Viewer& app) {
  FrameNotifier().Message(kTooManyBookmarks, kBookmarkCaption, kIconExclamation, 0);
  app.doc.view.returnPosition = -1;
}

void GoToReload(HWND window, int64_t offset) {
  SendMessageW(window, UM_GOTO_OFFSET_RELOAD, OffsetHigh(offset), OffsetLow(offset));
}

void Toggle(HWND window) {
  Viewer& app = ViewerOf(window);
  LineTable& table = app.doc.screen;
  if (table.Acur >= table.Alast) return;
  const int32_t line = ToggleLine(table, app.doc.view.selection,
                                  LinesPerPage(app.doc.view, TitleCount(app.doc.titles)));
  if (ToggleMark(table, app.doc.tags, line) == ToggleResult::kFull) TooManyBookmarks(app);
  SendMessageW(window, UM_SELECT_CLEAR, 0, 0);
  Repaint(window);
}

void SetMarks(HWND window) {
  Viewer& app = ViewerOf(window);
  LineTable& table = app.doc.screen;
  ViewState& view = app.doc.view;
  if (table.Acur >= table.Alast) return;
  const MarkRange range = RangeOf(table, view.selection);
  const std::optional<int32_t> stopped = SetMarksInTable(table, app.doc.tags, range);
  ApplyTagsToLines(table, app.doc.tags);
  if (stopped) {
    // The view goes to just before the first line left without a mark.
    GoToReload(window, table[*stopped].offset - 1);
    Repaint(window);
    TooManyBookmarks(app);
    return;
  }
  const SetContinuation next = ContinueSet(table, view.selection, range, app.doc.file.Flen);
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
  Viewer& app = ViewerOf(window);
  LineTable& table = app.doc.screen;
  if (table.Acur >= table.Alast) return;
  ResetMarks(app.doc.tags, RangeOf(table, app.doc.view.selection));
  ApplyTagsToLines(table, app.doc.tags);
  SendMessageW(window, UM_SELECT_CLEAR, 0, 0);
  Repaint(window);
}

void UnmarkAll(HWND window) {
  Viewer& app = ViewerOf(window);
  app.doc.tags.count = 0;
  ApplyTagsToLines(app.doc.screen, app.doc.tags);
  SendMessageW(window, UM_SELECT_CLEAR, 0, 0);
  Repaint(window);
}

void Next(HWND window) {
  Viewer& app = ViewerOf(window);
  const std::optional<int64_t> next =
      NextMark(app.doc.screen, app.doc.tags, app.doc.view.selection);
  if (next) {
    PostMessageW(window, UM_GOTO_OFFSET, OffsetHigh(*next), OffsetLow(*next));
  } else {
    PostMessageW(window, WM_VSCROLL, SB_BOTTOM, 0);
    FrameNotifier().Beep(kIconExclamation);
  }
  Repaint(window);
}

void FreezeTitle(HWND window) {
  Viewer& app = ViewerOf(window);
  const Selection& selection = app.doc.view.selection;
  if (!selection.Any()) {
    FrameNotifier().Beep(kIconExclamation);
    return;
  }
  LineTable* titles = CreateTitleBuffers(app.doc.titles, true, FrameNotifier());
  if (!titles) return;
  FreezeTitles(app.doc.screen, selection, *titles);
  SendMessageW(window, UM_SELECT_CLEAR, 0, 0);
  InvalidateRect(window, nullptr, TRUE);
}

void ClearTitle(HWND window) {
  Viewer& app = ViewerOf(window);
  app.doc.titles.reset();
  InvalidateRect(window, nullptr, TRUE);
}

}  // namespace

bool MarkCommand(HWND window, int id) {
  Viewer& app = ViewerOf(window);
  if (id < IDM_TOGGLE || id > IDM_CLEARTITLE) return false;
  if (app.doc.file.path.empty()) return true;  // every one needs a file
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
