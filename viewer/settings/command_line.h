// The viewer's command-line grammar: switch groups, a setup name after V, and
// one file name.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace zorvo {

struct CommandLine {
  // One byte per letter A to Z: 0 when not given, else the letter as typed.
  std::array<char, 26> switches{};
  // "Setup: " and the name after V; empty without a V switch.
  std::wstring CurrentSetup;
  // The first token that is not a switch group; "*.*" when none.
  std::wstring startupFile;

  // The letter as typed (upper or lower case), or 0.
  char Switch(char letter) const;
};

// Scans the raw command line (without the program name) once: 8-bit, each
// byte one character of the same code, or wide, as the system hands it over.
CommandLine ParseCommandLine(std::string_view raw);
CommandLine ParseCommandLine(std::wstring_view raw);
// The same for the whole wide command line, the program name first.
CommandLine ParseProgramCommandLine(std::wstring_view full);

}  // namespace zorvo
