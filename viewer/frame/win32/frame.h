// The main window and the handlers its window procedure calls, one file per
// concern: main_window.cpp (messages, commands, opening files), paint.cpp
// (font, layout, painting, scroll bars), input.cpp (scrolling, keys, mouse),
// marks.cpp (the Mark menu), menus.cpp (trimming and menu state).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/notifier.h"
#include "viewer/file/work_progress.h"
#include "viewer/frame/positioning.h"
#include "viewer/frame/view_state.h"
#include "viewer/frame/viewer.h"

namespace zorvo {

// Private messages of the main window.
enum : UINT {
  UM_RELOAD = WM_USER + 1,
  UM_LAYOUT = WM_USER + 3,
  UM_FONT = WM_USER + 4,
  UM_OPEN_IF_EXISTS = WM_USER + 5,
  UM_OPEN_PATH = WM_USER + 6,
  // Both carry the file's name in lParam. A sent name belongs to its
  // sender; a name posted by PostOpenFile is held until it is handled.
  UM_OPEN_FILE = WM_USER + 7,
  UM_OPEN_FILE2 = WM_USER + 8,
  UM_STARTUP_OPEN = WM_USER + 9,
  UM_SELECT_START = WM_USER + 10,
  UM_SELECT_EXTEND = WM_USER + 11,
  UM_SELECT_CLEAR = WM_USER + 12,
  PG_START = WM_USER + 13,
  PG_CONT = WM_USER + 14,
  PG_CANCEL = WM_USER + 15,
  PG_END = WM_USER + 16,
  UM_GOTO_OFFSET_RELOAD = WM_USER + 17,
  UM_SCROLL_LINES = WM_USER + 21,
  UM_GOTO_OFFSET = WM_USER + 22,
};

// UM_LAYOUT's lParam that makes the layout rebuild the lines.
inline constexpr LPARAM kLayoutRebuild = -2;

inline constexpr const auto& kWindowClass = kViewerWindowClass;
inline constexpr UINT_PTR kTimerAbove = 1;
inline constexpr UINT_PTR kTimerBelow = 2;
inline constexpr UINT_PTR kTimerPageIndex = 3;
// Brings the next run of the page index once the input and painting that
// held it up are handled (a timer comes when nothing else waits).
inline constexpr UINT_PTR kTimerPageIndexResume = 4;
// Looks at the length of a file whose end is followed (View > Follow End).
inline constexpr UINT_PTR kTimerFollow = 5;

// An offset travels split: the high 32 bits in wParam, the low in lParam.
inline WPARAM OffsetHigh(int64_t offset) {
  return static_cast<WPARAM>(static_cast<uint64_t>(offset) >> 32);
}
inline LPARAM OffsetLow(int64_t offset) {
  return static_cast<LPARAM>(static_cast<uint32_t>(static_cast<uint64_t>(offset)));
}
inline int64_t OffsetOf(WPARAM high, LPARAM low) {
  return static_cast<int64_t>((static_cast<uint64_t>(high) << 32) |
                              static_cast<uint32_t>(static_cast<uintptr_t>(low)));
}

// main_window.cpp
// Messages about the file go through this notifier: message boxes in the
// program, a recorder in the window tests.
Notifier& FrameNotifier();
void SetFrameNotifier(Notifier* notifier);  // null: the platform's
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// What the main window shows and works on: the viewer its start-up made
// (CreateMainWindow), or the one a test gave it; from a dialog, the one of
// the window that owns it.
Viewer& ViewerOf(HWND window);
void AttachViewer(HWND window, Viewer& app);
HINSTANCE Instance();
void SetInstance(HINSTANCE instance);
// Posts UM_OPEN_FILE with `name` (cut to MAX_PATH - 1 characters), held
// by the window until the message is handled or the window is destroyed.
void PostOpenFile(HWND window, const std::wstring& name);
// The options word with the run-time bits, and the layout width, that the
// line model gets.
FormatParams CurrentParams(Viewer& app);
// Runs the positioning protocol for one of the four positioning messages
// and repaints as it says.
PositionOutcome PositionView(HWND window, PositionKind kind, int64_t value);
// Shows the wait cursor until destroyed; with a window, also as the cursor
// of its class, so that moving the mouse over it keeps showing it.
class WaitCursor {
 public:
  explicit WaitCursor(HWND window = nullptr);
  ~WaitCursor();
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  HWND window_;
  HCURSOR previous_;
  ULONG_PTR previousClass_ = 0;
};

// Work over the whole file (Find Next, Mark All, Copy Tags) in the title:
// "Searching 45% (Esc to stop) - name - Tessary" once it has run
// ProgressDelay milliseconds; Esc stops it. Keys pressed meanwhile are
// handled after it, unless Esc stopped it. The title comes back at the end.
class WindowProgress : public PacedProgress {
 public:
  WindowProgress(HWND window, std::wstring doing);
  ~WindowProgress() override;
  WindowProgress(const WindowProgress&) = delete;
  WindowProgress& operator=(const WindowProgress&) = delete;

