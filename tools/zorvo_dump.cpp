// zorvo-dump: prints the display lines the viewer assembles for a file, one
// per output line. Reads block by block through the viewer's own reader, so
// a file of any size streams in constant memory.
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/program_path.h"
#include "common/wide_text.h"
#include "dump_options.h"
#include "viewer/file/byte_scan.h"
#include "viewer/file/code_tables.h"
#include "viewer/file/file_reader.h"
#include "viewer/file/formatter.h"
#include "viewer/file/line_table.h"
#include "viewer/file/line_walk.h"
#include "viewer/file/rebuild.h"
#include "viewer/file/search.h"
#include "viewer/frame/positioning.h"
#include "viewer/settings/ansi_code_page.h"
#include "viewer/settings/format_options.h"
#include "viewer/settings/profile_store.h"
#include "viewer/settings/settings.h"
#include "viewer/settings/user_skip_counts.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

namespace zorvo {
namespace {

// Messages of the reader go to standard error: a command-line tool shows no
// message boxes.
class StderrNotifier : public Notifier {
 public:
  int Message(const std::wstring& text, const std::wstring& caption, uint32_t, uintptr_t) override {
    std::string line = Utf8FromWide(caption.empty() ? text : caption + L": " + text);
    for (char& c : line) {
      if (c == '\n') c = ' ';
    }
    std::fprintf(stderr, "zorvo-dump: %s\n", line.c_str());
    return 1;
  }
  void Beep(uint32_t) override {}
};

constexpr uint32_t kChunk = 256 << 10;        // bytes read and formatted per forward step: the
                                              // lines of a step stay in the cache until printed
constexpr int32_t kStreamSlots = kChunk + 2;  // enough for a line per byte
constexpr int32_t kStreamText = 8 << 20;
constexpr uint32_t kBackwardBlock = 16 << 20;

// The output, gathered in a buffer of 256 KiB that is written whole: big
// enough that writing costs little, small enough to stay in the cache with
// the lines it is copied from.
class Printer {
 public:
  explicit Printer(const DumpOptions& options)
      : options_(options), buffer_(new char[kCapacity + 16]) {}
  ~Printer() { Flush(); }

  void Line(const LineEntry& entry, std::string_view text, bool current = false) {
    if (options_.showOffsets) {
      char prefix[48];
      const int n = std::snprintf(prefix, sizeof prefix, "%s%" PRId64 "\t%X\t", current ? ">" : "",
                                  entry.offset, static_cast<unsigned>(entry.flags));
      Put(prefix, static_cast<size_t>(n));
    }
    if (options_.bytes || IsAscii(text)) {
      Put(text.data(), text.size());
    } else {
      utf8_.clear();
      AppendUtf8FromWindows1252(utf8_, text);
      Put(utf8_.data(), utf8_.size());
    }
    Put("\n", 1);
    if (used_ >= kFlushAt) Flush();
  }
  void Line(const LineTable& table, int32_t i, bool current = false) {
    Line(table[i], std::string_view(table.TextOf(i), static_cast<size_t>(table[i].length)),
         current);
  }

  // Lines [from, to) of a table. Unchanged characters with nothing before
  // them, the usual dump, go from the table into the buffer in one copy each.
  void Lines(const LineTable& table, int32_t from, int32_t to) {
    if (options_.showOffsets || !options_.bytes) {
      for (int32_t i = from; i < to; ++i) Line(table, i);
      return;
    }
    for (int32_t i = from; i < to; ++i) {
      const auto length = static_cast<size_t>(table[i].length);
      if (used_ + length + 1 > kCapacity) {
        Flush();
        if (length + 1 > kCapacity) {
          Line(table, i);
          continue;
        }
      }
      char* at = buffer_.get() + used_;
      CopyShort(table.TextOf(i), length, table.chars() + table.Tlen, at);
      at[length] = '\n';
      used_ += length + 1;
    }
    if (used_ >= kFlushAt) Flush();
  }

  bool Flush() {
    if (used_ != 0 && std::fwrite(buffer_.get(), 1, used_, stdout) != used_) failed_ = true;
    used_ = 0;
    return !failed_;
  }
  bool failed() const { return failed_ || std::ferror(stdout); }

 private:
  static constexpr size_t kFlushAt = 256 << 10;
  static constexpr size_t kCapacity = kFlushAt + (64 << 10);

  // Text with no byte above 127 is the same in UTF-8.
  static bool IsAscii(std::string_view text) {
    const char* p = text.data();
    const char* const end = p + text.size();
    uint64_t word;
    for (; end - p >= 8; p += 8) {
      std::memcpy(&word, p, 8);
      if (word & 0x8080808080808080ULL) return false;
    }
    for (; p < end; ++p) {
      if (static_cast<unsigned char>(*p) >= 0x80) return false;
    }
    return true;
  }

