// The reference the piecewise paths are held to: every display line of a
// file from one forward pass over all of it in one block, and random files
// and option sets that make those paths cross their pieces' edges.
#pragma once

#include <random>
#include <string>
#include <vector>

#include "viewer/file/carriage_control.h"
#include "viewer/file/code_tables.h"
#include "viewer/file/formatter.h"
#include "viewer/file/line_table.h"

namespace zorvo {

struct ShownLine {
  int64_t offset;
  uint32_t flags;
  std::string text;
  bool operator==(const ShownLine&) const = default;
};

// From byte `from` on, taken as the start of a line. The table grows until
// it holds every line.
inline std::vector<ShownLine> WholePass(const std::string& bytes, int format,
                                        const FormatParams& params, int64_t from = 0) {
  const Block block{reinterpret_cast<const unsigned char*>(bytes.data()),
                    static_cast<int64_t>(bytes.size()), from};
  for (int32_t slots = 1 << 10, chars = 1 << 16;; slots *= 4, chars *= 4) {
    LineTable table(slots, chars);
    LineCursor lines{table.entries(), slots, 0};
    TextCursor text{table.chars(), table.Tlen, 0};
    FormatterFor(format)(block, lines, text, from, Direction::kForward, params);
    if (table[lines.index].offset < block.count && slots < (1 << 24)) continue;
    std::vector<ShownLine> shown;
    for (int32_t i = 0; i < lines.index; ++i) {
      shown.push_back(
          {table[i].offset, table[i].flags, std::string(table.TextOf(i), table[i].length)});
    }
    return shown;
  }
}

// A file and the way it is shown.
struct RandomCase {
  std::string bytes;
  int format = kFormatText;
  FormatParams params;
};

// Lines of random length (some longer than any piece) with every kind of
// line end, CR LF pairs, tabs, form feeds and carriage-control bytes, shown
// in one of the three formats with a random option set and character code.
inline RandomCase MakeRandomCase(std::mt19937& random) {
  static const char kFirst[] = " 01-+\f1";
  static const char* const kEnds[] = {"\r\n", "\n", "\r", "\n\r", "\r\n", "\r\n"};
  RandomCase c;
  const int lines = 20 + static_cast<int>(random() % 400);
  for (int i = 0; i < lines; ++i) {
    c.bytes += kFirst[random() % 7];
    if (random() % 9 == 0) c.bytes += '\f';
    const int length = random() % 20 == 0 ? static_cast<int>(random() % 700)
                                          : static_cast<int>(random() % 40);
    for (int k = 0; k < length; ++k) {
      const unsigned r = random() % 40;
      c.bytes += r == 0 ? '\t' : r == 1 ? static_cast<char>(0xC1) : static_cast<char>('a' + r % 26);
    }
    c.bytes += kEnds[random() % 6];
  }
  if (random() % 3 == 0) c.bytes.pop_back();  // no last line end, or half a pair
  if (random() % 4 == 0) c.bytes += '\x1a';    // the end-of-file mark some files carry
  c.format = random() % 5 < 3 ? kFormatText : 1 + static_cast<int>(random() % 2);
  uint32_t options = kOptFormFeedPage;
  if (random() % 2) options |= kOptWrap;
  if (random() % 3 == 0) options |= kOptExpandTabs;
  if (random() % 4 == 0) options |= kOptEbcdic;
  if (random() % 4 == 0) options |= kOptPageGaps;
  switch (random() % 3) {
    case 0:
      options |= kOptCarriageControl | kOptCcAsa;
      c.params.skipCounts = &AsaSkipCounts();
      break;
    case 1:
      options |= kOptCarriageControl | kOptCcIbm;
      c.params.skipCounts = &IbmSkipCounts();
      break;
    default:
      break;
  }
  c.params.options = options;
  c.params.lineLength = c.format == kFormatHex ? 40 + static_cast<int>(random() % 60)
                                               : 6 + static_cast<int>(random() % 30);
  c.params.tabLength = 1 + static_cast<int>(random() % 8);
  return c;
}

}  // namespace zorvo
