// Checks of the numbers typed into the dialogs' fields, and the message a
// bad one gets. The dialogs show it; the checks themselves are plain text
// work, shared by every platform.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zorvo {

// A signed decimal integer: blanks around it, an optional sign, at least one
// digit and nothing else. Empty when the text is not one or does not fit.
std::optional<int64_t> ParseIntField(std::wstring_view text);

// "<name> must be a number between <min> and <max>!"; an empty name is
// "Value".
std::wstring RangeMessage(std::wstring_view name, int min, int max);

// The value of a field's text when it is a number from `min` to `max`;
// otherwise no value and the message to show.
struct IntFieldCheck {
  std::optional<int> value;
  std::wstring message;
};
IntFieldCheck CheckIntText(std::wstring_view text, int min, int max, std::wstring_view name);

}  // namespace zorvo
