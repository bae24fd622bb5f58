// Integers written as text: one scanner, with the few rules the program's
// texts follow. Each rule is a named function below; the callers pick the
// one their text is written in.
//
//   ReadAutoBase     C's strtol with base 0: hex after 0x, octal after 0
//   ReadDecimalOrHex the profile's integers: hex after 0x, else decimal
//                    ("08" is eight)
//   ReadDecimal      decimal digits only
//   ParseDecimalField  a dialog field: the whole text one decimal number
//   ParseWholeNumber   a command-line value: the whole text, decimal or 0x hex
//
// The Read functions read a prefix the way the C library does: white space,
// an optional sign, digits; what follows is left alone, no digits read as 0,
// and a value past 32 bits wraps like a 32-bit long. The Parse functions
// take the whole text or nothing, and refuse a value that does not fit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

namespace zorvo {

namespace number_text {

enum class Base { kAuto, kDecimalOrHex, kDecimal };

template <typename Char>
int DigitValue(Char c) {
  if (c >= Char('0') && c <= Char('9')) return static_cast<int>(c - Char('0'));
  if (c >= Char('a') && c <= Char('f')) return static_cast<int>(c - Char('a')) + 10;
  if (c >= Char('A') && c <= Char('F')) return static_cast<int>(c - Char('A')) + 10;
  return 99;
}

// The C locale's white space, whatever the locale of the run.
template <typename Char>
bool IsSpace(Char c) {
  return c == Char(' ') || c == Char('\t') || c == Char('\n') || c == Char('\v') ||
         c == Char('\f') || c == Char('\r');
}

// The base a number at `i` is written in, and the index of its first digit.
template <typename Char>
unsigned BaseAt(std::basic_string_view<Char> text, size_t& i, Base rule) {
  if (rule == Base::kDecimal || i >= text.size() || text[i] != Char('0')) return 10;
  // "0x" counts only when a hex digit follows, as in strtol: "0xg" is 0.
  if (i + 2 < text.size() && (text[i + 1] == Char('x') || text[i + 1] == Char('X')) &&
      DigitValue(text[i + 2]) < 16) {
    i += 2;
    return 16;
  }
  return rule == Base::kAuto ? 8 : 10;
}

// Reads a number at `pos`; moves `pos` past it when it has digits.
template <typename Char>
int32_t Read(std::basic_string_view<Char> text, size_t& pos, Base rule) {
  size_t i = pos;
  while (i < text.size() && IsSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == Char('+') || text[i] == Char('-'))) {
    negative = text[i++] == Char('-');
  }
  const unsigned base = BaseAt(text, i, rule);
  const size_t digits = i;
  uint32_t value = 0;
  for (; i < text.size() && static_cast<unsigned>(DigitValue(text[i])) < base; ++i) {
    value = value * base + static_cast<unsigned>(DigitValue(text[i]));
  }
  if (i == digits) return 0;  // no number: nothing read
  pos = i;
  return static_cast<int32_t>(negative ? 0u - value : value);
}

}  // namespace number_text

// strtol with base 0 over `text` from `pos`: hexadecimal after "0x", octal
// after a leading 0, else decimal. `pos` moves past the number, and stays
// where it was when no digit follows.
inline int32_t ReadAutoBase(std::string_view text, size_t& pos) {
  return number_text::Read(text, pos, number_text::Base::kAuto);
}

// Hexadecimal after "0x", otherwise decimal: a leading zero is no octal
// prefix, so a hand-typed "08" is eight.
inline int32_t ReadDecimalOrHex(std::wstring_view text) {
  size_t pos = 0;
  return number_text::Read(text, pos, number_text::Base::kDecimalOrHex);
}

// Decimal digits only; `used`, when given, receives the index just past
// them (0 when there are none).
inline uint32_t ReadDecimal(std::wstring_view text, size_t* used = nullptr) {
  size_t pos = 0;
  const auto value =
      static_cast<uint32_t>(number_text::Read(text, pos, number_text::Base::kDecimal));
  if (used) *used = pos;
  return value;
}

// A whole text that is one number: blanks (space, tab) around it when
// `blanks`, an optional sign when `sign`, then decimal digits, or hex after
// "0x" when `hex`. Empty when the text is anything else or the value does
// not fit 64 bits.
template <typename Char>
std::optional<int64_t> ParseWholeInt(std::basic_string_view<Char> text, bool blanks, bool sign,
                                     bool hex) {
  if (blanks) {
    auto blank = [](Char c) { return c == Char(' ') || c == Char('\t'); };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  }
  bool negative = false;
  if (sign && !text.empty() && (text.front() == Char('+') || text.front() == Char('-'))) {
    negative = text.front() == Char('-');
    text.remove_prefix(1);
  }
  unsigned base = 10;
  if (hex && text.size() > 2 && text[0] == Char('0') &&
      (text[1] == Char('x') || text[1] == Char('X'))) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return std::nullopt;
  // Gathered as a magnitude so that the most negative value fits too.
  const uint64_t limit =
      negative ? uint64_t{1} << 63 : static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
  uint64_t magnitude = 0;
  for (const Char c : text) {
    const auto digit = static_cast<unsigned>(number_text::DigitValue(c));
    if (digit >= base) return std::nullopt;
    if (magnitude > (limit - digit) / base) return std::nullopt;
    magnitude = magnitude * base + digit;
  }
  if (!negative) return static_cast<int64_t>(magnitude);
  return magnitude == uint64_t{1} << 63 ? std::numeric_limits<int64_t>::min()
                                        : -static_cast<int64_t>(magnitude);
}

// A dialog's number field: blanks around, an optional sign, decimal digits
// and nothing else.
inline std::optional<int64_t> ParseDecimalField(std::wstring_view text) {
  return ParseWholeInt(text, true, true, false);
}

// A command-line value: decimal, or hexadecimal after "0x"; no sign, no
// blanks.
inline std::optional<int64_t> ParseWholeNumber(std::wstring_view text) {
  return ParseWholeInt(text, false, false, true);
}

}  // namespace zorvo
