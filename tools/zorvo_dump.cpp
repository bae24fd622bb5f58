// zorvo-dump: prints the display lines the viewer assembles for a file, one
// per output line. Reads block by block through the viewer's own reader, so
// a file of any size streams in constant memory.
#include <cinttypes>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "common/wide_text.h"
#include "dump_options.h"
#include "viewer/file/byte_scan.h"
#include "viewer/file/file_reader.h"
#include "viewer/file/formatter.h"
#include "viewer/file/line_table.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
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

constexpr uint32_t kChunk = 1 << 20;          // bytes formatted per forward step
constexpr int32_t kStreamSlots = kChunk + 2;  // enough for a line per byte
constexpr int32_t kStreamText = 8 << 20;
constexpr uint32_t kBackwardBlock = 16 << 20;

class Printer {
 public:
  explicit Printer(const DumpOptions& options) : options_(options) { out_.reserve(kFlushAt + 8192); }
  ~Printer() { Flush(); }

  void Line(const LineTable& table, int32_t i) {
    const LineEntry& entry = table[i];
    if (options_.showOffsets) {
      char prefix[48];
      const int n = std::snprintf(prefix, sizeof prefix, "%" PRId64 "\t%X\t", entry.offset,
                                  static_cast<unsigned>(entry.flags));
      out_.append(prefix, static_cast<size_t>(n));
    }
    std::string_view text(table.TextOf(i), static_cast<size_t>(entry.length));
    if (options_.bytes) {
      out_.append(text);
    } else {
      out_.append(Utf8FromWindows1252(text));
    }
    out_.push_back('\n');
    if (out_.size() >= kFlushAt) Flush();
  }

  bool Flush() {
    if (!out_.empty() && std::fwrite(out_.data(), 1, out_.size(), stdout) != out_.size()) {
      failed_ = true;
    }
    out_.clear();
    return !failed_;
  }
  bool failed() const { return failed_ || std::ferror(stdout); }

 private:
  static constexpr size_t kFlushAt = 1 << 20;
  const DumpOptions& options_;
  std::string out_;
  bool failed_ = false;
};

FormatParams ParamsOf(const DumpOptions& options) {
  FormatParams params;
  params.options = options.OptionsWord();
  params.lineLength = options.lineLength;
  params.tabLength = options.tabLength > 0 ? options.tabLength : 8;
  return params;
}

// The end of the last whole display line in [start, count), so that no line
// is cut where the block happens to end; `count` when there is none.
int64_t CleanEnd(const DumpOptions& options, const unsigned char* d, int64_t start, int64_t count,
                 int64_t fileOffset) {
  if (options.format == kFormatText) {
    // After a line end that a text byte follows, the pairing of CR and LF is
    // settled and no Ctrl-Z rule applies.
    for (int64_t k = count - 3; k >= start; --k) {
      if (IsLineEnd(d[k]) && !IsLineEnd(d[k + 1])) return k + 1;
    }
    return count;
  }
  int64_t perLine = options.lineLength;
  if (options.format == kFormatHex) {
    const int address = fileOffset <= 0x7FFFFFFF ? 10 : 12;
    int groups = 16;
    while (groups > 1 && 13 * groups >= options.lineLength - address) groups /= 2;
    perLine = 4 * groups;
  }
  const int64_t whole = (count - start) / perLine * perLine;
  return whole > 0 ? start + whole : count;
}

int Fail(const char* message) {
  std::fprintf(stderr, "zorvo-dump: %s\n", message);
  return 1;
}

int DumpForward(const DumpOptions& options, Notifier& notifier) {
  FileRecord file{options.offset, 0, options.file};
  std::unique_ptr<unsigned char[]> buffer(new unsigned char[kChunk]);
  LineTable table(kStreamSlots, kStreamText);
  const FormatParams params = ParamsOf(options);
  const Formatter format = FormatterFor(options.format);
  Printer printer(options);
  int64_t remaining = options.lines;
  int64_t position = options.offset;
  for (;;) {
    file.Fcur = position;
    ReadRequest request{buffer.get(), kChunk, 0};
    ReadRequest result;
    const unsigned status = ReadBlock(file, request, result, notifier);
    if (status & kReadFailed) return 1;
    position = file.Fcur;  // clamped to the length
    if (result.size == 0 || result.back >= result.size) break;
    const int64_t blockStart = file.Fcur - result.back;
    const bool atEnd = blockStart + result.size >= file.Flen;
    Block block{buffer.get(), result.size, result.back};
    if (!atEnd) block.count = CleanEnd(options, buffer.get(), block.start, block.count, position);

    LineCursor lines{table.entries(), table.Acnt, 0};
    TextCursor text{table.chars(), table.Tlen, 0};
    const unsigned formatted = format(block, lines, text, position, Direction::kForward, params);
    if (formatted & kStatusFailed) return Fail("the line length is too short for a hex dump");
    for (int32_t i = 0; i < lines.index && remaining != 0; ++i) {
      printer.Line(table, i);
      if (remaining > 0) --remaining;
    }
    if (remaining == 0) break;
    const int64_t next = table[lines.index].offset;
    if (next <= position) return Fail("cannot make progress in the file");
    position = next;
  }
  if (!printer.Flush() || printer.failed()) return Fail("cannot write the output");
  return 0;
}

int DumpBackward(const DumpOptions& options, Notifier& notifier) {
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
      FormatterFor(options.format)(block, lines, text, file.Fcur, Direction::kBackward,
                                   ParamsOf(options));
  if (formatted & kStatusFailed) return Fail("the line length is too short for a hex dump");
  Printer printer(options);
  for (int32_t i = lines.index; i < wanted; ++i) printer.Line(table, i);
  if (!printer.Flush() || printer.failed()) return Fail("cannot write the output");
  return 0;
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
  StderrNotifier notifier;
  return options.backward ? DumpBackward(options, notifier) : DumpForward(options, notifier);
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
