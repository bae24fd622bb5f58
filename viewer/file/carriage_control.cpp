// The skip-count tables of carriage control: the two built-in ones, the
// parser of a user table typed into the profile, and the choice among them.
#include "viewer/file/carriage_control.h"

#include <cstdint>
#include <cstdio>

#include "common/wide_text.h"
#include "viewer/settings/ansi_code_page.h"
#include "viewer/settings/format_options.h"
#include "viewer/settings/profile_store.h"

namespace zorvo {

namespace {

constexpr unsigned char kNewPage = 255;
constexpr size_t kUserTableCapacity = 256;  // bytes, with the C string's null

bool userCountsStale = true;

bool IsBlank(char c) {
  // The C locale's white space, whatever the locale of the run.
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

// Reads an integer at `pos` the way the C library's strtol does with base 0:
// white space, a sign, then hex after "0x" (only when a hex digit follows),
// octal after a leading 0, else decimal. Without a digit nothing is consumed
// and the value is 0. Digits past 32 bits wrap, like the profile's integers:
// only the low byte counts here anyway.
int32_t ReadNumber(std::string_view text, size_t& pos) {
  size_t i = pos;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int base = 10;
  if (i < text.size() && text[i] == '0') {
    base = 8;
    if (i + 2 < text.size() && (text[i + 1] == 'x' || text[i + 1] == 'X') &&
        DigitValue(text[i + 2]) < 16) {
      base = 16;
      i += 2;
    }
  }
  const size_t digits = i;
  uint32_t value = 0;
  for (; i < text.size() && DigitValue(text[i]) < base; ++i) {
    value = value * static_cast<uint32_t>(base) + static_cast<uint32_t>(DigitValue(text[i]));
  }
  if (i == digits) return 0;  // no number: pos stays where it was
  pos = i;
  return static_cast<int32_t>(negative ? 0u - value : value);
}

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
    const int32_t code = ReadNumber(value, pos);
    if (pos < value.size() && value[pos] == '=') {
      ++pos;
      const int32_t count = ReadNumber(value, pos);
      // -1 (a new page) lands on 255 with the rest taken modulo 256.
      counts[static_cast<uint8_t>(code)] = static_cast<uint8_t>(count);
    }
    if (pos < value.size()) ++pos;  // the separator
  }
  return counts;
}

const SkipCounts& SkipCountsFor(uint32_t options, std::wstring_view userTable) {
  if (options & kOptCcAsa) return AsaSkipCounts();
  if (options & kOptCcIbm) return IbmSkipCounts();
  if (!(options & kOptCcUser)) return PlainSkipCounts();
  static SkipCounts user = FilledWithOne();
  if (userCountsStale) {
    // Read once per change of choice, not once per formatter pass.
    const std::string value =
        ProfileGetTextNarrow(L"CarriageControl", userTable, kUserTableCapacity);
    user = ParseUserSkipCounts(value);
    userCountsStale = false;
    const GlobalSettings& g = Globals();
    if (g.DiagMode != 0 && !g.DebugFileName.empty()) {
      DumpUserSkipCounts(g.DebugFileName, userTable, value, user);
    }
  }
  return user;
}

void MarkUserSkipCountsStale() { userCountsStale = true; }
bool UserSkipCountsStale() { return userCountsStale; }

void DumpUserSkipCounts(const std::wstring& fileName, std::wstring_view name,
                        std::string_view value, const SkipCounts& counts) {
#ifdef _WIN32
  std::FILE* f = _wfopen(fileName.c_str(), L"a");
#else
  std::FILE* f = std::fopen(Utf8FromWide(fileName).c_str(), "a");
#endif
  if (f == nullptr) return;  // a diagnostic never stops the viewer
  // The name in the same 8-bit form as the value it labels.
  const std::string narrowName = NarrowFromWide(name);
  const std::string text(value.substr(0, value.find('\0')));
  std::fprintf(f, "\nRetrieved a user carriage control table:");
  std::fprintf(f, "\n%s=%s", narrowName.c_str(), text.c_str());
  std::fprintf(f, "\nCodes that skip more or less than one line shown as \"decimal[hex]'char'\":\n");
  for (int code = 0; code < 256; ++code) {
    if (counts[code] == 1) continue;
    std::fprintf(f, " %3d [%02X] '%c' = %d\n", code, code, code, counts[code]);
  }
  std::fclose(f);
}

}  // namespace zorvo
