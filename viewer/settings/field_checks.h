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

// Decimal numbers such as page margins, kept as integers in units of their
// last decimal: 2.54 with 2 decimals is 254.
struct DecimalParse {
  int64_t value = 0;
  // 0 when the whole text was used; otherwise the 1-based position of the
  // first character that cannot be used, or one past the end when the text
  // holds no number at all (empty, blanks, a lone sign or separator).
  int errorPosition = 0;
};
// Leading blanks, an optional minus, digits, then after `separator` up to
// `decimals` digits (further digits are dropped, not rounded), trailing
// blanks. Places not given count as zeros. Too large a number gives the
// largest value of its sign.
DecimalParse ParseDecimal(std::wstring_view text, int decimals, wchar_t separator);
// With the decimal separator of the regional settings.
DecimalParse ParseDecimal(std::wstring_view text, int decimals);
// The shortest text of `value`: no trailing zeros after the separator, no
// separator without a digit after it, "0" before a leading separator.
std::wstring FormatDecimal(int64_t value, int decimals, wchar_t separator);
std::wstring FormatDecimal(int64_t value, int decimals);

// The result of a check: the value, or no value and the message to show.
struct FieldCheck {
  std::optional<int64_t> value;
  std::wstring message;
};

// "Invalid character "<c>" in <name>."; an empty name is "Value".
std::wstring InvalidCharacterMessage(wchar_t c, std::wstring_view name);
// "You must choose a <name> !"; an empty name is "value".
std::wstring ChoiceMessage(std::wstring_view name);

// A decimal number from 0 to `max` (in units of the last decimal). A
// character that cannot be used is named; otherwise a negative, too large
// or empty number gets the range written with FormatDecimal.
FieldCheck CheckDecimalText(std::wstring_view text, int decimals, int64_t max,
                            std::wstring_view name, wchar_t separator);
// A 64-bit integer from `min` to `max`: decimal, hexadecimal after "0x" or
// octal after a leading 0, blanks around it, an optional sign. A character
// that cannot be used is named; otherwise an empty or out-of-range number
// gets the range.
FieldCheck CheckOffsetText(std::wstring_view text, int64_t min, int64_t max,
                           std::wstring_view name);

}  // namespace zorvo
