// Fuzzes zorvo-dump's command line: any arguments are taken or refused with
// a message; what is taken lies within the bounds the tool relies on, and
// the same choices written out as arguments again parse to the same
// options. Arguments are the input split at 0 bytes; the first byte picks
// raw bytes or words from the tool's own vocabulary.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/wide_text.h"
#include "dump_options.h"
#include "viewer/settings/format_options.h"

namespace {

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "zorvo-dump options invariant broken: %s\n", what);
    std::abort();
  }
}

const char* const kWords[] = {
    "--format", "text", "hex", "raw", "--code", "ansi", "ascii", "ebcdic", "--length", "8", "7",
    "1048576", "1048577", "0x10", "--wrap", "--no-wrap", "--expand-tabs", "0", "255", "256",
    "--cc", "none", "asa", "ibm", "mine", "--page-gaps", "--pad", "100000", "--profile", "p.ini",
    "--setup", "daily", "--show-options", "--find", "--hex", "--case", "--from", "--all",
    "--offset", "9223372036854775807", "9223372036854775808", "--backward", "--lines", "-1",
    "--around", "--rows", "4000", "4001", "--show-offsets", "--bytes", "--help", "-h", "--", "-",
    "", "file.txt", "-x", "--bogus", "0x", "+1", " 1"};

std::vector<std::wstring> AsArgs(const zorvo::DumpOptions& o) {
  std::vector<std::wstring> args;
  auto add = [&](const wchar_t* name, const std::wstring& value) {
    args.push_back(name);
    args.push_back(value);
  };
  if (o.format) add(L"--format", *o.format == 0 ? L"text" : *o.format == 1 ? L"hex" : L"raw");
  if (o.code) add(L"--code", *o.code == 0 ? L"ansi" : *o.code == 1 ? L"ascii" : L"ebcdic");
  if (o.lineLength) add(L"--length", std::to_wstring(*o.lineLength));
  if (o.wrap) args.push_back(*o.wrap ? L"--wrap" : L"--no-wrap");
  if (o.tabLength) add(L"--expand-tabs", std::to_wstring(*o.tabLength));
  if (o.carriageControl) {
    add(L"--cc", *o.carriageControl == 0   ? L"none"
                 : *o.carriageControl == 1 ? L"asa"
                 : *o.carriageControl == 2 ? L"ibm"
                                           : o.userTable);
  }
  if (o.pageGaps) args.push_back(L"--page-gaps");
  if (o.padPageLength) add(L"--pad", std::to_wstring(*o.padPageLength));
  if (o.around) add(L"--around", std::to_wstring(*o.around));
  add(L"--rows", std::to_wstring(o.rows));
  if (o.find) add(L"--find", *o.find);
  if (o.hex) args.push_back(L"--hex");
  if (o.caseSensitive) args.push_back(L"--case");
  add(L"--from", std::to_wstring(o.from));
  if (o.all) args.push_back(L"--all");
  if (!o.profile.empty()) add(L"--profile", o.profile);
  if (!o.setup.empty()) add(L"--setup", o.setup);
  add(L"--offset", std::to_wstring(o.offset));
  if (o.backward) args.push_back(L"--backward");
  if (o.lines >= 0) add(L"--lines", std::to_wstring(o.lines));
  if (o.showOffsets) args.push_back(L"--show-offsets");
  if (o.bytes) args.push_back(L"--bytes");
  if (o.showOptions) args.push_back(L"--show-options");
  if (o.help) args.push_back(L"--help");
  if (!o.file.empty()) add(L"--", o.file);
  return args;
}

bool Same(const zorvo::DumpOptions& a, const zorvo::DumpOptions& b) {
  return a.format == b.format && a.code == b.code && a.lineLength == b.lineLength &&
         a.wrap == b.wrap && a.tabLength == b.tabLength && a.carriageControl == b.carriageControl &&
         // The name of a user table counts only while that table is chosen.
         (a.carriageControl != 3 || a.userTable == b.userTable) && a.pageGaps == b.pageGaps &&
         a.padPageLength == b.padPageLength && a.around == b.around && a.rows == b.rows &&
         a.find == b.find && a.hex == b.hex && a.caseSensitive == b.caseSensitive &&
         a.from == b.from && a.all == b.all && a.profile == b.profile && a.setup == b.setup &&
         a.offset == b.offset && a.backward == b.backward && a.lines == b.lines &&
         a.showOffsets == b.showOffsets && a.bytes == b.bytes && a.showOptions == b.showOptions &&
         a.help == b.help && a.file == b.file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zorvo;
  if (size == 0) return 0;
  std::vector<std::wstring> args;
  if (data[0] & 1) {
    for (size_t i = 1; i < size; ++i) {
      args.push_back(WideFromUtf8(kWords[data[i] % (sizeof kWords / sizeof kWords[0])]));
    }
  } else {
    std::string arg;
    for (size_t i = 1; i <= size; ++i) {
      if (i == size || data[i] == 0) {
        args.push_back(WideFromUtf8(arg));
        arg.clear();
      } else {
        arg.push_back(static_cast<char>(data[i]));
      }
    }
  }
  DumpOptions options;
  std::string error;
  if (!ParseDumpOptions(args, options, error)) {
    Check(!error.empty(), "refused without a message");
    return 0;
  }
  Check(error.empty(), "taken with a message");
  Check(!options.file.empty() || options.help || options.showOptions, "nothing to show");
  Check(!options.format || (*options.format >= 0 && *options.format <= 2), "a format");
  Check(!options.code || (*options.code >= 0 && *options.code <= 2), "a character code");
  Check(!options.lineLength || (*options.lineLength >= kMinLineLength && *options.lineLength <= 1 << 20),
        "a line length the line table cannot take");
  Check(!options.tabLength || (*options.tabLength >= 0 && *options.tabLength <= 255), "a tab length");
  Check(!options.padPageLength || (*options.padPageLength >= 0 && *options.padPageLength <= 100000),
        "a page length");
  Check(options.rows >= 1 && options.rows <= 4000, "a number of rows");
  Check(options.from >= 0 && options.offset >= 0 && options.lines >= -1 &&
            (!options.around || *options.around >= 0),
        "a negative offset or count");
  Check(options.carriageControl != 3 || !options.userTable.empty(), "a user table without a name");
  const CommandLine switches = options.AsSwitches();
  Check(switches.CurrentSetup.size() <= 63, "a setup section the profile cannot name");

  DumpOptions again;
  std::string againError;
  Check(ParseDumpOptions(AsArgs(options), again, againError), "written out, refused");
  Check(Same(options, again), "written out, parsed otherwise");
  return 0;
}
