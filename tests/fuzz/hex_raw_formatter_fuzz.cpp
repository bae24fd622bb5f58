// Fuzzes the Hex Dump and Raw Text formatters. The first bytes choose the
// format, options, line length, direction, table and file offset; the rest is
// the block. Any broken invariant aborts.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "viewer/file/code_tables.h"
#include "support/fuzz_support.h"
#include "viewer/file/formatter.h"
#include "viewer/file/scan_path.h"

namespace zorvo {
namespace {

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "hex/raw formatter invariant broken: %s\n", what);
    std::abort();
  }
}

// The layout the formatter must choose: bytes per line and full line width;
// 0 bytes when the line length is too short for a hex dump.
struct Layout {
  int32_t perLine = 0;
  int32_t width = 0;
  int32_t address = 0;  // hex: address digits plus two spaces
};

Layout LayoutFor(int format, int32_t lineLength, int64_t fileOffset) {
  if (format == kFormatRaw) {
    const int32_t length = std::max(lineLength, 1);
    return {length, length, 0};
  }
  const int32_t address = fileOffset <= 0x7FFFFFFF ? 10 : 12;
  if (lineLength - address < 14) return {};
  int32_t groups = 16;
  while (groups > 1 && 13 * groups >= lineLength - address) groups /= 2;
  return {4 * groups, address + 13 * groups + 1, address};
}

constexpr char kHex[] = "0123456789ABCDEF";

// The characters a forward line must hold for the bytes [from, from + count).
void CheckContent(int format, const Layout& layout, const CodeTable& code, int64_t offset,
                  const unsigned char* bytes, int32_t count, const char* text, int32_t length) {
  if (format == kFormatRaw) {
    Check(length == count, "a raw line shows each of its bytes");
    for (int32_t k = 0; k < count; ++k) {
      Check(text[k] == static_cast<char>(code[bytes[k]]), "raw character differs from its byte");
    }
    return;
  }
  const int32_t digits = layout.address - 2;
  auto address = static_cast<uint64_t>(offset);
  for (int32_t k = digits - 1; k >= 0; --k, address >>= 4) {
    Check(text[k] == kHex[address & 0xF], "hex address differs from the offset");
  }
  const int32_t charColumn = layout.address + 9 * (layout.perLine / 4) + 1;
  Check(length == charColumn + count, "a partial hex line ends after its last character");
  for (int32_t j = 0; j < count; ++j) {
    const char* hex = text + layout.address + 2 * j + j / 4;
    Check(hex[0] == kHex[bytes[j] >> 4] && hex[1] == kHex[bytes[j] & 0xF],
          "hex digits differ from the byte");
    Check(text[charColumn + j] == static_cast<char>(code[bytes[j]]),
          "hex character column differs from the byte");
  }
}

// The lines of one pass, kept in its table: entries [from, to) in file order.
struct Pass {
  GuardedTable table;
  int32_t from = 0;
  int32_t to = 0;
  unsigned status = 0;

  int32_t size() const { return to - from; }
};

// Same offsets, flags and characters, line by line.
bool SameLines(const Pass& a, const Pass& b) {
  if (a.size() != b.size()) return false;
  for (int32_t k = 0; k < a.size(); ++k) {
    const LineEntry& x = a.table.entries()[a.from + k];
    const LineEntry& y = b.table.entries()[b.from + k];
    if (x.offset != y.offset || x.flags != y.flags || x.length != y.length ||
        std::memcmp(a.table.chars() + x.text, b.table.chars() + y.text, x.length) != 0) {
      return false;
    }
  }
  return true;
}

