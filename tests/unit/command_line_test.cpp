#include "viewer/settings/command_line.h"

#include <gtest/gtest.h>

#include <string>

namespace zorvo {
namespace {

// The switch letters given, as typed, in A-Z order.
std::string Letters(const CommandLine& cl) {
  std::string got;
  for (char s : cl.switches) {
    if (s) got += s;
  }
  return got;
}

struct Case {
  std::string line;
  std::wstring file;
  std::string letters;  // in A-Z order
  std::wstring setup;
};

// Each byte as the wide character of the same code.
std::wstring Widened(const std::string& line) {
  std::wstring wide;
  for (char c : line) wide.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
  return wide;
}

TEST(CommandLine, Grammar) {
  const Case cases[] = {
      {"", L"*.*", "", L""},
      {" \t ", L"*.*", "", L""},
      {"first.txt second.txt", L"first.txt", "", L""},
      {"a\tb -w", L"a", "w", L""},
      {"\"my file.txt\" -w", L"my file.txt", "w", L""},
      {"\"a b\"-w", L"a b", "w", L""},                // a switch group may follow a quote
      {"a.txt \"b -w.txt\" -h", L"a.txt", "h", L""},  // an ignored quoted name hides its -w
      {"\"unterminated name", L"unterminated name", "", L""},
      {"ab\"c d", L"ab\"c", "", L""},                    // a quote inside a token is a character
      {"\"\" real.txt", L"real.txt", "", L""},           // an empty quoted name is no name
      {std::string("-w\0 x.txt", 9), L"*.*", "w", L""},  // byte 0 ends the line
      {"-TH", L"*.*", "HT", L""},
      {"-HR", L"*.*", "HR", L""},
      {"-RH", L"*.*", "HR", L""},
      {"/w/b", L"*.*", "bw", L""},
      {"-wb", L"*.*", "bw", L""},
      {"-w -W", L"*.*", "W", L""},
      {"-w1+\xC1x", L"*.*", "wx", L""},
      {"-w/vname", L"*.*", "aemnvw", L""},  // only the letter after the '-' can start a setup
      {"-Vdaily/W", L"*.*", "V", L"Setup: daily"},
      {"-vdaily", L"*.*", "v", L"Setup: daily"},
      {"/Vmy-setup x.txt -w", L"x.txt", "Vw", L"Setup: my-setup"},
      {"-Va -Vb", L"*.*", "V", L"Setup: b"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const CommandLine cl = ParseCommandLine(c.line);
    EXPECT_EQ(cl.startupFile, c.file);
    EXPECT_EQ(Letters(cl), c.letters);
    EXPECT_EQ(cl.CurrentSetup, c.setup);
    // The wide line the system hands over follows the same grammar.
    const CommandLine wide = ParseCommandLine(std::wstring_view(Widened(c.line)));
    EXPECT_EQ(wide.startupFile, c.file);
    EXPECT_EQ(Letters(wide), c.letters);
    EXPECT_EQ(wide.CurrentSetup, c.setup);
  }
}

// Names with characters that no 8-bit code page holds arrive whole, after
// the program name (quoted or not) is skipped.
TEST(CommandLine, WideLinesKeepEveryCharacter) {
  struct WideCase {
    std::wstring line;
    std::wstring file;
    std::string letters;
  };
  const WideCase cases[] = {
      {L"Zorvo.exe \"Z:\\tmp\\\u00DCbersicht-\u65E5\u672C.log\" -h",
       L"Z:\\tmp\\\u00DCbersicht-\u65E5\u672C.log", "h"},
      {L"\"C:\\Program Files\\Zorvo.exe\" Z:\\\u0100.log -D", L"Z:\\\u0100.log", "D"},
      {L"\"C:\\Program Files\\Zorvo.exe\"-w x", L"x", "w"},
      {L"Zorvo.exe", L"*.*", ""},
      {L"\"unterminated program name", L"*.*", ""},
      {L"Zorvo.exe \U0001F600.txt", L"\U0001F600.txt", ""},
  };
  for (const WideCase& c : cases) {
    const CommandLine cl = ParseProgramCommandLine(c.line);
    EXPECT_EQ(cl.startupFile, c.file);
    EXPECT_EQ(Letters(cl), c.letters);
  }
}

TEST(CommandLine, SwitchLookup) {
  const CommandLine cl = ParseCommandLine("-wB");
  EXPECT_EQ(cl.Switch('W'), 'w');
  EXPECT_EQ(cl.Switch('b'), 'B');
  EXPECT_EQ(cl.Switch('H'), 0);
  EXPECT_EQ(cl.Switch('1'), 0);
}

TEST(CommandLine, LongNamesAreCut) {
  // The remainder of a cut file name starts like a switch group; it must not
  // be read as one.
  const std::string longName = std::string(259, 'x') + "-w" + std::string(39, 'y');
  for (const std::string& line : {longName + " second", "\"" + longName + " -h\" second"}) {
    SCOPED_TRACE(line.substr(0, 1));
    const CommandLine cl = ParseCommandLine(line);
    EXPECT_EQ(cl.startupFile, std::wstring(259, L'x'));
    EXPECT_EQ(Letters(cl), "");
  }
  const CommandLine cl = ParseCommandLine("-V" + std::string(70, 's') + " f.txt");
  EXPECT_EQ(cl.CurrentSetup, L"Setup: " + std::wstring(56, L's'));
  EXPECT_EQ(cl.startupFile, L"f.txt");
}

TEST(CommandLine, HighBytesKeepTheirCode) {
  const CommandLine cl = ParseCommandLine("caf\xE9\xA0z.txt \xFF");
  const std::wstring expected = {L'c', L'a', L'f', wchar_t{0xE9}, wchar_t{0xA0},
                                 L'z', L'.', L't', L'x',          L't'};
  EXPECT_EQ(cl.startupFile, expected);
}

}  // namespace
}  // namespace zorvo
