#include "viewer/settings/field_checks.h"

#include <algorithm>
#include <limits>

#include "common/number_text.h"

#include "viewer/settings/profile_store.h"

namespace zorvo {

namespace {

bool Blank(wchar_t c) { return c == L' ' || c == L'\t'; }

using number_text::DigitValue;

constexpr int kMaxDecimals = 18;  // 10^18 still fits a 64-bit value

std::wstring NameOr(std::wstring_view name, std::wstring_view missing) {
  return std::wstring(name.empty() ? missing : name);
}

// A magnitude that stops growing at `limit`; `over` tells that it did.
struct Magnitude {
  uint64_t limit;
  uint64_t value = 0;
  bool over = false;
  void Add(unsigned digit, unsigned base) {
    if (over || value > (limit - digit) / base) {
      over = true;
      value = limit;
      return;
    }
    value = value * base + digit;
  }
};

int64_t Signed(uint64_t magnitude, bool negative) {
  if (!negative) return static_cast<int64_t>(magnitude);
  return magnitude == uint64_t{1} << 63 ? std::numeric_limits<int64_t>::min()
                                        : -static_cast<int64_t>(magnitude);
}

uint64_t LimitFor(bool negative) {
  return negative ? uint64_t{1} << 63 : static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
}

}  // namespace

std::optional<int64_t> ParseIntField(std::wstring_view text) { return ParseDecimalField(text); }

std::wstring RangeMessage(std::wstring_view name, int min, int max) {
  std::wstring text(name.empty() ? std::wstring_view(L"Value") : name);
  text += L" must be a number between ";
  text += std::to_wstring(min);
  text += L" and ";
  text += std::to_wstring(max);
  text += L"!";
  return text;
}

IntFieldCheck CheckIntText(std::wstring_view text, int min, int max, std::wstring_view name) {
  const std::optional<int64_t> value = ParseIntField(text);
  if (value && *value >= min && *value <= max) return {static_cast<int>(*value), {}};
  return {std::nullopt, RangeMessage(name, min, max)};
}

DecimalParse ParseDecimal(std::wstring_view text, int decimals, wchar_t separator) {
  decimals = std::clamp(decimals, 0, kMaxDecimals);
  const size_t n = text.size();
  const auto after = static_cast<int>(std::min<size_t>(n, std::numeric_limits<int>::max() - 1)) + 1;
  size_t i = 0;
  while (i < n && Blank(text[i])) ++i;
  const bool negative = i < n && text[i] == L'-';
  if (negative) ++i;
  Magnitude magnitude{LimitFor(negative)};
  bool digits = false;
  for (; i < n && DigitValue(text[i]) < 10; ++i, digits = true) {
    magnitude.Add(static_cast<unsigned>(text[i] - L'0'), 10);
  }
  int places = 0;
  if (i < n && text[i] == separator) {
    for (++i; i < n && DigitValue(text[i]) < 10; ++i, digits = true) {
      if (places < decimals) {
        magnitude.Add(static_cast<unsigned>(text[i] - L'0'), 10);
        ++places;
      }
    }
  }
  for (; places < decimals; ++places) magnitude.Add(0, 10);
  while (i < n && Blank(text[i])) ++i;
  const int64_t value = Signed(magnitude.value, negative);
  if (i < n) return {value, static_cast<int>(std::min<size_t>(i + 1, after))};
  if (!digits) return {0, after};
  return {value, 0};
}

DecimalParse ParseDecimal(std::wstring_view text, int decimals) {
  return ParseDecimal(text, decimals, ReadMeasurementSettings().decimal);
}

std::wstring FormatDecimal(int64_t value, int decimals, wchar_t separator) {
  decimals = std::clamp(decimals, 0, kMaxDecimals);
  uint64_t magnitude =
      value < 0 ? uint64_t{0} - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  std::wstring reversed;
  for (int place = 0; place < decimals; ++place, magnitude /= 10) {
    const auto digit = static_cast<wchar_t>(L'0' + magnitude % 10);
    if (digit != L'0' || !reversed.empty()) reversed.push_back(digit);
  }
  if (!reversed.empty()) reversed.push_back(separator);
  do {
    reversed.push_back(static_cast<wchar_t>(L'0' + magnitude % 10));
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) reversed.push_back(L'-');
  return std::wstring(reversed.rbegin(), reversed.rend());
}

std::wstring FormatDecimal(int64_t value, int decimals) {
  return FormatDecimal(value, decimals, ReadMeasurementSettings().decimal);
}

std::wstring InvalidCharacterMessage(wchar_t c, std::wstring_view name) {
  return L"Invalid character \"" + std::wstring(1, c) + L"\" in " + NameOr(name, L"Value") + L".";
}

std::wstring ChoiceMessage(std::wstring_view name) {
  return L"You must choose a " + NameOr(name, L"value") + L" !";
}

FieldCheck CheckDecimalText(std::wstring_view text, int decimals, int64_t max,
                            std::wstring_view name, wchar_t separator) {
  const DecimalParse parsed = ParseDecimal(text, decimals, separator);
  const auto at = static_cast<size_t>(parsed.errorPosition);
  if (at >= 1 && at <= text.size())
    return {std::nullopt, InvalidCharacterMessage(text[at - 1], name)};
  if (at == 0 && parsed.value >= 0 && parsed.value <= max) return {parsed.value, {}};
  return {std::nullopt, NameOr(name, L"Value") + L" must be a number between " +
                            FormatDecimal(0, decimals, separator) + L" and " +
                            FormatDecimal(max, decimals, separator) + L"!"};
}

FieldCheck CheckOffsetText(std::wstring_view text, int64_t min, int64_t max,
                           std::wstring_view name) {
  const size_t n = text.size();
  size_t i = 0;
  while (i < n && Blank(text[i])) ++i;
  bool negative = false;
  if (i < n && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
  // The base as the C library's conversions pick it: 0x, a leading 0, else 10.
  unsigned base = 10;
  if (i + 2 < n && text[i] == L'0' && (text[i + 1] == L'x' || text[i + 1] == L'X') &&
      DigitValue(text[i + 2]) < 16) {
    base = 16;
    i += 2;
  } else if (i < n && text[i] == L'0') {
    base = 8;
  }
  Magnitude magnitude{LimitFor(negative)};
  bool digits = false;
  for (; i < n && DigitValue(text[i]) < static_cast<int>(base); ++i, digits = true) {
    magnitude.Add(static_cast<unsigned>(DigitValue(text[i])), base);
  }
  while (i < n && Blank(text[i])) ++i;
  if (i < n) return {std::nullopt, InvalidCharacterMessage(text[i], name)};
  const int64_t value = Signed(magnitude.value, negative);
  if (digits && !magnitude.over && value >= min && value <= max) return {value, {}};
  return {std::nullopt, NameOr(name, L"Value") + L" must be a number between " +
                            std::to_wstring(min) + L" and " + std::to_wstring(max) + L"!"};
}

}  // namespace zorvo