 protected:
  void Show(int32_t percent) override;
  bool StopAsked() override;

 private:
  HWND window_;
  std::wstring doing_;
  std::vector<MSG> held_;  // keys taken from the queue while looking for Esc
};
// How Find Next, Mark All and Copy Tags open the file; null: the system's
// way. The window tests watch the work through it.
FileOpener& WorkOpener();
void SetWorkOpener(FileOpener* opener);

// follow_window.cpp: View > Follow End.
void ToggleFollowEnd(HWND window);  // command 320
// Timer 5 runs while Follow End is on.
void SyncFollowTimer(HWND window);
void OnFollowTimer(HWND window);  // timer 5

// paint.cpp
void OnFont(HWND window);                                   // UM_FONT
// UM_LAYOUT (`forced` when its lParam is kLayoutRebuild) and WM_SIZE.
void OnLayout(HWND window, bool forced, bool sizeReason);
void OnPaint(HWND window);                                  // WM_PAINT
void FitFontSize(HWND window);                              // command 168
void DestroyScreenFont();
// The text area: the client area below the title rows.
RECT TextArea(HWND window);

// input.cpp
// false: a code the viewer leaves to the default procedure.
bool OnVScroll(HWND window, WPARAM wParam);
void OnHScroll(HWND window, WPARAM wParam);
bool OnKeyDown(HWND window, WPARAM key);  // false: not one of the viewer's keys
// Mouse messages; false: hand the message to the default procedure.
bool OnMouse(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void OnSelect(HWND window, UINT message, WPARAM wParam, LPARAM lParam);  // UM_SELECT_*
void OnDragTimer(HWND window, UINT_PTR timer);
void SelectAll(HWND window);
// Inverts the rows whose selected state differs between two selections.
void InvertSelectionChange(HWND window, const Selection& before, const Selection& after);

// marks.cpp: commands 131-137; false for other ids.
bool MarkCommand(HWND window, int id);

// search_commands.cpp: Find Next (153) and Mark All (154); false for other ids.
bool SearchCommand(HWND window, int id);

// copy_commands.cpp: Copy (171) and Copy Tags (174); false for other ids.
bool CopyCommand(HWND window, int id);

// setup_dialogs.cpp: Save Options (164), Save Setup (165) and Load Setup
// (166); false for other ids.
bool SetupCommand(HWND window, int id);

// about_dialog.cpp: Help > About; 1 for OK, 0 for Cancel.
int AboutDialog(HWND owner);

// page_index_window.cpp
class PageIndex;
class FileOpener;
// The page index of the open file (the window tests look at it).
PageIndex& WindowPageIndex(HWND window);
// How the index opens the viewed file; null: the system's way.
void SetPageIndexOpener(FileOpener* opener);
// PG_START, PG_CONT, PG_CANCEL, PG_END; timer 3 runs while it is active,
// and runs follow one another at once while the window is idle.
void OnPageIndexMessage(HWND window, UINT message);
void OnPageIndexResume(HWND window);  // timer 4
// After a read refreshed the file's length: a complete index goes on over
// what the file has grown by; one that bytes were cut from starts again,
// as does one of a file that another has replaced (looked at when
// `fileRead`: the view has just read the file).
void KeepPageIndexCurrent(HWND window, bool fileRead);
void GoToCommand(HWND window);  // command 155

// menus.cpp
void TrimMenus(HWND window);
void UpdateMenuState(HWND window, HMENU popup, int position);
void AppendRecentSeparator(HWND window);

}  // namespace zorvo