  // memcpy for the short texts of lines, 16 bytes at a time, which may
  // write up to 15 bytes past the text (the buffer has room for them) and
  // read as far, when that stays before `readEnd`.
  static void CopyShort(const char* text, size_t length, const char* readEnd, char* at) {
    const size_t whole = (length + 15) & ~size_t{15};
    if (whole > 64 || readEnd - text < static_cast<std::ptrdiff_t>(whole)) {
      std::memcpy(at, text, length);
      return;
    }
    for (size_t k = 0; k < whole; k += 16) std::memcpy(at + k, text + k, 16);
  }

  void Put(const char* data, size_t n) {
    if (used_ + n > kCapacity) {
      Flush();
      if (n > kCapacity) {
        if (std::fwrite(data, 1, n, stdout) != n) failed_ = true;
        return;
      }
    }
    std::memcpy(buffer_.get() + used_, data, n);
    used_ += n;
  }

  const DumpOptions& options_;
  std::unique_ptr<char[]> buffer_;
  size_t used_ = 0;
  std::string utf8_;  // a line that needs converting
  bool failed_ = false;
};

// Page padding for a stream of lines, as the viewer pads its table: empty
// lines before each page start fill the page to the page length, and at the
// end of the file trailing blank lines give way to a gap line.
class PagePadder {
 public:
  PagePadder(Printer& printer, int32_t pageLength)
      : printer_(printer), numbering_(pageLength), pad_(pageLength > 0) {}

  // Returns the lines printed, padding included.
  int64_t Line(const LineEntry& entry, std::string_view text) {
    if (!pad_) {
      printer_.Line(entry, text);
      return 1;
    }
    if (IsBlank(text)) {  // kept back until a line that is not blank follows
      held_.push_back({entry, std::string(text)});
      return 0;
    }
    int64_t printed = 0;
    for (const Held& line : held_) printed += Emit(line.entry, line.text);
    held_.clear();
    return printed + Emit(entry, text);
  }

  // Lines [from, to) of a table; returns the lines printed, padding included.
  int64_t Lines(const LineTable& table, int32_t from, int32_t to) {
    if (!pad_) {
      printer_.Lines(table, from, to);
      return to - from;
    }
    int64_t printed = 0;
    for (int32_t i = from; i < to; ++i) {
      printed +=
          Line(table[i], std::string_view(table.TextOf(i), static_cast<size_t>(table[i].length)));
    }
    return printed;
  }

  // At the end of the file.
  int64_t End(int64_t fileLength) {
    if (!pad_) return 0;
    held_.clear();
    return Emit(LineEntry{fileLength - 1, 0, 0, 0, kPageGap}, std::string_view());
  }

 private:
  struct Held {
    LineEntry entry;
    std::string text;
  };
  static bool IsBlank(std::string_view text) {
    return text.find_first_not_of(" \t\n\v\f\r") == std::string_view::npos;
  }
  int64_t Emit(LineEntry entry, std::string_view text) {
    const int32_t padding = numbering_.PaddingBefore(entry);
    for (int32_t k = 0; k < padding; ++k) {
      printer_.Line(LineEntry{++lastOffset_, 0, 0, 0, 0}, std::string_view());
    }
    numbering_.AfterPadding(padding);
    numbering_.Number(entry);
    printer_.Line(entry, text);
    lastOffset_ = entry.offset;
    return padding + 1;
  }

