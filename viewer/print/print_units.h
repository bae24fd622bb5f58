// The three kinds of numbers page layout mixes: margins in hundredths of an
// inch, positions on the printer in device units, and counts of lines. Each
// is its own type, so that one cannot be passed where another belongs.
#pragma once

#include <compare>
#include <cstdint>

namespace zorvo {

template <class Tag>
struct Quantity {
  int32_t value = 0;
  constexpr Quantity() = default;
  constexpr explicit Quantity(int32_t v) : value(v) {}
  constexpr auto operator<=>(const Quantity&) const = default;
  constexpr Quantity operator+(Quantity o) const { return Quantity(value + o.value); }
  constexpr Quantity operator-(Quantity o) const { return Quantity(value - o.value); }
  constexpr Quantity& operator+=(Quantity o) {
    value += o.value;
    return *this;
  }
};

// Margins and other lengths on paper, as the page setup keeps them.
using Hundredths = Quantity<struct HundredthsTag>;
// Pixels of the printer.
using DeviceUnits = Quantity<struct DeviceUnitsTag>;
// A number of lines.
using LineCount = Quantity<struct LineCountTag>;

// `count` lines of `height` each.
constexpr DeviceUnits operator*(LineCount count, DeviceUnits height) {
  return DeviceUnits(count.value * height.value);
}

// a × b / c rounded to the nearest integer, halves away from zero, as the
// platform's MulDiv; -1 when c is 0 or the result does not fit.
int32_t MulDiv(int32_t a, int32_t b, int32_t c);

// A length on paper in the device units of a printer with `dpi` pixels per
// inch.
inline DeviceUnits ToDevice(Hundredths length, int32_t dpi) {
  return DeviceUnits(MulDiv(dpi, length.value, 100));
}

}  // namespace zorvo
