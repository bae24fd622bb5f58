// Scrolling, keys and the mouse. Moves of the view are posted as
// UM_SCROLL_LINES and UM_GOTO_OFFSET so that the positioning runs in one
// place; horizontal moves only change the column offset and repaint.
#include <cstdint>

#include "viewer/frame/selection.h"
#include "viewer/frame/view_state.h"
#include "viewer/frame/win32/frame.h"
#include "viewer/resources/resource.h"
#include "viewer/settings/format_options.h"

namespace zorvo {

static_assert(kKeyEscape == VK_ESCAPE && kKeyPageUp == VK_PRIOR && kKeyPageDown == VK_NEXT &&
              kKeyEnd == VK_END && kKeyHome == VK_HOME && kKeyLeft == VK_LEFT &&
              kKeyUp == VK_UP && kKeyRight == VK_RIGHT && kKeyDown == VK_DOWN);
static_assert(kScrollLineBack == SB_LINEUP && kScrollLineForward == SB_LINEDOWN &&
              kScrollPageBack == SB_PAGEUP && kScrollPageForward == SB_PAGEDOWN &&
              kScrollThumbPosition == SB_THUMBPOSITION && kScrollThumbTrack == SB_THUMBTRACK &&
              kScrollFirst == SB_TOP && kScrollLast == SB_BOTTOM && kScrollEnd == SB_ENDSCROLL);
static_assert(SB_LINELEFT == SB_LINEUP && SB_PAGERIGHT == SB_PAGEDOWN && SB_LEFT == SB_TOP &&
              SB_RIGHT == SB_BOTTOM);
static_assert(kTimerAbove == 1 && kTimerBelow == 2);

namespace {

// The pointer may be above or left of the window while captured.
int32_t PointerY(LPARAM lParam) {
  return static_cast<int16_t>(HIWORD(static_cast<DWORD>(lParam)));
}

int32_t TitleBottom(Viewer& app) { return TitleCount(app.doc.titles) * app.doc.view.lineHeight; }

int32_t EntryUnderPointer(Viewer& app, LPARAM lParam) {
  return app.doc.screen.Acur +
         RowUnderPointer(PointerY(lParam), app.doc.view.lineHeight, TitleCount(app.doc.titles));
}

void PostScrollLines(HWND window, int64_t lines) {
  PostMessageW(window, UM_SCROLL_LINES, static_cast<WPARAM>(static_cast<intptr_t>(lines)),
               static_cast<LPARAM>(-1));
}

void PostGotoOffset(HWND window, int64_t offset) {
  PostMessageW(window, UM_GOTO_OFFSET, OffsetHigh(offset), OffsetLow(offset));
}

void Post(HWND window, const VerticalRequest& request) {
  if (request.kind == VerticalRequest::kLines) PostScrollLines(window, request.value);
  if (request.kind == VerticalRequest::kOffset) PostGotoOffset(window, request.value);
}

void InvalidateAll(HWND window) { InvalidateRect(window, nullptr, FALSE); }

void SetHorizontalOffset(HWND window, int32_t offset) {
  Viewer& app = ViewerOf(window);
  app.doc.view.horizontalOffset = offset;
  InvalidateAll(window);
}

void StopAutoScroll(HWND window) {
  Viewer& app = ViewerOf(window);
  ViewState& view = app.doc.view;
  if (view.autoScrollTimer != 0) KillTimer(window, static_cast<UINT_PTR>(view.autoScrollTimer));
  view.autoScrollTimer = 0;
}

void Warn() { FrameNotifier().Beep(kIconExclamation); }

// The drag reached the edge zone `zone` describes: the timer restarts with
// every move so the interval follows the pointer.
void FollowPointer(HWND window, const AutoScroll& zone) {
  Viewer& app = ViewerOf(window);
  StopAutoScroll(window);
  if (zone.timer == 0) return;
  ViewState& view = app.doc.view;
  if (SetTimer(window, static_cast<UINT_PTR>(zone.timer), static_cast<UINT>(zone.interval),
               nullptr) == 0) {
    return;
  }
  view.autoScrollTimer = zone.timer;
  view.autoScrollLines = zone.lines;
}

int32_t WheelNotchLines(Viewer& app) {
  UINT lines = 0;
  if (!SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0)) return 3;
  // "One screen at a time" is a page of lines here.
  if (lines == WHEEL_PAGESCROLL) return LinesPerPage(app.doc.view, TitleCount(app.doc.titles));
  return static_cast<int32_t>(lines);
}

bool OnLeftButtonDown(HWND window, WPARAM wParam, LPARAM lParam) {
  Viewer& app = ViewerOf(window);
  ViewState& view = app.doc.view;
  if (view.capturing || PointerY(lParam) < TitleBottom(app)) return false;
  if ((wParam & MK_SHIFT) && view.selection.Any()) {
    SendMessageW(window, UM_SELECT_EXTEND, wParam, lParam);
  } else if (IsTableLine(app.doc.screen, EntryUnderPointer(app, lParam))) {
    SendMessageW(window, UM_SELECT_START, wParam, lParam);
  } else {
    Warn();
    return true;
  }
  view.lastMouseW = wParam;
  view.lastMouseL = static_cast<intptr_t>(lParam);
  SetCapture(window);
  view.capturing = true;
  return true;
}

bool OnMouseMove(HWND window, WPARAM wParam, LPARAM lParam) {
  Viewer& app = ViewerOf(window);
  ViewState& view = app.doc.view;
  if (!view.capturing) return false;
  view.lastMouseW = wParam;
  view.lastMouseL = static_cast<intptr_t>(lParam);
  SendMessageW(window, UM_SELECT_EXTEND, wParam, lParam);
  FollowPointer(window, AutoScrollZone(PointerY(lParam), TitleBottom(app), view.lineHeight,
                                       view.clientHeight, app.settings.globals));
  return true;
}

}  // namespace

