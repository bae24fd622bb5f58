#include "dump_options.h"

#include <cwctype>
#include <limits>

#include "common/number_text.h"
#include "common/wide_text.h"
#include "viewer/file/code_tables.h"
#include "viewer/settings/format_options.h"

namespace zorvo {

const char kDumpUsage[] =
    "usage: zorvo-dump [options] FILE\n"
    "Prints the display lines the viewer assembles for FILE, one per line.\n"
    "Display options start from the viewer's profile; these override them:\n"
    "  --format text|hex|raw     display format\n"
    "  --code ansi|ascii|ebcdic  character code of the file\n"
    "  --length N                line length (8 or more)\n"
    "  --wrap, --no-wrap         continue long lines on the next line, or cut them\n"
    "  --expand-tabs N           expand tabs to multiples of N (0: show tabs)\n"
    "  --cc none|asa|ibm|NAME    carriage control in column 1 (NAME: a user table)\n"
    "  --page-gaps               show page breaks as empty gap lines\n"
    "  --pad N                   pad every page to N lines (0: no padding)\n"
    "  --profile PATH            read the options from this INI file\n"
    "  --setup NAME              load this named setup over the main options\n"
    "  --show-options            print the options in force and stop\n"
    "  --find TEXT               print the offset of the first match of TEXT (exit 1: none)\n"
    "  --hex                     TEXT is hex digits (41 42 43 or 414243)\n"
    "  --case                    letters must match in case\n"
    "  --from OFFSET             start the search there\n"
    "  --all                     print every match, one offset a line\n"
    "  --offset N                start at this byte (decimal, or hex with 0x)\n"
    "  --backward                assemble backward from the offset\n"
    "  --lines N                 print at most N lines\n"
    "  --around OFFSET           print the screen table rebuilt around OFFSET\n"
    "  --rows R                  text rows of that screen (25)\n"
    "  --show-offsets            prefix each line with its offset and flags\n"
    "  --bytes                   write display characters unchanged\n";

CommandLine DumpOptions::AsSwitches() const {
  CommandLine switches;
  auto set = [&](char letter) { switches.switches[(letter | 0x20) - 'a'] = letter; };
  if (format) set("THR"[*format]);
  if (wrap) set(*wrap ? 'W' : 'w');
  if (tabLength) set(*tabLength > 0 ? 'E' : 'e');
  if (!setup.empty()) {
    set('v');  // the main sections first, then the setup over them
    switches.CurrentSetup = L"Setup: " + setup;
  }
  return switches;
}

namespace {

bool Choose(const std::wstring& text, std::initializer_list<const wchar_t*> names, int& value) {
  int i = 0;
  for (const wchar_t* name : names) {
    if (text == name) {
      value = i;
      return true;
    }
    ++i;
  }
  return false;
}

}  // namespace

bool ParseDumpOptions(const std::vector<std::wstring>& args, DumpOptions& options,
                      std::string& error) {
  auto fail = [&](const std::string& message) {
    error = message;
    return false;
  };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::wstring& arg = args[i];
    const std::string name = Utf8FromWide(arg);
    auto value = [&](std::wstring& out) {
      if (i + 1 >= args.size()) return false;
      out = args[++i];
      return true;
    };
    auto number = [&](int64_t low, int64_t high, int64_t& out) {
      std::wstring text;
      if (!value(text)) return fail(name + " needs a value");
      const std::optional<int64_t> parsed = ParseWholeNumber(text);
      if (!parsed || *parsed < low || *parsed > high) {
        return fail("bad value for " + name + ": " + Utf8FromWide(text));
      }
      out = *parsed;
      return true;
    };
    std::wstring text;
    int64_t n = 0;
    int choice = 0;
    if (arg == L"--format") {
      if (!value(text)) return fail("--format needs a value");
      if (!Choose(text, {L"text", L"hex", L"raw"}, choice)) {
        return fail("unknown format: " + Utf8FromWide(text));
      }
      options.format = choice;
    } else if (arg == L"--code") {
      if (!value(text)) return fail("--code needs a value");
      if (!Choose(text, {L"ansi", L"ascii", L"ebcdic"}, choice)) {
        return fail("unknown character code: " + Utf8FromWide(text));
      }
      options.code = choice;
    } else if (arg == L"--length") {
      // No shorter than the viewer's options allow.
      if (!number(kMinLineLength, 1 << 20, n)) return false;
      options.lineLength = static_cast<int32_t>(n);
    } else if (arg == L"--expand-tabs") {
      if (!number(0, 255, n)) return false;
      options.tabLength = static_cast<int32_t>(n);
    } else if (arg == L"--no-wrap") {
      options.wrap = false;
    } else if (arg == L"--profile") {
      if (!value(options.profile) || options.profile.empty()) return fail("--profile needs a file");
    } else if (arg == L"--setup") {
      if (!value(options.setup) || options.setup.empty()) return fail("--setup needs a name");
      // The section name "Setup: " + name stays below 64 characters.
      if (options.setup.size() > 56) return fail("the setup name is too long");
    } else if (arg == L"--cc") {
      if (!value(text) || text.empty()) return fail("--cc needs a value");
      if (Choose(text, {L"none", L"asa", L"ibm"}, choice)) {
        options.carriageControl = choice;
      } else {
        options.carriageControl = 3;
        options.userTable = text;
      }
    } else if (arg == L"--page-gaps") {
      options.pageGaps = true;
    } else if (arg == L"--pad") {
      if (!number(0, 100000, n)) return false;
      options.padPageLength = static_cast<int32_t>(n);
    } else if (arg == L"--around") {
      int64_t offset = 0;
      if (!number(0, std::numeric_limits<int64_t>::max(), offset)) return false;
      options.around = offset;
    } else if (arg == L"--rows") {
      if (!number(1, 4000, n)) return false;
      options.rows = static_cast<int32_t>(n);
    } else if (arg == L"--find") {
      std::wstring pattern;
      if (!value(pattern)) return fail("--find needs a text");
      options.find = pattern;
    } else if (arg == L"--hex") {
      options.hex = true;
    } else if (arg == L"--case") {
      options.caseSensitive = true;
    } else if (arg == L"--all") {
      options.all = true;
    } else if (arg == L"--from") {
      if (!number(0, std::numeric_limits<int64_t>::max(), options.from)) return false;
    } else if (arg == L"--show-options") {
      options.showOptions = true;
    } else if (arg == L"--offset") {
      if (!number(0, std::numeric_limits<int64_t>::max(), options.offset)) return false;
    } else if (arg == L"--lines") {
      if (!number(0, std::numeric_limits<int64_t>::max(), options.lines)) return false;
    } else if (arg == L"--wrap") {
      options.wrap = true;
    } else if (arg == L"--backward") {
      options.backward = true;
    } else if (arg == L"--show-offsets") {
      options.showOffsets = true;
    } else if (arg == L"--bytes") {
      options.bytes = true;
    } else if (arg == L"--help" || arg == L"-h") {
      options.help = true;
    } else if (arg.size() > 1 && arg[0] == L'-' && arg != L"--") {
      return fail("unknown option: " + name);
    } else {
      if (arg == L"--") {
        if (i + 1 >= args.size()) break;
        ++i;
      }
      if (!options.file.empty()) return fail("only one file can be shown");
      options.file = args[i];
    }
  }
  if (options.file.empty() && !options.help && !options.showOptions) return fail("no file given");
  return true;
}

}  // namespace zorvo
