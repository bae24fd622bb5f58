// Fuzzes the rebuild of the line table and page padding. The first bytes
// choose the format, options, table size, rows, target and page length; the
// rest is the file, read through an opener that serves it from memory. The
// table must stay consistent, and in Text format hold exactly the lines a
// forward assembly of the whole file makes there.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "support/memory_file.h"
#include "viewer/file/rebuild.h"

namespace zorvo {
namespace {

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "rebuild invariant broken: %s\n", what);
    std::abort();
  }
}

struct Line {
  int64_t offset;
  uint32_t flags;
  std::string text;
  bool operator==(const Line&) const = default;
};

std::vector<Line> Lines(const LineTable& table, int32_t from, int32_t to) {
  std::vector<Line> lines;
  for (int32_t i = from; i < to; ++i) {
    lines.push_back({table[i].offset, table[i].flags,
                     std::string(table.TextOf(i), static_cast<size_t>(table[i].length))});
  }
  return lines;
}

SkipCounts Counts(uint8_t seed) {
  SkipCounts counts = PlainSkipCounts();
  counts['0'] = 2;
  counts['-'] = 3;
  counts['1'] = 255;
  counts['+'] = 0;
  // Counts of 0 to 3, as the built-in tables have. A larger count on a short
  // line gives its spacing lines offsets beyond the next line's start, and a
  // rebuild around those cannot be a slice of the whole file's lines.
  counts[seed] = static_cast<unsigned char>(seed % 4);
  return counts;
}

}  // namespace
}  // namespace zorvo

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zorvo;
  if (size < 8) return 0;
  const int format = data[0] % 3;
  FormatParams params;
  static const uint32_t kBits[] = {kOptWrap, kOptExpandTabs, kOptFormFeedPage, kOptPageGaps,
                                   kOptCarriageControl, 0x40, 0x80};
  for (int i = 0; i < 7; ++i) {
    if (data[1] & (1u << i)) params.options |= kBits[i];
  }
  params.lineLength = 24 + data[2] % 64;
  params.tabLength = 1 + data[3] % 12;
  const SkipCounts counts = Counts(data[4]);
  params.skipCounts = &counts;
  const int32_t slots = 4 + data[5] % 60;
  const int32_t rows = 1 + data[6] % 8;
  const int32_t pad = data[7] % 4 == 0 ? data[7] % 9 : 0;
  std::string bytes(reinterpret_cast<const char*>(data + 8), size - 8);
  const int64_t length = static_cast<int64_t>(bytes.size());
  const int64_t target = length == 0 ? 0 : (data[1] * 131 + data[3] * 7) % (length + 1);

  MemoryFile opener(bytes);
  RecordingNotifier notifier;
  FileRecord file{0, length, L"memory"};
  RebuildContext context(file, notifier, nullptr, &opener);
  // Mostly blocks of little more than four lines (a line takes at most a
  // quarter), so that lines cross the edges of the blocks a pass reads.
  if (data[0] & 0x80 || data[7] & 0x80) {
    context.piece = static_cast<uint32_t>(4 * params.lineLength) + (data[5] * 37u + data[6]) % 256;
  }
  LineTable table(slots, 1 << 16);
  table[0] = LineEntry{0, 0, -1, 0, 0};
  RebuildRequest request;
  request.target = target;
  request.rows = rows;
  request.format = format;
  request.params = params;
  const unsigned status = Rebuild(context, table, request);
  if (status & kStatusFailed) return 0;  // a line length too short for hex
  Check(0 <= table.Afirst && table.Afirst <= table.Alast && table.Alast < table.Acnt,
        "indices in order");
  Check(table.Afirst <= table.Acur && (table.Acur < table.Alast || table.Acur == table.Afirst),
        "the top line inside the table");
  Check(table[table.Alast].length == -1, "an end entry ends the table");
  for (int32_t i = table.Afirst; i < table.Alast; ++i) {
    Check(table[i].length >= 0 && table[i].text + table[i].length <= static_cast<uint32_t>(table.Tend),
          "line text inside the text used");
  }

  if (format == kFormatText) {
    // The same lines as a forward assembly of the whole file, also after a
    // scroll above the table, which anchors on the line a window below.
    LineTable whole(1 << 14, 1 << 20);
    Block block{reinterpret_cast<const unsigned char*>(bytes.data()), length, 0};
    LineCursor lines{whole.entries(), whole.Acnt, 0};
    TextCursor text{whole.chars(), whole.Tlen, 0};
    FormatText(block, lines, text, 0, Direction::kForward, params);
    const std::vector<Line> all = Lines(whole, 0, lines.index);
    auto isSlice = [&] {
      const std::vector<Line> shown = Lines(table, table.Afirst, table.Alast);
      bool found = shown.empty();
      for (size_t at = 0; !found && at + shown.size() <= all.size(); ++at) {
        found = std::equal(shown.begin(), shown.end(), all.begin() + static_cast<long>(at));
      }
      return found;
    };
    Check(isSlice(), "the table is a slice of the whole file's lines");
    if (table.Afirst < table.Alast && table[table.Afirst].offset > 0) {
      table.Acur = table.Afirst - 1 - data[7] % 4;
      request.target = -1;
      if (!(Rebuild(context, table, request) & kStatusFailed)) {
        Check(isSlice(), "a scroll above the table keeps it a slice of the whole file's lines");
      }
    }
  }

  if (pad > 0) {
    const int32_t current = table.Acur;
    const int64_t top = table[current].offset;
    // A blank line at the end of the file gives way to the gap line.
    const bool blankTop = current >= table.Alast || IsBlankLine(table, current);
    PadPages(table, pad, length);
    Check(0 <= table.Afirst && table.Afirst <= table.Alast && table.Alast < table.Acnt,
          "padded indices in order");
    Check(table[table.Alast].length == -1, "padding keeps an end entry");
    if (!blankTop && current < table.Alast) {
      Check(table[current].offset == top, "the current line stays put");
    }
  }
  return 0;
}
