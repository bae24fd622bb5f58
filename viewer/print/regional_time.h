// The date and time of a print job in the user's regional format, as the
// "intl" settings of the system profile describe it.
#pragma once

#include <cstdint>
#include <string>

namespace zorvo {

struct RegionalSettings {
  int32_t iTime = 0;    // non-zero: 24-hour clock
  int32_t iTLzero = 1;  // non-zero: hours with a leading zero
  std::wstring sTime = L":";
  std::wstring s1159 = L"AM";
  std::wstring s2359 = L"PM";
  std::wstring sShortDate = L"MM/dd/yyyy";
};

// Where the settings are read from: the system profile's "intl" section on
// Windows; elsewhere nothing, which leaves the defaults.
class RegionalSource {
 public:
  virtual ~RegionalSource() = default;
  virtual int32_t Int(const wchar_t* key, int32_t fallback) = 0;
  // At most `capacity` - 1 characters, as a profile read into a buffer of
  // that size gives.
  virtual std::wstring Text(const wchar_t* key, const wchar_t* fallback, size_t capacity) = 0;
};

RegionalSettings LoadRegionalSettings(RegionalSource& source);

// A local time broken down.
struct LocalTime {
  int32_t year = 1970;
  int32_t month = 1;  // 1-12
  int32_t day = 1;    // 1-31
  int32_t hour = 0;   // 0-23
  int32_t minute = 0;
};

std::wstring FormatShortDate(const LocalTime& time, const RegionalSettings& settings);
std::wstring FormatClockTime(const LocalTime& time, const RegionalSettings& settings);

}  // namespace zorvo
