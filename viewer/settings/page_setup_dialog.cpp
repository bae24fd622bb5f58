#include "viewer/settings/page_setup_dialog.h"

#include "viewer/settings/field_checks.h"

namespace zorvo {

MarginUnits MarginUnitsFor(int measure) {
  if (measure == 0) return {true, 1, 75};
  return {false, 2, 300};
}

std::wstring MarginFieldText(int32_t hundredths, const MarginUnits& units, wchar_t separator) {
  if (!units.metric) return FormatDecimal(hundredths, units.decimals, separator);
  // In 64 bits: a margin read from a hand-edited profile may be any number.
  return FormatDecimal(int64_t{hundredths} * 2540 / 10027, units.decimals, separator);
}

int32_t MarginFromField(int64_t value, const MarginUnits& units) {
  if (!units.metric) return static_cast<int32_t>(value);
  return static_cast<int32_t>(value * 1018 / 254);
}

}  // namespace zorvo
