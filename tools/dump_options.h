// The command line of zorvo-dump.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "viewer/settings/command_line.h"

namespace zorvo {

// What the command line asks for. The display options start from the
// profile; those given here override them, as the viewer's switches do.
struct DumpOptions {
  std::optional<int> format;         // 0 text, 1 hex, 2 raw
  std::optional<int> code;           // 0 ansi, 1 ascii, 2 ebcdic
  std::optional<int32_t> lineLength;
  std::optional<bool> wrap;
  std::optional<int32_t> tabLength;  // 0: tabs are not expanded
  std::optional<int> carriageControl;  // 0 none, 1 ASA, 2 IBM, 3 the user table
  std::wstring userTable;            // its name in section "CarriageControl"
  bool pageGaps = false;
  std::optional<int32_t> padPageLength;
  std::optional<int64_t> around;     // rebuild the screen table around this offset
  int32_t rows = 25;                 // the window's text rows for --around
  std::optional<std::wstring> find;  // search for this text (or hex text with --hex)
  bool hex = false;
  bool caseSensitive = false;
  int64_t from = 0;
  bool all = false;
  std::wstring profile;              // an INI file to read instead of the chosen profile
  std::wstring setup;                // a named setup, loaded over the main sections
  int64_t offset = 0;
  bool backward = false;
  int64_t lines = -1;                // -1: no limit
  bool showOffsets = false;
  bool bytes = false;                // display characters unchanged, not as UTF-8
  bool showOptions = false;
  bool help = false;
  std::wstring file;

  // The viewer's switch letters and setup that stand for these choices.
  CommandLine AsSwitches() const;
};

// Parses the arguments after the program name. On a bad argument returns
// false with a message in `error`.
bool ParseDumpOptions(const std::vector<std::wstring>& args, DumpOptions& options,
                      std::string& error);

extern const char kDumpUsage[];

}  // namespace zorvo
