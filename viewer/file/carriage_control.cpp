// The skip-count tables of carriage control: the two built-in ones, the
// parser of a user table typed into the profile, and the choice among them.
#include "viewer/file/carriage_control.h"

#include <cstdint>
#include <cstdio>

#include "common/number_text.h"

namespace zorvo {

namespace {

constexpr unsigned char kNewPage = 255;

SkipCounts FilledWithOne() {
  SkipCounts t;
  t.fill(1);
  return t;
}

}  // namespace

const SkipCounts& AsaSkipCounts() {
  static const SkipCounts table = [] {
    SkipCounts t = FilledWithOne();
    t[' '] = 1;
    t['0'] = 2;
    t['-'] = 3;
    t['1'] = kNewPage;
    t['+'] = 0;
    return t;
  }();
  return table;
}

const SkipCounts& IbmSkipCounts() {
  // Write-then-space codes (…1/…9) and immediate skips (…3/…B) alike: the
  // display cannot tell printing before the move from printing after it.
  static const SkipCounts table = [] {
    SkipCounts t = FilledWithOne();
    t[0x01] = 0;
    t[0x09] = 1;
    t[0x11] = 2;
    t[0x19] = 3;
    t[0x89] = kNewPage;
    t[0x0B] = 1;
    t[0x13] = 2;
    t[0x1B] = 3;
    t[0x8B] = kNewPage;
    return t;
  }();
  return table;
}

// The value is typed by hand, so every step must move on or stop: a piece
// is a number, then '=' and the count when '=' follows the number at once,
// then one character taken as the separator whatever it is. A piece without
// '=' thus loses its first number and the one character after it, and the
// parse resumes there; "1 =2" sets code 0, not code 1. The text ends at its
// end or at a null, as the C string it was would.
SkipCounts ParseUserSkipCounts(std::string_view value) {
  SkipCounts counts = FilledWithOne();
  const size_t nul = value.find('\0');
  if (nul != std::string_view::npos) value = value.substr(0, nul);
  size_t pos = 0;
  while (pos < value.size()) {
    const int32_t code = ReadAutoBase(value, pos);
    if (pos < value.size() && value[pos] == '=') {
      ++pos;
      const int32_t count = ReadAutoBase(value, pos);
      // -1 (a new page) lands on 255 with the rest taken modulo 256.
      counts[static_cast<uint8_t>(code)] = static_cast<uint8_t>(count);
    }
    if (pos < value.size()) ++pos;  // the separator
  }
  return counts;
}

const SkipCounts& SkipCountsFor(uint32_t options, const SkipCounts& user) {
  if (options & kOptCcAsa) return AsaSkipCounts();
  if (options & kOptCcIbm) return IbmSkipCounts();
  if (options & kOptCcUser) return user;
  return PlainSkipCounts();
}

std::string UserSkipCountsDump(std::string_view name, std::string_view value,
                               const SkipCounts& counts) {
  std::string out = "\nRetrieved a user carriage control table:\n";
  out += name;
  out += '=';
  out += value.substr(0, value.find('\0'));
  out += "\nCodes that skip more or less than one line shown as \"decimal[hex]'char'\":\n";
  for (int code = 0; code < 256; ++code) {
    if (counts[code] == 1) continue;
    char line[48];
    // Code 0 prints as a null character: count what was written, not up
    // to the first null.
    const int n =
        std::snprintf(line, sizeof line, " %3d [%02X] '%c' = %d\n", code, code, code, counts[code]);
    out.append(line, static_cast<size_t>(n));
  }
  return out;
}

}  // namespace zorvo
