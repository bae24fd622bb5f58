// Find Next and Mark All: the search of the current pattern from the view,
// the selection of the match, and marks at every match.
#include <windows.h>

#include "viewer/file/search.h"
#include "viewer/frame/error_report.h"
#include "viewer/frame/marks.h"
#include "viewer/frame/win32/frame.h"
#include "viewer/resources/resource.h"
#include "viewer/settings/recent_lists.h"

namespace zorvo {

namespace {

void Repaint(HWND window) { InvalidateRect(window, nullptr, FALSE); }

// Without a prepared pattern, the newest search text of the history.
bool PreparePattern(Viewer& app) {
  SearchState& search = app.search;
  if (!search.pattern.empty()) return true;
  RecentSearchList& texts = app.settings.recentTexts;
  if (texts.count == -1) LoadRecentSearch(app.settings, texts);
  if (texts.count < 1) return false;
  search.pattern = texts.entries[0].substr(0, kMaxPattern - 1);
  return !search.pattern.empty();
}

void FindNext(HWND window) {
  Viewer& app = ViewerOf(window);
  SearchState& search = app.search;
  ViewState& view = app.doc.view;
  FileRecord& file = app.doc.file;
  // Any flag means a search was set up: a hex search given over DDE carries
  // 0x2 without 0x1.
  if (search.flags == 0 || !PreparePattern(app)) {
    FrameNotifier().Beep(kIconExclamation);
    return;
  }
  const LineTable& table = app.doc.screen;
  // The program-error report shows no part of the file.
  const bool report = HoldsProgramError(table);
  int64_t start;
  if (view.searchPosition >= file.Flen) {
    start = 0;
  } else if (view.searchPosition >= 0) {
    start = view.searchPosition;
  } else {
    start = std::max(report ? 0 : table[table.Acur].offset, view.selection.end);
  }
  int64_t match;
  {
    WaitCursor wait;
    WindowProgress progress(window, L"Searching");
    FileRecord searched{start, file.Flen, file.path};
    match = FindForward(searched, search.pattern, search.flags & kSearchCaseSensitive,
                        FrameNotifier(), WorkOpener(), SearchWork{kSearchBuffer, &progress});
    file.Flen = searched.Flen;
  }
  // Stopped with Esc: the view stays as it was, and nothing more is said.
  if (match == kSearchStopped) return;
  if (match < 0) {
    // The next Find Next starts again at the top.
    view.selection.end = -1;
    Repaint(window);
    FrameNotifier().Beep(kIconExclamation);
    view.searchPosition = 0;
    return;
  }
  const int64_t length = static_cast<int64_t>(search.pattern.size());
  view.selection = Selection{match, match + length, match, match + length};
  const int32_t last =
      std::min(table.Acur + LinesPerPage(view, TitleCount(app.doc.titles)), table.Alast);
  if (!report && match >= table[table.Acur].offset && match < table[last].offset) {
    Repaint(window);
  } else {
    SendMessageW(window, UM_GOTO_OFFSET, OffsetHigh(match), OffsetLow(match));
  }
  view.searchPosition = -1;
}

void MarkAll(HWND window) {
  Viewer& app = ViewerOf(window);
  SearchState& search = app.search;
  ViewState& view = app.doc.view;
  FileRecord& file = app.doc.file;
  if (search.flags == 0 || search.pattern.empty()) {
    FrameNotifier().Beep(kIconExclamation);
    return;
  }
  TagList& tags = app.doc.tags;
  int64_t first = -1;
  bool full = false;
  bool stopped = false;
  {
    WaitCursor wait;
    WindowProgress progress(window, L"Marking");
    FileRecord searched{0, file.Flen, file.path};
    stopped = FindAll(
                  searched, search.pattern, search.flags & kSearchCaseSensitive, FrameNotifier(),
                  [&](int64_t match) {
                    if (first < 0) first = match;
                    if (tags.count >= tags.capacity) {
                      full = true;
                      return false;
                    }
                    AddTag(tags, match, kSearchMark);
                    return true;
                  },
                  WorkOpener(), SearchWork{kSearchBuffer, &progress}) == kSearchStopped;
    file.Flen = searched.Flen;
  }
  // Stopped with Esc: the marks made so far stay, the view stays where it
  // was, and nothing more is said.
  if (stopped) {
    ApplyTagsToLines(app.doc.screen, tags);
    view.searchPosition = -1;
    Repaint(window);
    return;
  }
  if (full) {
    FrameNotifier().Message(kTooManyBookmarks, kBookmarkCaption, kIconExclamation, 0);
    view.returnPosition = -1;
  }
  if (first < 0) {
    PostMessageW(window, WM_VSCROLL, SB_BOTTOM, 0);
    FrameNotifier().Beep(kIconExclamation);
  } else {
    ApplyTagsToLines(app.doc.screen, tags);
    SendMessageW(window, UM_GOTO_OFFSET, OffsetHigh(first), OffsetLow(first));
  }
  view.searchPosition = -1;
  Repaint(window);
}

}  // namespace

bool SearchCommand(HWND window, int id) {
  Viewer& app = ViewerOf(window);
  if (id != IDM_FINDNEXT && id != IDM_MARKALL) return false;
  if (app.doc.file.path.empty()) return true;
  if (id == IDM_FINDNEXT) {
    FindNext(window);
  } else {
    MarkAll(window);
  }
  return true;
}

}  // namespace zorvo
