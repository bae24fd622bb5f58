#include "viewer/print/page_geometry.h"

#include <algorithm>
#include <limits>

namespace zorvo {

int32_t MulDiv(int32_t a, int32_t b, int32_t c) {
  if (c == 0) return -1;
  const int64_t product = int64_t{a} * b;
  const int64_t half = (c < 0 ? -int64_t{c} : int64_t{c}) / 2;
  // Rounds the magnitude, so that halves go away from zero.
  const bool negative = (product < 0) != (c < 0);
  const int64_t magnitude = (std::abs(product) + half) / std::abs(int64_t{c});
  const int64_t result = negative ? -magnitude : magnitude;
  if (result > std::numeric_limits<int32_t>::max() ||
      result < std::numeric_limits<int32_t>::min()) {
    return -1;
  }
  return static_cast<int32_t>(result);
}

Margins MarginsOf(const std::array<int32_t, 4>& m) {
  return {Hundredths(m[0]), Hundredths(m[1]), Hundredths(m[2]), Hundredths(m[3])};
}

bool PageGeometry::Usable() const {
  const DeviceUnits least = LineCount(3) * lineHeight;
  return height >= least && width >= least;
}

PageGeometry ComputeGeometry(const DeviceCaps& caps, const Margins& margins,
                             const FontMetrics& metrics, int32_t fixedLineLength) {
  PageGeometry g;
  // A font that reports nothing would divide by zero below.
  g.lineHeight = DeviceUnits(std::max(metrics.lineHeight.value, 1));
  g.charWidth = DeviceUnits(std::max(metrics.charWidth.value, 1));
  // A device that reports a size smaller than two lines or two characters
  // is taken for a page of 50 lines of 60 characters.
  DeviceUnits height = caps.height;
  if (height < LineCount(2) * g.lineHeight) height = LineCount(50) * g.lineHeight;
  DeviceUnits width = caps.width;
  if (width < DeviceUnits(2 * g.charWidth.value)) width = DeviceUnits(60 * g.charWidth.value);
  g.height = height - DeviceUnits(MulDiv(caps.dpiY, margins.top.value + margins.bottom.value, 100));
  g.width = width - DeviceUnits(MulDiv(caps.dpiX, margins.left.value + margins.right.value, 100));
  g.x0 = ToDevice(margins.left, caps.dpiX);
  g.y0 = ToDevice(margins.top, caps.dpiY);
  g.charsPerLine = fixedLineLength > 0 ? fixedLineLength : g.width.value / g.charWidth.value;
  return g;
}

}  // namespace zorvo
