// The decisions behind scrolling, keys and the mouse, kept apart from the
// window so they can be checked without one: which row the pointer is on,
// how a drag grows the selection, which rows change colour, when the drag
// scrolls by itself, and what each key and scroll-bar code asks for.
#pragma once

#include <cstdint>
#include <vector>

#include "viewer/file/line_table.h"
#include "viewer/frame/view_state.h"
#include "viewer/settings/format_options.h"

namespace zorvo {

// Virtual-key codes of the keys the viewer handles (the system's values).
enum Key : int {
  kKeyEscape = 0x1B,
  kKeyPageUp = 0x21,
  kKeyPageDown = 0x22,
  kKeyEnd = 0x23,
  kKeyHome = 0x24,
  kKeyLeft = 0x25,
  kKeyUp = 0x26,
  kKeyRight = 0x27,
  kKeyDown = 0x28,
};

// Scroll-bar request codes (the system's values; the two bars share them).
enum ScrollCode : int {
  kScrollLineBack = 0,     // line up / line left
  kScrollLineForward = 1,  // line down / line right
  kScrollPageBack = 2,
  kScrollPageForward = 3,
  kScrollThumbPosition = 4,
  kScrollThumbTrack = 5,
  kScrollFirst = 6,  // top / left edge
  kScrollLast = 7,   // bottom / right edge
  kScrollEnd = 8,
};

// Thumb positions run from 0 to this.
inline constexpr int32_t kThumbRange = 32767;

// --- The pointer ---

// The text row under client y: rows count from the first one below the
// titles; 0 above it.
int32_t RowUnderPointer(int32_t y, int32_t lineHeight, int32_t titleCount);

// --- The selection ---

// Entry `i` is a line of the table, not the end entry or beyond.
bool IsTableLine(const LineTable& table, int32_t i);
// Selects line `i` and makes it the anchor. False, changing nothing, when
// `i` is not a line of the table.
bool SelectStart(Selection& selection, const LineTable& table, int32_t i);
// Grows the selection from the anchor to line `i`, which is held inside the
// visible lines of the table. Dragging above the anchor selects from the
// pointer's line to the anchor line's end. False when there is no anchor or
// no line.
bool SelectExtend(Selection& selection, const LineTable& table, int32_t i);
// The whole file as Select All leaves it, its last byte included.
Selection SelectAllRange(int64_t flen);
// The line from `offset` to `next` shows as selected.
bool RowSelected(const Selection& selection, int64_t offset, int64_t next);
// The text rows, 0 being the first below the titles, whose selected state
// differs between two selections: the rows to invert. `rows` rows show
// entries from `top` on; the rows past the end entry show nothing.
std::vector<int32_t> RowsToInvert(const Selection& before, const Selection& after,
                                  const LineTable& table, int32_t top, int32_t rows);

// --- Auto-scroll while dragging ---

struct AutoScroll {
  int timer = 0;  // 1 above, 2 below, 0 stop
  int32_t interval = 0;
  int32_t lines = 0;
};

// The zone that client y falls in while a drag holds the capture. `titleBottom`
// is the title rows' height.
AutoScroll AutoScrollZone(int32_t y, int32_t titleBottom, int32_t lineHeight,
                          int32_t clientHeight, const GlobalSettings& settings);

enum class DragTick {
  kStop,    // the timer stops itself
  kScroll,  // scroll and grow the selection
};

// What an auto-scroll timer does when it fires: upward stops with the top of
// the file in view, downward with the end of the table in view.
DragTick DragTimerTick(int timer, bool capturing, const LineTable& table, int32_t linesPerPage);

// --- Wheel and scroll bars ---

// Lines to scroll for a wheel turn of `delta` with `linesPerNotch` lines a
// notch: forward turns scroll up; truncated toward zero.
int32_t WheelLines(int32_t delta, int32_t linesPerNotch);

// A vertical request: lines to move or an offset to go to.
struct VerticalRequest {
  enum Kind { kNone, kLines, kOffset } kind = kNone;
  int64_t value = 0;
};
VerticalRequest VerticalScroll(int code, int32_t thumb, int32_t linesPerPage, int64_t flen);

// The column offset after moving `delta` columns: held in 0..layoutWidth-1.
int32_t StepHorizontal(int32_t offset, int32_t delta, int32_t layoutWidth);
// The column offset that brings the end of the longest line into view.
int32_t RightEdgeOffset(int32_t layoutWidth, int32_t clientWidth, int32_t charWidth);
// The column offset a horizontal scroll-bar code asks for; -1 for none.
int32_t HorizontalScroll(const ViewState& view, int code, int32_t thumb);

// --- Keys ---

enum class KeyAction {
  kNone,
  kEscape,
  kPageUp,
  kPageDown,
  kLineUp,
  kLineDown,
  kTopOfFile,
  kEndOfFile,
  kLineStart,  // column 0
  kLineEnd,    // the right edge
  kColumnLeft,
  kColumnRight,
  kPageLeft,
  kPageRight,
};

// With the CUA keyboard Home and End move along the lines and Ctrl+Home and
// Ctrl+End through the file; without it the other way round.
KeyAction KeyActionFor(int key, bool ctrl, bool cuaKeyboard);
// The column offset a horizontal key action leads to; -1 when the action is
// not horizontal.
int32_t HorizontalKey(const ViewState& view, KeyAction action);

}  // namespace zorvo
