// The Raw Text formatter: display lines of exactly the line length, with no
// regard for line ends, tabs or page breaks.
#include <algorithm>
#include <cstring>

#include "viewer/file/code_tables.h"
#include "viewer/file/display_copy.h"
#include "viewer/file/formatter.h"

namespace zorvo {

unsigned FormatRaw(const Block& block, LineCursor& lines, TextCursor& text, int64_t fileOffset,
                   Direction direction, const FormatParams& params) {
  const int32_t length = std::max(params.lineLength, 1);
  const DisplayCopy code(CodeTableFor(params.options));
  const int64_t base = fileOffset - block.start;  // file offset of block index 0
  auto show = [&](const unsigned char* src, int64_t count, char* out) {
    code.Copy(src, count, out);
  };

  if (direction == Direction::kForward) {
    int64_t i = block.start;
    unsigned status = 0;
    // The whole lines that the block, the slots and the text all have room
    // for are one run of bytes: their characters are copied in one go.
    const int64_t whole = std::max<int64_t>(
        0, std::min({(block.count - i) / length, int64_t{lines.count} - 1 - lines.index,
                     int64_t{text.capacity - text.end} / length}));
    show(block.data + i, whole * length, text.chars + text.end);
    for (int64_t k = 0; k < whole; ++k) {
      lines.entries[lines.index++] =
          LineEntry{base + i, static_cast<uint32_t>(text.end), length, 0, 0};
      text.end += length;
      i += length;
    }
    while (lines.index < lines.count - 1) {
      if (i >= block.count || (!block.atFileEnd && block.count - i < length)) {
        // The file goes on: the next line is made whole from the next block.
        if (!block.atFileEnd) status = kStatusReadOn;
        break;
      }
      const int32_t count = static_cast<int32_t>(std::min<int64_t>(length, block.count - i));
      if (text.capacity - text.end < count) break;
      show(block.data + i, count, text.chars + text.end);
      lines.entries[lines.index++] =
          LineEntry{base + i, static_cast<uint32_t>(text.end), count, 0, 0};
      text.end += count;
      i += count;
    }
    if (lines.index < lines.count) lines.entries[lines.index] = LineEntry{base + i, 0, -1, 0, 0};
    return status;
  }

  // Backward: each line begins a line length before the one above it; one
  // that reaches before the start of the file keeps the alignment with
  // blanks in front.
  int64_t lineStart = block.start;
  while (lines.index > 0 && text.capacity - text.end >= length) {
    lineStart -= length;
    const int64_t offset = base + lineStart;
    if (offset + length <= 0) break;  // nothing of the file left
    const int64_t skip = offset < 0 ? -offset : 0;
    if (lineStart + skip < 0) break;  // bytes before the block are not at hand
    char* out = text.chars + text.end;
    std::memset(out, ' ', static_cast<size_t>(skip));
    show(block.data + lineStart + skip, length - skip, out + skip);
    lines.entries[--lines.index] =
        LineEntry{std::max<int64_t>(offset, 0), static_cast<uint32_t>(text.end), length, 0, 0};
    text.end += length;
    if (offset <= 0) break;
  }
  return 0;
}

Formatter FormatterFor(int displayFormat) {
  static constexpr Formatter kFormatters[] = {FormatText, FormatHex, FormatRaw};
  return kFormatters[std::clamp<int>(displayFormat, kFormatText, kFormatRaw)];
}

}  // namespace zorvo
