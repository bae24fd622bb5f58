// Fuzzes the command-line scanner: any bytes at all make a command line whose
// names fit the buffers the viewer copies them into.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "viewer/settings/command_line.h"

namespace {

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "command line invariant broken: %s\n", what);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view raw(reinterpret_cast<const char*>(data), size);
  const zorvo::CommandLine line = zorvo::ParseCommandLine(raw);

  Check(!line.startupFile.empty(), "there is always a file to open");
  Check(line.startupFile.size() <= 259, "file name longer than MAX_PATH allows");
  Check(line.CurrentSetup.size() <= 63, "setup section name longer than 63 characters");
  // "-wv" gives V without a setup name; a setup name always comes with V.
  if (!line.CurrentSetup.empty()) {
    Check(line.switches['V' - 'A'] != 0, "a setup name without the V switch");
    Check(line.CurrentSetup.starts_with(L"Setup: "), "setup sections are named Setup: ...");
  }
  for (int k = 0; k < 26; ++k) {
    const char c = line.switches[k];
    Check(c == 0 || c == 'A' + k || c == 'a' + k, "a switch slot holds its own letter");
    Check(line.Switch(static_cast<char>('A' + k)) == c &&
              line.Switch(static_cast<char>('a' + k)) == c,
          "Switch reads the slot of either case");
  }
  // The wide line follows the same grammar: each byte as the wide character
  // of its code gives the same result.
  std::wstring wide;
  for (unsigned char c : raw) wide.push_back(static_cast<wchar_t>(c));
  const zorvo::CommandLine fromWide = zorvo::ParseCommandLine(std::wstring_view(wide));
  Check(fromWide.switches == line.switches && fromWide.startupFile == line.startupFile &&
            fromWide.CurrentSetup == line.CurrentSetup,
        "the wide line reads as the 8-bit one");
  // Bytes after a 0 are not part of the line.
  const size_t nul = raw.find('\0');
  if (nul != std::string_view::npos) {
    const zorvo::CommandLine cut = zorvo::ParseCommandLine(raw.substr(0, nul));
    Check(cut.switches == line.switches && cut.startupFile == line.startupFile &&
              cut.CurrentSetup == line.CurrentSetup,
          "a byte 0 ends the command line");
  }
  return 0;
}