bool OnVScroll(HWND window, WPARAM wParam) {
  Viewer& app = ViewerOf(window);
  const int code = LOWORD(wParam);
  const VerticalRequest request =
      VerticalScroll(code, HIWORD(wParam), LinesPerPage(app.doc.view, TitleCount(app.doc.titles)),
                     app.doc.file.Flen);
  if (request.kind == VerticalRequest::kNone) return false;
  Post(window, request);
  return true;
}

void OnHScroll(HWND window, WPARAM wParam) {
  Viewer& app = ViewerOf(window);
  const int code = LOWORD(wParam);
  // The message holds 16 bits of the thumb's position; columns go further.
  int32_t thumb = HIWORD(wParam);
  if (code == SB_THUMBPOSITION) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_TRACKPOS;
    if (GetScrollInfo(window, SB_HORZ, &info)) thumb = info.nTrackPos;
  }
  const int32_t offset = HorizontalScroll(app.doc.view, code, thumb);
  if (offset >= 0) SetHorizontalOffset(window, offset);
}

bool OnKeyDown(HWND window, WPARAM key) {
  Viewer& app = ViewerOf(window);
  const bool ctrl = GetKeyState(VK_CONTROL) < 0;
  const KeyAction action =
      KeyActionFor(static_cast<int>(key), ctrl, app.settings.options.CuaKeyboard != 0);
  const int32_t linesPerPage = LinesPerPage(app.doc.view, TitleCount(app.doc.titles));
  switch (action) {
    case KeyAction::kNone:
      return false;
    case KeyAction::kEscape:
      if (app.settings.options.EscExit != 0) {
        PostMessageW(window, WM_CLOSE, 0, 0);
      } else {
        ShowWindow(window, SW_MINIMIZE);
      }
      return true;
    case KeyAction::kPageUp:
      PostScrollLines(window, -static_cast<int64_t>(linesPerPage));
      return true;
    case KeyAction::kPageDown:
      PostScrollLines(window, linesPerPage);
      return true;
    case KeyAction::kLineUp:
      PostScrollLines(window, -1);
      return true;
    case KeyAction::kLineDown:
      PostScrollLines(window, 1);
      return true;
    case KeyAction::kTopOfFile:
      PostGotoOffset(window, 0);
      return true;
    case KeyAction::kEndOfFile:
      PostGotoOffset(window, app.doc.file.Flen);
      return true;
    default:
      SetHorizontalOffset(window, HorizontalKey(app.doc.view, action));
      return true;
  }
}

