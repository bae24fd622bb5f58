// What the Page Setup dialog decides: the units its margin fields use, the
// text a stored margin shows and the margin a field gives back.
#pragma once

#include <cstdint>
#include <string>

namespace zorvo {

// The margin fields of the dialog: inches with 2 decimals up to 3.00, or
// centimetres with 1 decimal up to 7.5, after the regional measurement
// system (0 metric, 1 U.S.).
struct MarginUnits {
  bool metric = false;
  int decimals = 2;
  int max = 300;  // MarginMax, in units of the last decimal
};
MarginUnits MarginUnitsFor(int measure);

// A stored margin (hundredths of an inch) as its field shows it. The
// centimetre conversion and the one back are a pair chosen so that every
// value from 0.0 to 7.5 cm comes back as it was typed.
std::wstring MarginFieldText(int32_t hundredths, const MarginUnits& units, wchar_t separator);
// The stored margin of a field's checked value (0 to `units.max`).
int32_t MarginFromField(int64_t value, const MarginUnits& units);

}  // namespace zorvo