  Printer& printer_;
  PageNumbering numbering_;
  bool pad_;
  std::vector<Held> held_;
  int64_t lastOffset_ = -1;
};

// The display options in force: the profile's, then the command line's.
struct DumpSettings {
  int format = kFormatText;
  FormatParams params;
  int32_t padPageLength = 0;
};

// `viewer` holds the settings as the viewer would read them.
DumpSettings LoadSettings(const DumpOptions& options, Settings& viewer) {
  if (!options.profile.empty()) {
    viewer.store =
        std::make_unique<ProfileStore>(MakeIniBackend(options.profile), 0, options.profile);
  } else {
    std::wstring path = BesideProgram(L"ZORVO.INI");
    ChooseProfile(viewer, path);
  }
  LoadStartupSettings(viewer, options.AsSwitches());
  FormatOptions& view = viewer.options;
  if (options.code) {
    // ANSI has no switch letter of its own.
    view.CharCode = *options.code;
  }
  if (options.carriageControl) {
    view.CCChar = *options.carriageControl;
    if (view.CCChar >= 3) view.CCName = options.userTable;
  }
  DeriveCodeBits(viewer);
  if (options.lineLength) view.MaxLineLength = *options.lineLength;
  if (options.tabLength && *options.tabLength > 0) view.TabLength = *options.tabLength;
  DumpSettings settings;
  settings.format = view.Format;
  settings.params.options = view.CurrentOptions;
  settings.params.lineLength = view.MaxLineLength;
  settings.params.tabLength = view.TabLength;
  settings.params.skipCounts = &ProfileSkipCounts(viewer, view.CurrentOptions, view.CCName);
  // The run-time bits the viewer adds before every rebuild.
  settings.padPageLength = options.padPageLength.value_or(viewer.globals.PadPageLength);
  if (options.pageGaps || viewer.globals.ShowPageGap) settings.params.options |= kOptPageGaps;
  if (settings.padPageLength > 0) settings.params.options |= kOptPagePadding;
  return settings;
}

void ShowOptions(const FormatOptions& view) {
  for (int i = 0; i < 3; ++i) std::printf("Options%d=%u\n", i, static_cast<unsigned>(view.Options[i]));
  std::printf("CurrentOptions=%u\n", static_cast<unsigned>(view.CurrentOptions));
  std::printf("Format=%d\nCharCode=%d\nCCChar=%d\nMaxLineLength=%d\nTabLength=%d\n", view.Format,
              view.CharCode, view.CCChar, view.MaxLineLength, view.TabLength);
  std::printf("CCName=%s\n", Utf8FromWide(view.CCName).c_str());
}

int Fail(const char* message) {
  std::fprintf(stderr, "zorvo-dump: %s\n", message);
  return 1;
}

int DumpForward(const DumpOptions& options, const DumpSettings& settings, Notifier& notifier) {
  FileRecord file{options.offset, 0, options.file};
  LineWalk walk(file, notifier, PlatformFileOpener(), settings.format, settings.params,
                options.offset, WalkPieces{kChunk, kStreamSlots, kStreamText});
  if (!walk.Allocate()) return Fail("not enough memory");
  Printer printer(options);
  PagePadder padder(printer, settings.padPageLength);
  int64_t remaining = options.lines;
  LineWalk::Result result;
  while (remaining != 0 && (result = walk.Next()) == LineWalk::kLines) {
    const LineTable& table = walk.Table();
    if (remaining < 0) {
      padder.Lines(table, 0, walk.Count());
      continue;
    }
    for (int32_t i = 0; i < walk.Count() && remaining != 0; ++i) {
      const int64_t printed = padder.Lines(table, i, i + 1);
      remaining = std::max<int64_t>(remaining - printed, 0);
    }
  }
  if (remaining != 0) {
    if (result == LineWalk::kReadError) return 1;
    if (result == LineWalk::kFormatError) return Fail("the line length is too short for a hex dump");
    padder.End(file.Flen);
  }
  if (!printer.Flush() || printer.failed()) return Fail("cannot write the output");
  return 0;
}

int DumpBackward(const DumpOptions& options, const DumpSettings& settings, Notifier& notifier) {
  const int32_t wanted =
      options.lines >= 0 && options.lines < kScreenLines ? static_cast<int32_t>(options.lines)
                                                         : kScreenLines - 1;
  FileRecord file{options.offset, 0, options.file};
  std::vector<unsigned char> buffer(kBackwardBlock);
  ReadRequest request{buffer.data(), kBackwardBlock, kBackwardBlock};
  ReadRequest result;
  const unsigned status = ReadBlock(file, request, result, notifier);
  if (status & kReadFailed) return 1;
  LineTable table(wanted + 1, static_cast<int32_t>(kBackwardBlock));
  const int64_t end = std::min<int64_t>(result.back, result.size);
  Block block{buffer.data(), result.size, end};
  LineCursor lines{table.entries(), table.Acnt, wanted};
  TextCursor text{table.chars(), table.Tlen, 0};
  const unsigned formatted =
      FormatterFor(settings.format)(block, lines, text, file.Fcur, Direction::kBackward,
                                    settings.params);
  if (formatted & kStatusFailed) return Fail("the line length is too short for a hex dump");
  Printer printer(options);
  for (int32_t i = lines.index; i < wanted; ++i) printer.Line(table, i);
  if (!printer.Flush() || printer.failed()) return Fail("cannot write the output");
  return 0;
}

// The screen table rebuilt around an offset, as the viewer rebuilds it when
// it goes to that offset, printed whole.
int DumpAround(const DumpOptions& options, const DumpSettings& settings, Notifier& notifier) {
  FileRecord file{0, 0, options.file};
  ReadRequest probe{nullptr, 0, 0};
  ReadRequest result;
  if (ReadBlock(file, probe, result, notifier) & kReadFailed) return 1;  // takes the length
  LineTable table(kScreenLines, kScreenText);
  table[0] = LineEntry{0, 0, -1, 0, 0};
  RebuildContext rebuild(file, notifier);
  ViewPosition view{rebuild, table, settings.format, settings.params, options.rows,
                    settings.padPageLength, false};
  const PositionOutcome outcome =
      Position(view, PositionMessage{PositionKind::kGotoOffsetReload, *options.around});
  if (outcome.status == kStatusLineTooShort) {
    return Fail("the line length is too short for a hex dump");
  }
  Printer printer(options);
  for (int32_t i = table.Afirst; i < table.Alast; ++i) printer.Line(table, i, i == table.Acur);
  if (!printer.Flush() || printer.failed()) return Fail("cannot write the output");
  return outcome.errorReport ? 1 : 0;
}

// How far a long search has come, on a terminal, paced as the viewer's
// searches are, so that measuring this tool measures theirs too.
class FindProgress : public PacedProgress {
 public:
  FindProgress()
      : PacedProgress({500, 50},
                      [] {
                        return std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                            .count();
                      }),
        terminal_(isatty(fileno(stderr)) != 0) {}
  ~FindProgress() override {
    if (terminal_ && shown()) std::fputs("\r     \r", stderr);
  }