bool OnMouse(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Viewer& app = ViewerOf(window);
  ViewState& view = app.doc.view;
  switch (message) {
    case WM_LBUTTONDOWN:
      return OnLeftButtonDown(window, wParam, lParam);
    case WM_MOUSEMOVE:
      return OnMouseMove(window, wParam, lParam);
    case WM_LBUTTONUP:
      StopAutoScroll(window);
      if (!view.capturing) return false;
      view.capturing = false;
      ReleaseCapture();
      return true;
    case WM_CAPTURECHANGED:
      // Another window took the mouse during a drag: the drag ends there,
      // or the timer would scroll on and the next click would be ignored.
      if (reinterpret_cast<HWND>(lParam) == window) return false;
      StopAutoScroll(window);
      view.capturing = false;
      return false;
    case WM_LBUTTONDBLCLK:
      if (PointerY(lParam) < TitleBottom(app)) return false;
      if (IsTableLine(app.doc.screen, EntryUnderPointer(app, lParam))) {
        SendMessageW(window, WM_COMMAND, IDM_TOGGLE, 0);
      } else {
        Warn();
      }
      return true;
    case WM_RBUTTONDOWN:
      if (view.selection.Any()) {
        SendMessageW(window, UM_SELECT_CLEAR, 0, 0);
        InvalidateAll(window);
      }
      return true;
    case WM_MOUSEWHEEL: {
      const int32_t delta = static_cast<int16_t>(HIWORD(static_cast<DWORD>(wParam)));
      const int32_t lines = WheelLines(delta, WheelNotchLines(app));
      // A fine-grained wheel sends parts of a notch; nothing to move yet.
      if (lines != 0) PostScrollLines(window, lines);
      return false;
    }
    default:
      return false;
  }
}

void OnSelect(HWND window, UINT message, WPARAM, LPARAM lParam) {
  Viewer& app = ViewerOf(window);
  ViewState& view = app.doc.view;
  const Selection before = view.selection;
  switch (message) {
    case UM_SELECT_START:
      if (PointerY(lParam) < TitleBottom(app)) return;
      if (!SelectStart(view.selection, app.doc.screen, EntryUnderPointer(app, lParam))) {
        Warn();
        return;
      }
      break;
    case UM_SELECT_EXTEND:
      if (!SelectExtend(view.selection, app.doc.screen, EntryUnderPointer(app, lParam))) return;
      break;
    case UM_SELECT_CLEAR:
      view.selection.Clear();
      break;
    default:
      return;
  }
  InvertSelectionChange(window, before, view.selection);
}

void OnDragTimer(HWND window, UINT_PTR timer) {
  Viewer& app = ViewerOf(window);
  ViewState& view = app.doc.view;
  if (timer != kTimerAbove && timer != kTimerBelow) return;
  const int32_t linesPerPage = LinesPerPage(view, TitleCount(app.doc.titles));
  if (DragTimerTick(static_cast<int>(timer), view.capturing, app.doc.screen, linesPerPage) ==
      DragTick::kStop) {
    KillTimer(window, timer);
    if (view.autoScrollTimer == static_cast<int>(timer)) view.autoScrollTimer = 0;
    return;
  }
  SendMessageW(window, UM_SCROLL_LINES,
               static_cast<WPARAM>(static_cast<intptr_t>(view.autoScrollLines)),
               static_cast<LPARAM>(-1));
  SendMessageW(window, UM_SELECT_EXTEND, view.lastMouseW, static_cast<LPARAM>(view.lastMouseL));
}

void SelectAll(HWND window) {
  Viewer& app = ViewerOf(window);
  if (app.doc.file.path.empty()) return;
  app.doc.view.selection = SelectAllRange(app.doc.file.Flen);
  InvalidateAll(window);
}

void InvertSelectionChange(HWND window, const Selection& before, const Selection& after) {
  Viewer& app = ViewerOf(window);
  const ViewState& view = app.doc.view;
  if (view.lineHeight < 1) return;
  const int32_t titleBottom = TitleBottom(app);
  // Rows cut off at the bottom are painted too, so they change colour too.
  const int32_t rows =
      view.clientHeight > titleBottom
          ? (view.clientHeight - titleBottom + view.lineHeight - 1) / view.lineHeight
          : 0;
  const LineTable& table = app.doc.screen;
  const std::vector<int32_t> changed = RowsToInvert(before, after, table, table.Acur, rows);
  if (changed.empty()) return;
  HDC dc = GetDC(window);
  if (dc == nullptr) return;
  for (int32_t row : changed) {
    const int32_t top = titleBottom + row * view.lineHeight;
    const RECT rect{0, top, view.clientWidth + 1, top + view.lineHeight};
    InvertRect(dc, &rect);
  }
  ReleaseDC(window, dc);
}

}  // namespace zorvo
