#include "viewer/settings/field_checks.h"

#include <limits>

namespace zorvo {

namespace {

bool Blank(wchar_t c) { return c == L' ' || c == L'\t'; }

}  // namespace

std::optional<int64_t> ParseIntField(std::wstring_view text) {
  while (!text.empty() && Blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && Blank(text.back())) text.remove_suffix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == L'+' || text.front() == L'-')) {
    negative = text.front() == L'-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  // Gathered as a magnitude so that the most negative value fits too.
  const uint64_t limit =
      negative ? uint64_t{1} << 63 : static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
  uint64_t magnitude = 0;
  for (const wchar_t c : text) {
    if (c < L'0' || c > L'9') return std::nullopt;
    const auto digit = static_cast<uint64_t>(c - L'0');
    if (magnitude > (limit - digit) / 10) return std::nullopt;
    magnitude = magnitude * 10 + digit;
  }
  if (!negative) return static_cast<int64_t>(magnitude);
  return magnitude == uint64_t{1} << 63 ? std::numeric_limits<int64_t>::min()
                                        : -static_cast<int64_t>(magnitude);
}

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

}  // namespace zorvo
