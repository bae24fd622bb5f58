// The Hex Dump formatter: an address column, the bytes in hex in groups of
// four, and their display characters.
#include <algorithm>
#include <cstring>

#include "viewer/file/code_tables.h"
#include "viewer/file/formatter.h"

namespace zorvo {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

struct HexLayout {
  int addressWidth;  // digits plus two spaces
  int groups;        // groups of four bytes per line
  int BytesPerLine() const { return 4 * groups; }
  int Width() const { return addressWidth + 13 * groups + 1; }
  int CharColumn() const { return addressWidth + 9 * groups + 1; }
};

// Writes one line showing `count` bytes from `src` at byte positions
// [first, first + count) of the line; the other positions stay blank.
// Returns the columns used.
int WriteLine(char* out, const HexLayout& layout, uint64_t address, const unsigned char* src,
              int first, int count, bool fullWidth, const CodeTable& code) {
  const int width = layout.Width();
  std::memset(out, ' ', static_cast<size_t>(width));
  const int digits = layout.addressWidth - 2;
  for (int k = digits - 1; k >= 0; --k) {
    out[k] = kHexDigits[address & 0xF];
    address >>= 4;
  }
  char* chars = out + layout.CharColumn();
  for (int j = first; j < first + count; ++j) {
    const unsigned char b = src[j - first];
    char* hex = out + layout.addressWidth + 2 * j + j / 4;
    hex[0] = kHexDigits[b >> 4];
    hex[1] = kHexDigits[b & 0xF];
    chars[j] = static_cast<char>(code[b]);
  }
  return fullWidth ? width : layout.CharColumn() + first + count;
}

}  // namespace

unsigned FormatHex(const Block& block, LineCursor& lines, TextCursor& text, int64_t fileOffset,
                   Direction direction, const FormatParams& params) {
  HexLayout layout{fileOffset <= 0x7FFFFFFF ? 10 : 12, 16};
  const int available = params.lineLength - layout.addressWidth;
  if (available < 14) return kStatusLineTooShort;
  while (layout.groups > 1 && 13 * layout.groups >= available) layout.groups /= 2;

  const CodeTable code = CodeTableFor(params.options);
  const int perLine = layout.BytesPerLine();
  const int width = layout.Width();
  const int64_t base = fileOffset - block.start;  // file offset of block index 0

  if (direction == Direction::kForward) {
    int64_t i = block.start;
    unsigned status = 0;
    while (lines.index < lines.count - 1 && text.capacity - text.end >= width) {
      if (i >= block.count || (!block.atFileEnd && block.count - i < perLine)) {
        // The file goes on: the next line is made whole from the next block.
        if (!block.atFileEnd) status = kStatusReadOn;
        break;
      }
      const int count = static_cast<int>(std::min<int64_t>(perLine, block.count - i));
      const int used = WriteLine(text.chars + text.end, layout, static_cast<uint64_t>(base + i),
                                 block.data + i, 0, count, false, code);
      lines.entries[lines.index++] =
          LineEntry{base + i, static_cast<uint32_t>(text.end), used, 0, 0};
      text.end += used;
      i += count;
    }
    if (lines.index < lines.count) lines.entries[lines.index] = LineEntry{base + i, 0, -1, 0, 0};
    return status;
  }

  // Backward: full-width lines, each beginning one line's bytes before the
  // one above it.
  int64_t lineStart = block.start;
  while (lines.index > 0 && text.capacity - text.end >= width) {
    lineStart -= perLine;
    const int64_t offset = base + lineStart;
    if (offset + perLine <= 0) break;  // nothing of the file left
    // A line reaching before the start of the file shows blanks there and
    // its address as the two's complement of its negative start.
    const int skip = offset < 0 ? static_cast<int>(-offset) : 0;
    if (lineStart + skip < 0) break;  // bytes before the block are not at hand
    const int64_t from = lineStart + skip;
    WriteLine(text.chars + text.end, layout, static_cast<uint64_t>(offset), block.data + from,
              skip, perLine - skip, true, code);
    lines.entries[--lines.index] =
        LineEntry{std::max<int64_t>(offset, 0), static_cast<uint32_t>(text.end), width, 0, 0};
    text.end += width;
    if (offset <= 0 || lineStart <= 0) break;
  }
  return 0;
}

}  // namespace zorvo
