#include "viewer/frame/selection.h"

#include <algorithm>

namespace zorvo {

int32_t RowUnderPointer(int32_t y, int32_t lineHeight, int32_t titleCount) {
  if (lineHeight < 1) return 0;
  const int32_t row = y / lineHeight - titleCount;
  return row < 0 ? 0 : row;
}

bool IsTableLine(const LineTable& table, int32_t i) {
  return i >= table.Afirst && i < table.Alast;
}

bool SelectStart(Selection& selection, const LineTable& table, int32_t i) {
  if (!IsTableLine(table, i)) return false;
  selection.anchorStart = selection.start = table[i].offset;
  selection.anchorEnd = selection.end = table[i + 1].offset;
  return true;
}

bool SelectExtend(Selection& selection, const LineTable& table, int32_t i) {
  // A cleared selection mid-drag has nothing left to grow from.
  if (selection.anchorStart < 0 || selection.anchorEnd < 0) return false;
  if (table.Acur < table.Afirst || table.Acur >= table.Alast) return false;
  i = std::max(std::min(i, table.Alast - 1), table.Acur);
  if (selection.anchorStart < table[i].offset) {
    selection.start = selection.anchorStart;
    selection.end = table[i + 1].offset;
  } else {
    selection.start = table[i].offset;
    selection.end = selection.anchorEnd;
  }
  return true;
}

Selection SelectAllRange(int64_t flen) {
  Selection all;
  all.start = 0;
  all.end = flen;
  all.anchorStart = 0;
  all.anchorEnd = std::min<int64_t>(all.end, 1);
  return all;
}

bool RowSelected(const Selection& selection, int64_t offset, int64_t next) {
  return selection.start < next && offset < selection.end;
}

std::vector<int32_t> RowsToInvert(const Selection& before, const Selection& after,
                                  const LineTable& table, int32_t top, int32_t rows) {
  std::vector<int32_t> changed;
  if (top < table.Afirst) return changed;
  for (int32_t row = 0; row < rows && top + row < table.Alast; ++row) {
    const int64_t offset = table[top + row].offset;
    const int64_t next = table[top + row + 1].offset;
    if (RowSelected(before, offset, next) != RowSelected(after, offset, next)) {
      changed.push_back(row);
    }
  }
  return changed;
}

AutoScroll AutoScrollZone(int32_t y, int32_t titleBottom, int32_t lineHeight,
                          int32_t clientHeight, const GlobalSettings& settings) {
  // A negative delay would reach the timer as an enormous interval.
  const int32_t fast = std::max(settings.FastMouseDelay, 0);
  const int32_t slow = std::max(settings.SlowMouseDelay, 0);
  if (titleBottom + lineHeight < y && y < clientHeight - lineHeight) return {};
  if (y <= titleBottom) return {1, fast, -settings.FastMouseLines};
  if (y <= titleBottom + lineHeight) return {1, slow, -settings.SlowMouseLines};
  if (y < clientHeight - 1) return {2, slow, settings.SlowMouseLines};
  return {2, fast, settings.FastMouseLines};
}

DragTick DragTimerTick(int timer, bool capturing, const LineTable& table, int32_t linesPerPage) {
  if (!capturing) return DragTick::kStop;
  if (timer == 1) {
    const bool topInView = table.Acur == table.Afirst && table[table.Afirst].offset == 0;
    return topInView ? DragTick::kStop : DragTick::kScroll;
  }
  if (timer == 2) {
    return table.Alast < table.Acur + linesPerPage ? DragTick::kStop : DragTick::kScroll;
  }
  return DragTick::kStop;
}

int32_t WheelLines(int32_t delta, int32_t linesPerNotch) {
  // 64 bits: a page-sized notch times a fast spin must not overflow.
  const int64_t lines = -(static_cast<int64_t>(delta) * linesPerNotch) / 120;
  return static_cast<int32_t>(std::clamp<int64_t>(lines, INT32_MIN, INT32_MAX));
}

VerticalRequest VerticalScroll(int code, int32_t thumb, int32_t linesPerPage, int64_t flen) {
  switch (code) {
    case kScrollLineBack:
      return {VerticalRequest::kLines, -1};
    case kScrollLineForward:
      return {VerticalRequest::kLines, 1};
    case kScrollPageBack:
      return {VerticalRequest::kLines, -static_cast<int64_t>(linesPerPage)};
    case kScrollPageForward:
      return {VerticalRequest::kLines, linesPerPage};
    case kScrollThumbPosition:
      return {VerticalRequest::kOffset,
              static_cast<int64_t>(thumb / static_cast<double>(kThumbRange) *
                                   static_cast<double>(flen))};
    case kScrollFirst:
      return {VerticalRequest::kOffset, 0};
    case kScrollLast:
      return {VerticalRequest::kOffset, flen};
    default:
      return {};
  }
}

int32_t StepHorizontal(int32_t offset, int32_t delta, int32_t layoutWidth) {
  const int64_t moved = static_cast<int64_t>(offset) + delta;
  const int64_t last = std::max<int64_t>(static_cast<int64_t>(layoutWidth) - 1, 0);
  return static_cast<int32_t>(std::clamp<int64_t>(moved, 0, last));
}

int32_t RightEdgeOffset(int32_t layoutWidth, int32_t clientWidth, int32_t charWidth) {
  const int32_t columns = charWidth > 0 ? clientWidth / charWidth : 0;
  return std::max(layoutWidth - columns, 0);
}

int32_t HorizontalScroll(const ViewState& view, int code, int32_t thumb) {
  switch (code) {
    case kScrollLineBack:
      return StepHorizontal(view.horizontalOffset, -view.horizontalStep, view.layoutWidth);
    case kScrollLineForward:
      return StepHorizontal(view.horizontalOffset, view.horizontalStep, view.layoutWidth);
    case kScrollPageBack:
      return StepHorizontal(view.horizontalOffset, -view.horizontalPage, view.layoutWidth);
    case kScrollPageForward:
      return StepHorizontal(view.horizontalOffset, view.horizontalPage, view.layoutWidth);
    case kScrollThumbPosition:
      return thumb;
    case kScrollFirst:
      return 0;
    case kScrollLast:
      return RightEdgeOffset(view.layoutWidth, view.clientWidth, view.charWidth);
    default:
      return -1;
  }
}

KeyAction KeyActionFor(int key, bool ctrl, bool cuaKeyboard) {
  // Ctrl swaps Home and End between the lines and the file; the CUA
  // keyboard swaps them back.
  const bool alongLines = ctrl != cuaKeyboard;
  switch (key) {
    case kKeyEscape:
      return KeyAction::kEscape;
    case kKeyPageUp:
      return KeyAction::kPageUp;
    case kKeyPageDown:
      return KeyAction::kPageDown;
    case kKeyUp:
      return KeyAction::kLineUp;
    case kKeyDown:
      return KeyAction::kLineDown;
    case kKeyHome:
      return alongLines ? KeyAction::kLineStart : KeyAction::kTopOfFile;
    case kKeyEnd:
      return alongLines ? KeyAction::kLineEnd : KeyAction::kEndOfFile;
    case kKeyLeft:
      return ctrl ? KeyAction::kPageLeft : KeyAction::kColumnLeft;
    case kKeyRight:
      return ctrl ? KeyAction::kPageRight : KeyAction::kColumnRight;
    default:
      return KeyAction::kNone;
  }
}

int32_t HorizontalKey(const ViewState& view, KeyAction action) {
  switch (action) {
    case KeyAction::kLineStart:
      return 0;
    case KeyAction::kLineEnd:
      return RightEdgeOffset(view.layoutWidth, view.clientWidth, view.charWidth);
    case KeyAction::kColumnLeft:
      return StepHorizontal(view.horizontalOffset, -1, view.layoutWidth);
    case KeyAction::kColumnRight:
      return StepHorizontal(view.horizontalOffset, 1, view.layoutWidth);
    case KeyAction::kPageLeft:
      return StepHorizontal(view.horizontalOffset, -view.horizontalPage, view.layoutWidth);
    case KeyAction::kPageRight:
      return StepHorizontal(view.horizontalOffset, view.horizontalPage, view.layoutWidth);
    default:
      return -1;
  }
}

}  // namespace zorvo
