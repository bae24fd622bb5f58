// What the main window shows where: font heights, the layout width, the
// parts of each row and the scroll bars. Pure arithmetic, so that the
// painting code only measures and draws.
#pragma once

#include <cstdint>
#include <string_view>

#include "viewer/file/formatter.h"
#include "viewer/file/line_table.h"
#include "viewer/frame/view_state.h"
#include "viewer/settings/colors.h"

namespace zorvo {

// Display option bits the screen reads from the current options word.
enum ScreenBits : uint32_t {
  kScreenWrap = kOptWrap,
  kScreenShowBackground = 0x8,  // the window background shows after each line's text
  kScreenFixedLength = kOptFixedLength,
};

// One text call draws at most this many characters of a row.
inline constexpr int32_t kMaxDrawnChars = 4680;
// The widest a row is planned, in pixels: far beyond any screen, and far
// from the limits of the arithmetic.
inline constexpr int32_t kMaxRowWidth = 1 << 28;
inline constexpr int32_t kScrollScale = 32767;  // the vertical bar's range

// --- Font heights ---

// A font height `zoomSteps` steps of a fifth of it bigger (or smaller),
// keeping its sign; at least 1 pixel. Heights under 5 pixels do not zoom.
int32_t ZoomedHeight(int32_t height, int32_t zoomSteps);
// The negative (character) pixel height of a point size.
int32_t HeightForPoints(int32_t points, int32_t dpi);
// The point size of a negative pixel height.
int32_t PointsForHeight(int32_t height, int32_t dpi);

struct FontHeight {
  int32_t height = 0;    // un-zoomed, for the font record
  int32_t fontSize = 0;  // points
};
// A negative record height is a pixel height picked by the font dialog or by
// fitting and decides the point size; otherwise the point size decides.
FontHeight ResolveFontHeight(int32_t recordHeight, int32_t fontSize, int32_t dpi);

// --- Layout ---

struct LayoutInput {
  uint32_t options = 0;  // the current options word
  int32_t clientWidth = 0;
  int32_t charWidth = 0;
  int32_t layoutWidth = -1;  // the one the table was built for
  int32_t maxLineLength = 4096;
  bool sizeReason = false;  // a WM_SIZE rather than a layout request
  bool forced = false;      // the request insists on a rebuild
};

struct LayoutDecision {
  bool rebuild = false;
  int32_t layoutWidth = -1;
  int32_t horizontalPage = 1;
  bool resetHorizontal = false;  // wrapped lines never scroll sideways
};

LayoutDecision DecideLayout(const LayoutInput& in);

// --- Rows ---

struct TextSpan {
  int32_t begin = 0;
  int32_t length = 0;
};

struct ColorPair {
  ColorIndex text;
  ColorIndex background;
};

// Message lines win over tags, tags over plain text.
ColorPair RowColors(uint32_t flags);
// The note written after a truncated or incomplete line; empty for none.
std::string_view MarkerText(uint32_t flags, bool showMessages);
// The x where the text area starts: past the frozen columns and a 3-pixel
// border, 0 without frozen columns.
int32_t SplitX(int32_t charWidth, int32_t freezeColumns);
// The characters shown right of the frozen columns; none for a page gap.
TextSpan VisibleText(const LineEntry& line, int32_t horizontalOffset, int32_t freezeColumns);
// The characters shown in the frozen columns.
TextSpan FrozenText(const LineEntry& line, int32_t freezeColumns);

// The first text row the update rectangle touches (never a title row) and
// the table entry it shows.
int32_t FirstTextRow(int32_t updateTop, int32_t lineHeight, int32_t titleCount);
int32_t FirstRowIndex(int32_t acur, int32_t updateTop, int32_t lineHeight, int32_t titleCount);

struct RowGeometry {
  int32_t clientWidth = 0;
  int32_t charWidth = 8;
  int32_t horizontalOffset = 0;
  int32_t freezeColumns = 0;
  int32_t padLineLength = 0;
  bool showBackground = false;
  bool showMessages = true;
};

struct RowPlan {
  ColorPair colors{kWindowText, kWindowBgnd};
  TextSpan frozen;   // in heading colours at x 0, filled to split - 1
  TextSpan visible;  // at x split + 1, clipped and filled to [split, fillRight)
  int32_t split = 0;
  int32_t fillRight = 0;
  int32_t textEnd = 0;
  bool backgroundAfter = false;  // fill [textEnd, clientWidth + 1) with the background
  std::string_view marker;       // at markerX in comment colours
  int32_t markerX = 0;
  bool pageBreak = false;        // a dotted line at the row's top edge
};

// The parts of one row; `extent` is the measured width of its visible text.
RowPlan PlanRow(const LineEntry& line, const RowGeometry& geometry, int32_t extent);

// Whether a line [offset, nextOffset) overlaps the selection.
bool RowSelected(int64_t offset, int64_t nextOffset, const Selection& selection);

// Where the empty area below the table's last line begins, or -1 when the
// lines reach the bottom of the window.
int32_t BlankAreaTop(int32_t titleCount, int32_t acur, int32_t alast, int32_t lineHeight,
                     int32_t clientHeight);

// --- Scroll bars ---

// A bar's range is 0..max; a max of 0 hides it.
struct ScrollBar {
  int32_t max = 0;
  int32_t pos = 0;
  bool operator==(const ScrollBar&) const = default;
};

struct VerticalInput {
  int vertScroll = 2;  // 0 none, 1 always, 2 when the file does not fit
  bool haveFile = false;
  int64_t fileLength = 0;
  int64_t topOffset = 0;
  int32_t acur = 0;
  int32_t alast = 0;
  int32_t clientHeight = 0;
  int32_t lineHeight = 16;
  int32_t titleCount = 0;
};
ScrollBar VerticalBar(const VerticalInput& in);

struct HorizontalInput {
  int horzScroll = 0;  // 0 none, 1 always, 2 while the layout is wider than the window
  int32_t layoutWidth = 0;
  int32_t charWidth = 8;
  int32_t clientWidth = 0;
  int32_t horizontalOffset = 0;
};
ScrollBar HorizontalBar(const HorizontalInput& in);

}  // namespace zorvo
