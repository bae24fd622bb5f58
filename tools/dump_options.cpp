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

// The arguments read one after the other; each group of options below
// takes the argument in hand when it is one of its own.
class ArgumentReader {
 public:
  enum Outcome { kNotMine, kTaken, kFailed };

  ArgumentReader(const std::vector<std::wstring>& args, std::string& error)
      : args_(args), error_(error) {}

  bool More() const { return i_ < args_.size(); }
  const std::wstring& Arg() const { return args_[i_]; }
  void Advance() { ++i_; }

  Outcome Fail(const std::string& message) {
    error_ = message;
    return kFailed;
  }

  // The argument after the option, if there is one.
  bool Value(std::wstring& out) {
    if (i_ + 1 >= args_.size()) return false;
    out = args_[++i_];
    return true;
  }

  // A whole number in [low, high] after the option.
  Outcome Number(int64_t low, int64_t high, int64_t& out) {
    const std::string name = Utf8FromWide(Arg());
    std::wstring text;
    if (!Value(text)) return Fail(name + " needs a value");
    const std::optional<int64_t> parsed = ParseWholeNumber(text);
    if (!parsed || *parsed < low || *parsed > high) {
      return Fail("bad value for " + name + ": " + Utf8FromWide(text));
    }
    out = *parsed;
    return kTaken;
  }

 private:
  const std::vector<std::wstring>& args_;
  std::string& error_;
  size_t i_ = 0;
};

using Outcome = ArgumentReader::Outcome;
constexpr int64_t kNoLimit = std::numeric_limits<int64_t>::max();

// The display options, which override the profile's.
Outcome ParseDisplayOption(ArgumentReader& in, DumpOptions& options) {
  const std::wstring& arg = in.Arg();
  std::wstring text;
  int64_t n = 0;
  int choice = 0;
  if (arg == L"--format") {
    if (!in.Value(text)) return in.Fail("--format needs a value");
    if (!Choose(text, {L"text", L"hex", L"raw"}, choice)) {
      return in.Fail("unknown format: " + Utf8FromWide(text));
    }
    options.format = choice;
  } else if (arg == L"--code") {
    if (!in.Value(text)) return in.Fail("--code needs a value");
    if (!Choose(text, {L"ansi", L"ascii", L"ebcdic"}, choice)) {
      return in.Fail("unknown character code: " + Utf8FromWide(text));
    }
    options.code = choice;
  } else if (arg == L"--length") {
    // No shorter than the viewer's options allow.
    if (in.Number(kMinLineLength, 1 << 20, n) == Outcome::kFailed) return Outcome::kFailed;
    options.lineLength = static_cast<int32_t>(n);
  } else if (arg == L"--expand-tabs") {
    if (in.Number(0, 255, n) == Outcome::kFailed) return Outcome::kFailed;
    options.tabLength = static_cast<int32_t>(n);
  } else if (arg == L"--no-wrap") {
    options.wrap = false;
  } else if (arg == L"--wrap") {
    options.wrap = true;
  } else if (arg == L"--profile") {
    if (!in.Value(options.profile) || options.profile.empty()) {
      return in.Fail("--profile needs a file");
    }
  } else if (arg == L"--setup") {
    if (!in.Value(options.setup) || options.setup.empty()) return in.Fail("--setup needs a name");
    // The section name "Setup: " + name stays below 64 characters.
    if (options.setup.size() > 56) return in.Fail("the setup name is too long");
  } else if (arg == L"--cc") {
    if (!in.Value(text) || text.empty()) return in.Fail("--cc needs a value");
    if (Choose(text, {L"none", L"asa", L"ibm"}, choice)) {
      options.carriageControl = choice;
    } else {
      options.carriageControl = 3;
      options.userTable = text;
    }
  } else if (arg == L"--page-gaps") {
    options.pageGaps = true;
  } else if (arg == L"--pad") {
    if (in.Number(0, 100000, n) == Outcome::kFailed) return Outcome::kFailed;
    options.padPageLength = static_cast<int32_t>(n);
  } else {
    return Outcome::kNotMine;
  }
  return Outcome::kTaken;
}

// The search: --find and what goes with it.
Outcome ParseFindOption(ArgumentReader& in, DumpOptions& options) {
  const std::wstring& arg = in.Arg();
  if (arg == L"--find") {
    std::wstring pattern;
    if (!in.Value(pattern)) return in.Fail("--find needs a text");
    options.find = pattern;
  } else if (arg == L"--hex") {
    options.hex = true;
  } else if (arg == L"--case") {
    options.caseSensitive = true;
  } else if (arg == L"--all") {
    options.all = true;
  } else if (arg == L"--from") {
    return in.Number(0, kNoLimit, options.from);
  } else {
    return Outcome::kNotMine;
  }
  return Outcome::kTaken;
}

// Which lines are printed, and how.
Outcome ParseOutputOption(ArgumentReader& in, DumpOptions& options) {
  const std::wstring& arg = in.Arg();
  if (arg == L"--around") {
    int64_t offset = 0;
    if (in.Number(0, kNoLimit, offset) == Outcome::kFailed) return Outcome::kFailed;
    options.around = offset;
  } else if (arg == L"--rows") {
    int64_t n = 0;
    if (in.Number(1, 4000, n) == Outcome::kFailed) return Outcome::kFailed;
    options.rows = static_cast<int32_t>(n);
  } else if (arg == L"--offset") {
    return in.Number(0, kNoLimit, options.offset);
  } else if (arg == L"--lines") {
    return in.Number(0, kNoLimit, options.lines);
  } else if (arg == L"--backward") {
    options.backward = true;
  } else if (arg == L"--show-offsets") {
    options.showOffsets = true;
  } else if (arg == L"--bytes") {
    options.bytes = true;
  } else if (arg == L"--show-options") {
    options.showOptions = true;
  } else if (arg == L"--help" || arg == L"-h") {
    options.help = true;
  } else {
    return Outcome::kNotMine;
  }
  return Outcome::kTaken;
}

// The file's name, which may follow "--" when it starts with a dash.
Outcome TakeFile(ArgumentReader& in, DumpOptions& options) {
  const std::wstring& arg = in.Arg();
  if (arg.size() > 1 && arg[0] == L'-' && arg != L"--") {
    return in.Fail("unknown option: " + Utf8FromWide(arg));
  }
  if (arg == L"--") {
    std::wstring file;
    if (!in.Value(file)) return Outcome::kNotMine;  // nothing follows: the end
    if (!options.file.empty()) return in.Fail("only one file can be shown");
    options.file = file;
    return Outcome::kTaken;
  }
  if (!options.file.empty()) return in.Fail("only one file can be shown");
  options.file = arg;
  return Outcome::kTaken;
}

}  // namespace

bool ParseDumpOptions(const std::vector<std::wstring>& args, DumpOptions& options,
                      std::string& error) {
  ArgumentReader in(args, error);
  for (; in.More(); in.Advance()) {
    Outcome outcome = ParseDisplayOption(in, options);
    if (outcome == Outcome::kNotMine) outcome = ParseFindOption(in, options);
    if (outcome == Outcome::kNotMine) outcome = ParseOutputOption(in, options);
    if (outcome == Outcome::kNotMine) outcome = TakeFile(in, options);
    if (outcome == Outcome::kFailed) return false;
    if (outcome == Outcome::kNotMine) break;  // a "--" at the end
  }
  if (options.file.empty() && !options.help && !options.showOptions) {
    error = "no file given";
    return false;
  }
  return true;
}

}  // namespace zorvo
