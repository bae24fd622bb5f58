#include "viewer/settings/command_line.h"

#include <cstddef>
#include <utility>

#include "common/shared_names.h"

namespace zorvo {
namespace {

constexpr size_t kMaxSetupName = 56;  // "Setup: " + 56 stays within a 63-char section name
constexpr size_t kMaxFileName = 259;  // MAX_PATH less the terminator

// Codes 1 to 32 separate tokens. Everything above 32, including bytes of 128
// and more, belongs to a token.
bool IsSeparator(char32_t c) { return c >= 1 && c <= 32; }

bool IsLetter(char32_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

int LetterIndex(char32_t c) { return static_cast<int>(c >= 'a' ? c - 'a' : c - 'A'); }

// The code of one unit: a byte as its own value (0-255), a wide character
// as itself.
char32_t Unit(char c) { return static_cast<unsigned char>(c); }
char32_t Unit(wchar_t c) { return static_cast<char32_t>(c); }

template <typename Char>
CommandLine Parse(std::basic_string_view<Char> raw);

}  // namespace

char CommandLine::Switch(char letter) const {
  const auto c = static_cast<unsigned char>(letter);
  return IsLetter(c) ? switches[LetterIndex(c)] : 0;
}

CommandLine ParseCommandLine(std::string_view raw) { return Parse(raw); }

CommandLine ParseCommandLine(std::wstring_view raw) { return Parse(raw); }

CommandLine ParseProgramCommandLine(std::wstring_view full) {
  // The program name as the system's start-up code skips it: a quoted name
  // runs to its closing quote, any other to the first blank.
  size_t i = 0;
  if (!full.empty() && full[0] == L'"') {
    i = full.find(L'"', 1);
    i = i == std::wstring_view::npos ? full.size() : i + 1;
  } else {
    while (i < full.size() && full[i] > L' ') ++i;
  }
  return Parse(full.substr(i));
}

namespace {

// The line is read as the rules say, with nothing looked at twice:
// - a byte 0 ends the line, as it would end the C string the line comes from;
// - only the character right after the leading '-' or '/' can make a group a
//   setup switch, so "-w/vname" records the letters w, v, n, a, m, e;
// - a token ends where its own rule ends it, so a switch group may follow a
//   closing quote directly ("a b"-w), and a quote inside an unquoted token is
//   an ordinary character;
// - a quoted token always runs to its closing quote, even when ignored, so the
//   separators inside a second quoted name never start new tokens;
// - an empty quoted name ("") is not a file name: a later token may give one,
//   and without one the viewer opens "*.*".
template <typename Char>
CommandLine Parse(std::basic_string_view<Char> raw) {
  CommandLine result;
  bool haveFile = false;
  size_t end = raw.find(Char{0});
  if (end == std::basic_string_view<Char>::npos) end = raw.size();
  auto at = [&](size_t i) { return Unit(raw[i]); };

  size_t i = 0;
  while (i < end) {
    if (IsSeparator(at(i))) {
      ++i;
      continue;
    }
    const char32_t first = at(i);
    if (first == '-' || first == '/') {
      ++i;
      if (i < end && (at(i) == 'V' || at(i) == 'v')) {
        result.switches['V' - 'A'] = static_cast<char>(at(i));
        ++i;
        std::wstring name;
        for (; i < end && at(i) != '/' && !IsSeparator(at(i)); ++i) {
          if (name.size() < kMaxSetupName) name.push_back(static_cast<wchar_t>(at(i)));
        }
        result.CurrentSetup = kSetupPrefix + name;
        while (i < end && !IsSeparator(at(i))) ++i;
      } else {
        for (; i < end && !IsSeparator(at(i)); ++i) {
          if (IsLetter(at(i))) result.switches[LetterIndex(at(i))] = static_cast<char>(at(i));
        }
      }
      continue;
    }

    std::wstring name;
    if (first == '"') {
      for (++i; i < end && at(i) != '"'; ++i) {
        if (name.size() < kMaxFileName) name.push_back(static_cast<wchar_t>(at(i)));
      }
      if (i < end) ++i;  // the closing quote
    } else {
      for (; i < end && !IsSeparator(at(i)); ++i) {
        if (name.size() < kMaxFileName) name.push_back(static_cast<wchar_t>(at(i)));
      }
    }
    if (!haveFile && !name.empty()) {
      result.startupFile = std::move(name);
      haveFile = true;
    }
  }
  if (!haveFile) result.startupFile = L"*.*";
  return result;
}

}  // namespace
}  // namespace zorvo