Pass Run(int format, const Block& block, int64_t fileOffset, Direction dir,
         const FormatParams& params, int32_t slots, int32_t firstIndex, int32_t capacity) {
  Pass pass{GuardedTable(slots, capacity)};
  GuardedTable& table = pass.table;
  LineCursor lines{table.entries(), slots, firstIndex};
  TextCursor text{table.chars(), capacity, 0};
  pass.status = FormatterFor(format)(block, lines, text, fileOffset, dir, params);
  Check(table.GuardIntact(), "text written past the capacity");
  Check(text.end >= 0 && text.end <= capacity, "text end outside the buffer");

  const Layout layout = LayoutFor(format, params.lineLength, fileOffset);
  if (layout.perLine == 0) {
    Check(pass.status == kStatusLineTooShort, "too short a line length is reported");
    Check(lines.index == firstIndex && text.end == 0, "a failed pass makes nothing");
    Check(table.Untouched(0, slots), "a failed pass writes no slot");
    return pass;
  }
  Check(pass.status == 0, "hex and raw passes report nothing");

  const CodeTable code = CodeTableFor(params.options);
  const int64_t base = fileOffset - block.start;  // file offset of block index 0
  if (dir == Direction::kForward) {
    Check(lines.index >= firstIndex && lines.index < slots, "forward cursor out of range");
    Check(table.Untouched(0, firstIndex) && table.Untouched(lines.index + 1, slots),
          "slot outside the pass written");
    int64_t at = fileOffset;
    for (int32_t i = firstIndex; i < lines.index; ++i) {
      const LineEntry& e = table.entries()[i];
      Check(e.length >= 0 && e.length <= layout.width, "line length outside 0 to the width");
      Check(static_cast<int64_t>(e.text) + e.length <= text.end, "line text beyond the text used");
      Check(e.offset == at, "forward lines follow each other by a line's bytes");
      const auto count =
          static_cast<int32_t>(std::min<int64_t>(layout.perLine, base + block.count - at));
      Check(count > 0, "a forward line past the block");
      CheckContent(format, layout, code, e.offset, block.data + (at - base), count,
                   table.chars() + e.text, e.length);
      at += count;
    }
    pass.from = firstIndex;
    pass.to = lines.index;
    const LineEntry& end = table.entries()[lines.index];
    Check(end.length == -1, "forward passes end on the end entry");
    Check(end.offset == at, "the end entry holds the first byte not shown");
    const bool room = lines.index < slots - 1 && capacity - text.end >= layout.width;
    if (room) Check(at == base + block.count, "a pass with room left stopped early");
    return pass;
  }

  Check(lines.index >= 0 && lines.index <= firstIndex, "backward cursor out of range");
  Check(table.Untouched(0, lines.index) && table.Untouched(firstIndex, slots),
        "slot outside the pass written");
  for (int32_t i = lines.index; i < firstIndex; ++i) {
    const LineEntry& e = table.entries()[i];
    Check(e.length == layout.width, "backward lines are full width");
    Check(static_cast<int64_t>(e.text) + e.length <= text.end, "line text beyond the text used");
    // Each line begins a line's bytes before the one above it; only the
    // lowest may reach before the start of the file, and shows as offset 0.
    const int64_t start = fileOffset - static_cast<int64_t>(firstIndex - i) * layout.perLine;
    Check(e.offset == std::max<int64_t>(start, 0), "backward line at the wrong offset");
    Check(start >= 0 || i == lines.index, "only the lowest line reaches before the file");
    Check(start + layout.perLine > 0, "a line wholly before the file");
    Check(e.offset >= base, "a line begins before the block");
    if (i > lines.index) {
      Check(table.entries()[i - 1].offset < e.offset, "backward lines in ascending order");
    }
    if (format == kFormatRaw) {
      const int64_t skip = start < 0 ? -start : 0;
      const char* t = table.chars() + e.text;
      for (int64_t k = 0; k < skip; ++k) Check(t[k] == ' ', "blanks before the file start");
      CheckContent(format, layout, code, e.offset, block.data + (e.offset - base),
                   static_cast<int32_t>(layout.perLine - skip), t + skip,
                   static_cast<int32_t>(e.length - skip));
    }
  }
  pass.from = lines.index;
  pass.to = firstIndex;
  return pass;
}

// From a line boundary, backward lines are the forward ones.
void CheckDirectionsAgree(int format, const unsigned char* data, int64_t n,
                          const FormatParams& params) {
  const Layout layout = LayoutFor(format, params.lineLength, 0);
  if (layout.perLine == 0) return;
  const int64_t s = n / layout.perLine * layout.perLine;
  const auto count = static_cast<int32_t>(s / layout.perLine);
  const int32_t capacity = (count + 1) * layout.width;
  const Pass fwd =
      Run(format, Block{data, s, 0}, 0, Direction::kForward, params, count + 2, 0, capacity);
  Check(fwd.size() == count, "forward made a line per line's bytes");
  const Pass back = Run(format, Block{data, n, s}, s, Direction::kBackward, params, count + 1,
                        count + 1, capacity);
  Check(SameLines(back, fwd), "backward lines differ from forward lines");
}

}  // namespace
}  // namespace zorvo

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zorvo;
  Reader in{data, size};
  const uint8_t bits = in.Byte();
  const uint8_t choice = in.Byte();
  const uint8_t lengthLow = in.Byte();
  const uint8_t lengthHigh = in.Byte();
  const uint8_t slotByte = in.Byte();
  const uint8_t capacityByte = in.Byte();
  const uint8_t startLow = in.Byte();
  const uint8_t startHigh = in.Byte();
  const uint8_t cursorByte = in.Byte();
  const uint8_t offsetByte = in.Byte();

  const int format = (choice & 1) ? kFormatRaw : kFormatHex;
  FormatParams params;
  // Only the character code bits matter here; the rest must change nothing.
  params.options = static_cast<uint32_t>(bits) << 4 | (bits & kOptWrap);
  params.lineLength = (lengthLow | lengthHigh << 8) % 300 + 1;

  const Direction dir = (choice & 2) ? Direction::kBackward : Direction::kForward;
  const int32_t slots = (choice & 4) ? kScreenLines : 1 + slotByte % 32;
  const int32_t capacity = (choice & 8) ? kScreenText : capacityByte * 4;
  int64_t base = 0;  // file offset of the block's first byte
  switch ((choice >> 4) & 3) {
    case 0:
      break;
    case 1:
      base = offsetByte * 7;
      break;
    case 2:
      base = 0x7FFFFF00LL + offsetByte;
      break;  // addresses change width near here
    default:
      base = (int64_t{offsetByte} << 32) + 0x10;
      break;
  }

  const auto* block = reinterpret_cast<const unsigned char*>(in.data);
  const auto n = static_cast<int64_t>(in.size);
  const int64_t start = (startLow | startHigh << 8) % (n + 1);
  const int32_t firstIndex =
      dir == Direction::kForward ? cursorByte % slots : slots - cursorByte % (slots + 1);
  const Block cut{block, n, start};
  const Pass best = Run(format, cut, base + start, dir, params, slots, firstIndex, capacity);
  // The plain way of copying, a byte at a time, makes the very same lines.
  detail::SetScanPath(detail::ScanPath::kPlain);
  const Pass plain = Run(format, cut, base + start, dir, params, slots, firstIndex, capacity);
  detail::SetScanPath(detail::ScanPath::kBest);
  Check(SameLines(best, plain) && best.status == plain.status, "the plain way made other lines");

  CheckDirectionsAgree(format, block, n, params);
  return 0;
}
