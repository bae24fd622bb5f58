// View > Follow End on the window: timer 5 looks at the file's length (and
// which file the name holds) while the end of the file is on the screen,
// and the view is made again and moved when the file has changed. Looking
// opens the file and closes it again without reading a byte; the view
// reads only what a change asks for, as any move does.
#include <windows.h>

#include <algorithm>
#include <memory>

#include "viewer/frame/error_report.h"
#include "viewer/frame/follow_end.h"
#include "viewer/frame/view_state.h"
#include "viewer/frame/win32/frame.h"
#include "viewer/frame/win32/frame_parts.h"
#include "viewer/settings/format_options.h"

namespace zorvo {

void SyncFollowTimer(HWND window) {
  Viewer& app = ViewerOf(window);
  if (app.settings.options.FollowEnd) {
    SetTimer(window, kTimerFollow,
             static_cast<UINT>(std::max(app.settings.globals.FollowEndDelay, 10)), nullptr);
  } else {
    KillTimer(window, kTimerFollow);
  }
}

void ToggleFollowEnd(HWND window) {
  Viewer& app = ViewerOf(window);
  app.settings.options.FollowEnd = !app.settings.options.FollowEnd;
  SyncFollowTimer(window);
  // Turned on at the end of the file: it catches up at once.
  if (app.settings.options.FollowEnd) OnFollowTimer(window);
}

void OnFollowTimer(HWND window) {
  Viewer& app = ViewerOf(window);
  if (!app.settings.options.FollowEnd) {
    KillTimer(window, kTimerFollow);
    return;
  }
  const FileRecord& file = app.doc.file;
  // A print job answers the window's messages between its pages; the view
  // waits for its end.
  if (file.path.empty() || FrameBusy()) return;
  const int32_t rows = LinesPerPage(app.doc.view, TitleCount(app.doc.titles));
  FollowLook& last = app.doc.followed;
  const int64_t leftAt = last.path == file.path ? last.leftAt : -1;
  if (HoldsProgramError(app.doc.screen) || !FollowDue(app.doc.screen, rows, file.Flen, leftAt))
    return;

  // A file that cannot be opened now (being renamed away and made again,
  // say) is looked at again next time, without a message each time.
  uint32_t error = 0;
  std::unique_ptr<FileHandle> handle = PlatformFileOpener().Open(file.path, error);
  int64_t length = 0;
  if (!handle || !handle->Size(length)) return;
  FileIdentity identity;
  const bool identified = handle->Identity(identity);
  handle.reset();
  const bool sameFile =
      !(identified && last.known && last.path == file.path && !(last.identity == identity));
  const LineTable& table = app.doc.screen;
  last = FollowLook{file.path, identity, identified, table[table.Acur].offset};

  switch (FollowChangeOf(table[table.Alast].offset, length, sameFile)) {
    case FollowChange::kNone:
      // Lines read since the last look may lie below the screen.
      if (EndInView(table, rows)) return;
      break;
    case FollowChange::kGrown: {
      const int64_t top = table[table.Acur].offset;
      SendMessageW(window, UM_GOTO_OFFSET_RELOAD, OffsetHigh(top), OffsetLow(top));
      break;
    }
    case FollowChange::kRestart:
      SendMessageW(window, UM_RELOAD, 0, 0);
      break;
  }
  if (HoldsProgramError(app.doc.screen)) return;
  const EndMove move = MoveToShowEnd(app.doc.screen, app.doc.file.Flen, rows);
  if (move.toEnd) {
    const int64_t end = app.doc.file.Flen;
    SendMessageW(window, UM_GOTO_OFFSET, OffsetHigh(end), OffsetLow(end));
  }
  if (move.lines != 0) {
    SendMessageW(window, UM_SCROLL_LINES, static_cast<WPARAM>(static_cast<intptr_t>(move.lines)),
                 static_cast<LPARAM>(-1));
  }
  last.leftAt = app.doc.screen[app.doc.screen.Acur].offset;
}

}  // namespace zorvo
