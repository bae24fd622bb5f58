// Where the configuration dialog goes on the screen: centred over its owner
// or over the work area, then kept inside the work area. Plain arithmetic on
// screen rectangles, so that it runs and is tested anywhere.
#pragma once

namespace zorvo::vantric {

struct ScreenRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool operator==(const ScreenRect&) const = default;
};

struct ScreenPoint {
  int x = 0;
  int y = 0;
  bool operator==(const ScreenPoint&) const = default;
};

// The top-left corner for a window as large as `window`, centred over
// `over`, then moved back inside `limit`: first so that it does not leave it
// on the right or at the bottom, then not on the left or at the top (so a
// window larger than `limit` shows its top-left part).
ScreenPoint CentredPosition(const ScreenRect& window, const ScreenRect& over,
                            const ScreenRect& limit);

}  // namespace zorvo::vantric
