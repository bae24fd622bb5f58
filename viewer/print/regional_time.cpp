#include "viewer/print/regional_time.h"

#include <array>
#include <cwchar>
#include <string_view>

namespace zorvo {

RegionalSettings LoadRegionalSettings(RegionalSource& source) {
  RegionalSettings s;
  s.iTime = source.Int(L"iTime", 0);
  s.iTLzero = source.Int(L"iTLzero", 1);
  s.sTime = source.Text(L"sTime", L":", 2);
  s.s1159 = source.Text(L"s1159", L"AM", 5);
  s.s2359 = source.Text(L"s2359", L"PM", 5);
  s.sShortDate = source.Text(L"sShortDate", L"MM/dd/yyyy", 12);
  return s;
}

namespace {

// `value` in decimal, padded to `width` with `pad`.
std::wstring Padded(int32_t value, int width, wchar_t pad) {
  std::wstring digits = std::to_wstring(value);
  if (static_cast<int>(digits.size()) < width) digits.insert(0, width - digits.size(), pad);
  return digits;
}

// The character after the first `letter`, when it repeats it.
bool Doubled(std::wstring_view pattern, wchar_t letter, size_t times) {
  const size_t at = pattern.find(letter);
  if (at == std::wstring_view::npos) return false;
  for (size_t k = 1; k < times; ++k) {
    if (at + k >= pattern.size() || pattern[at + k] != letter) return false;
  }
  return true;
}

}  // namespace

std::wstring FormatShortDate(const LocalTime& time, const RegionalSettings& settings) {
  const std::wstring_view pattern = settings.sShortDate;
  const int dayWidth = Doubled(pattern, L'd', 2) ? 2 : 1;
  const int monthWidth = Doubled(pattern, L'M', 2) ? 2 : 1;
  const bool longYear = Doubled(pattern, L'y', 3);
  const int yearWidth = longYear ? 4 : 2;
  const int32_t year = longYear ? time.year : time.year % 100;

  // The separator follows the last "M". A pattern that ends with its "M"
  // still gets all three fields, apart by the first separator it shows.
  wchar_t separator = L'/';
  const size_t lastMonth = pattern.rfind(L'M');
  if (lastMonth != std::wstring_view::npos && lastMonth + 1 < pattern.size()) {
    separator = pattern[lastMonth + 1];
  } else if (lastMonth != std::wstring_view::npos) {
    const size_t other = pattern.find_first_not_of(L"dMy");
    if (other != std::wstring_view::npos) separator = pattern[other];
  }

  const std::wstring day = Padded(time.day, dayWidth, L'0');
  const std::wstring month = Padded(time.month, monthWidth, L'0');
  const wchar_t first = pattern.empty() ? L'M' : pattern.front();
  std::array<std::wstring, 3> fields;
  if (first == L'd') {
    fields = {day, month, Padded(year, yearWidth, L'0')};
  } else if (first == L'y') {
    // A year that leads is padded with blanks.
    fields = {Padded(year, yearWidth, L' '), day, month};
  } else {
    fields = {month, day, Padded(year, yearWidth, L'0')};
  }
  return fields[0] + separator + fields[1] + separator + fields[2];
}

std::wstring FormatClockTime(const LocalTime& time, const RegionalSettings& settings) {
  const bool clock24 = settings.iTime != 0;
  int32_t hour = time.hour;
  if (!clock24) {
    hour %= 12;
    if (hour == 0) hour = 12;
  }
  std::wstring text = Padded(hour, settings.iTLzero != 0 ? 2 : 1, L'0');
  text += settings.sTime;
  text += Padded(time.minute, 2, L'0');
  if (!clock24) {
    text += L' ';
    text += time.hour < 12 ? settings.s1159 : settings.s2359;
  }
  return text;
}

}  // namespace zorvo
