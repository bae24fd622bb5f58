// Where text goes on a printed page: the printable area inside the margins
// and the size of a line, from the printer's capabilities and the print
// font's metrics.
#pragma once

#include <array>
#include <cstdint>

#include "viewer/print/print_units.h"

namespace zorvo {

struct DeviceCaps {
  DeviceUnits width;   // HORZRES
  DeviceUnits height;  // VERTRES
  int32_t dpiX = 0;    // LOGPIXELSX
  int32_t dpiY = 0;    // LOGPIXELSY
};

struct FontMetrics {
  DeviceUnits lineHeight;  // tmHeight
  DeviceUnits charWidth;   // tmAveCharWidth
};

struct Margins {
  Hundredths top, left, right, bottom;
};
// The page setup's margins (top, left, right, bottom).
Margins MarginsOf(const std::array<int32_t, 4>& pageMargins);

struct PageGeometry {
  DeviceUnits x0, y0;         // the printable area's top left corner
  DeviceUnits width, height;  // W and H
  DeviceUnits lineHeight, charWidth;
  int32_t charsPerLine = 0;

  DeviceUnits Bottom() const { return y0 + height; }
  // A line starting at `y` ends inside the printable area.
  bool Fits(DeviceUnits y) const { return y + lineHeight <= Bottom(); }
  // Margins that leave fewer than three line heights either way print
  // nothing.
  bool Usable() const;
};

// `fixedLineLength` is the format's line length when Fixed line length is
// on, else 0: then a line holds as many average characters as fit.
PageGeometry ComputeGeometry(const DeviceCaps& caps, const Margins& margins,
                             const FontMetrics& metrics, int32_t fixedLineLength);

}  // namespace zorvo