 protected:
  void Show(int32_t percent) override {
    if (terminal_) std::fprintf(stderr, "\r%3d%%", static_cast<int>(percent));
  }
  bool StopAsked() override { return false; }

 private:
  bool terminal_;
};

// Offsets of matches, as Find Next and Mark All find them.
int DumpFind(const DumpOptions& options, const DumpSettings& settings, Notifier& notifier) {
  std::string pattern;
  if (options.hex) {
    const int parsed = ParseHexText(NarrowFromWide(*options.find), pattern);
    if (parsed < 0) {
      std::fprintf(stderr, "zorvo-dump: invalid hex digit at %d\n", -parsed);
      return 2;
    }
  } else {
    // Typed in the display code, searched for in the file's.
    pattern = NarrowFromWide(*options.find);
    SearchTextToFileCode(pattern, settings.params.options);
  }
  if (pattern.empty() || pattern.size() > kMaxPattern) {
    std::fprintf(stderr, "zorvo-dump: the search text must be 1 to %d bytes\n", kMaxPattern);
    return 2;
  }
  FileRecord file{0, 0, options.file};
  ReadRequest probe{nullptr, 0, 0};
  ReadRequest result;
  if (ReadBlock(file, probe, result, notifier) & kReadFailed) return 2;  // takes the length
  const bool caseSensitive = options.caseSensitive || options.hex;
  file.Fcur = options.from;
  char line[32];
  FindProgress progress;
  const int64_t found = FindAll(
      file, pattern, caseSensitive, notifier,
      [&](int64_t match) {
        const int n = std::snprintf(line, sizeof line, "%" PRId64 "\n", match);
        std::fwrite(line, 1, static_cast<size_t>(n), stdout);
        return options.all;
      },
      PlatformFileOpener(), SearchWork{kSearchBuffer, &progress});
  if (found < kNotFound) return 2;
  if (std::fflush(stdout) != 0) return Fail("cannot write the output");
  return found > 0 ? 0 : 1;
}

int Run(const std::vector<std::wstring>& args) {
  DumpOptions options;
  std::string error;
  if (!ParseDumpOptions(args, options, error)) {
    std::fprintf(stderr, "zorvo-dump: %s\n%s", error.c_str(), kDumpUsage);
    return 2;
  }
  if (options.help) {
    std::fputs(kDumpUsage, stdout);
    return 0;
  }
  Settings viewer;
  const DumpSettings settings = LoadSettings(options, viewer);
  if (options.showOptions) {
    ShowOptions(viewer.options);
    return 0;
  }
  StderrNotifier notifier;
  if (options.find) return DumpFind(options, settings, notifier);
  if (options.around) return DumpAround(options, settings, notifier);
  return options.backward ? DumpBackward(options, settings, notifier)
                          : DumpForward(options, settings, notifier);
}

}  // namespace
}  // namespace zorvo

#if defined(_WIN32)
int wmain(int argc, wchar_t** argv) {
  _setmode(_fileno(stdout), _O_BINARY);
  std::vector<std::wstring> args(argv + 1, argv + argc);
  return zorvo::Run(args);
}
#else
int main(int argc, char** argv) {
  std::vector<std::wstring> args;
  for (int i = 1; i < argc; ++i) args.push_back(zorvo::WideFromUtf8(argv[i]));
  return zorvo::Run(args);
}
#endif
