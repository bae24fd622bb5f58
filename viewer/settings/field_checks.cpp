#include "viewer/settings/field_checks.h"

#include "common/number_text.h"

namespace zorvo {

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

}  // namespace zorvo
