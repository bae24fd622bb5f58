#include "configtool/centring.h"

namespace zorvo::vantric {

ScreenPoint CentredPosition(const ScreenRect& window, const ScreenRect& over,
                            const ScreenRect& limit) {
  ScreenPoint at{(over.left + over.right) / 2 - window.width() / 2,
                 (over.top + over.bottom) / 2 - window.height() / 2};
  if (at.x + window.width() > limit.right) at.x = limit.right - window.width();
  if (at.y + window.height() > limit.bottom) at.y = limit.bottom - window.height();
  if (at.x < limit.left) at.x = limit.left;
  if (at.y < limit.top) at.y = limit.top;
  return at;
}

}  // namespace zorvo::vantric
