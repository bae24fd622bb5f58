// Fuzzes the number scanners against the C library: ReadAutoBase reads what
// strtoll with base 0 reads, wrapped to 32 bits; ReadDecimalOrHex the same
// with a leading 0 read as decimal; ReadDecimal decimal digits only. The
// whole-text parsers take a text exactly when it is one number that fits,
// and the number they give prints back to the same value.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/number_text.h"

namespace {

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "number text invariant broken: %s\n", what);
    std::abort();
  }
}

// The bytes that make numbers, and the ones around them.
constexpr char kAlphabet[] = "0123456789abcdefxX+- \t\n\v\f\r0x00FFz9";

// strtoll over `text` (ending at its first null) in `base`: the value as a
// 32-bit long would hold it, and how many characters were read.
int32_t Reference(const std::string& text, int base, size_t& used) {
  const char* start = text.c_str();
  char* end = nullptr;
  errno = 0;
  const unsigned long long magnitude = std::strtoull(start, &end, base);
  used = static_cast<size_t>(end - start);
  // strtoull negates after reading; its value past 64 bits is clamped, so
  // the low 32 bits are only compared below that.
  return errno == ERANGE ? 0 : static_cast<int32_t>(static_cast<uint32_t>(magnitude));
}

bool HasDigitsBeyond64Bits(const std::string& text, int base) {
  errno = 0;
  std::strtoull(text.c_str(), nullptr, base);
  return errno == ERANGE;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zorvo;
  if (size == 0) return 0;
  std::string text;
  if (data[0] & 1) {
    for (size_t i = 1; i < size; ++i) text.push_back(kAlphabet[data[i] % (sizeof kAlphabet - 1)]);
  } else {
    text.assign(reinterpret_cast<const char*>(data) + 1, size - 1);
  }
  // strtoll stops at a null; so do the comparisons.
  const std::string c = text.substr(0, text.find('\0'));

  // C's base 0, as ReadAutoBase promises. strtoull accepts a sign too.
  size_t used = 0;
  const int32_t expected = Reference(c, 0, used);
  size_t pos = 0;
  const int32_t got = ReadAutoBase(c, pos);
  Check(pos == used, "ReadAutoBase reads another length than strtol");
  if (!HasDigitsBeyond64Bits(c, 0)) Check(got == expected, "ReadAutoBase's value");

  // Decimal or hex: a leading 0 is no octal prefix.
  std::wstring wide(c.begin(), c.end());
  size_t digits = 0;
  while (digits < c.size() && number_text::IsSpace(c[digits])) ++digits;
  if (digits < c.size() && (c[digits] == '+' || c[digits] == '-')) ++digits;
  const bool hex = c.size() > digits + 2 && c[digits] == '0' && (c[digits + 1] | 0x20) == 'x' &&
                   number_text::DigitValue(c[digits + 2]) < 16;
  const int32_t decimalOrHex = ReadDecimalOrHex(wide);
  if (!HasDigitsBeyond64Bits(c, hex ? 16 : 10)) {
    Check(decimalOrHex == Reference(c, hex ? 16 : 10, used), "ReadDecimalOrHex's value");
  }

  // Whole texts: taken exactly when the text is one number that fits.
  const std::optional<int64_t> field = ParseDecimalField(wide);
  const std::optional<int64_t> whole = ParseWholeNumber(wide);
  if (field) {
    const std::wstring printed = std::to_wstring(*field);
    Check(ParseDecimalField(printed) == field, "a field's value does not print back");
    Check(c.find_first_not_of("0123456789+- \t") == std::string::npos,
          "a field with characters other than blanks, a sign and digits");
  }
  if (whole) {
    Check(*whole >= 0, "a command-line value with a sign");
    Check(c.find_first_of(" \t+-") == std::string::npos,
          "a command-line value with blanks or a sign");
    char hexText[32];
    std::snprintf(hexText, sizeof hexText, "0x%llx", static_cast<unsigned long long>(*whole));
    const std::string h = hexText;
    Check(ParseWholeNumber(std::wstring(h.begin(), h.end())) == whole, "hex does not read back");
  }
  if (!c.empty() && c.find_first_not_of("0123456789") == std::string::npos) {
    // Digits alone: a number unless it is past 63 bits.
    errno = 0;
    const long long value = std::strtoll(c.c_str(), nullptr, 10);
    Check(field.has_value() == (errno != ERANGE), "decimal digits refused, or too many taken");
    Check(whole.has_value() == (errno != ERANGE), "decimal digits refused as a value");
    if (field) Check(*field == value && *whole == value, "the digits' value");
  }
  size_t after = 0;
  const uint32_t decimal = ReadDecimal(wide, &after);
  Check(after <= wide.size(), "ReadDecimal past the text");
  if (after == 0) Check(decimal == 0, "no digits read as a number");
  return 0;
}
