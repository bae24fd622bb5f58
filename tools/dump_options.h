// The command line of zorvo-dump.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zorvo {

struct DumpOptions {
  int format = 0;            // 0 text, 1 hex, 2 raw
  int code = 0;              // 0 ansi, 1 ascii, 2 ebcdic
  int32_t lineLength = 4096;
  bool wrap = false;
  int32_t tabLength = 0;     // 0: tabs are not expanded
  int64_t offset = 0;
  bool backward = false;
  int64_t lines = -1;        // -1: no limit
  bool showOffsets = false;
  bool bytes = false;        // display characters unchanged, not as UTF-8
  bool help = false;
  std::wstring file;

  // The formatter options word these choices make.
  uint32_t OptionsWord() const;
};

// Parses the arguments after the program name. On a bad argument returns
// false with a message in `error`.
bool ParseDumpOptions(const std::vector<std::wstring>& args, DumpOptions& options,
                      std::string& error);

extern const char kDumpUsage[];

}  // namespace zorvo
