// The three formatters that turn a block of file bytes into display lines,
// forward (toward the end of the file) or backward (toward its start).
#pragma once

#include <array>
#include <cstdint>

#include "viewer/file/line_table.h"

namespace zorvo {

enum DisplayFormat : int { kFormatText = 0, kFormatHex = 1, kFormatRaw = 2 };
enum class Direction : int { kForward = 1, kBackward = 2 };

// Options-word bits read by the formatters.
enum FormatBits : uint32_t {
  kOptWrap = 0x1,
  kOptFixedLength = 0x10,
  kOptExpandTabs = 0x20,
  kOptFormFeedPage = 0x200,  // a form feed at the start of a line is a page break
  kOptPageGaps = 0x800,
  kOptPagePadding = 0x1000,
  kOptCarriageControl = 0x2000,
  kOptCcAsa = 0x10000000,
  kOptCcIbm = 0x20000000,
  kOptCcUser = 0x40000000,
};

// Formatter status bits.
enum FormatStatus : unsigned {
  kStatusIncomplete = 0x2,
  kStatusTruncated = 0x4,
  kStatusFailed = 0x100,
  kStatusLineTooShort = 0x110,
  // Between the line model's own passes only, never returned by a rebuild:
  // the block ended before the pass was done (on a block that is not the
  // whole file). A forward pass reads on from its end entry, inside an input
  // line when one of the two bits below is also set; a backward pass reads
  // on before the lowest line it made, or, when it made none, the line
  // before the block's end starts before the block. A forward pass that
  // stopped for want of line slots or text leaves its end entry where the
  // next batch goes on, with the same two bits to say what is there.
  kStatusReadOn = 0x1000,
  kStatusReadOnContinued = 0x2000,  // at a display-line boundary of a wrapped line
  kStatusReadOnInTail = 0x4000,     // in the cut-off tail of a truncated line
  kStatusPassMask = 0x7000,
};

// Carriage control: lines to move for each control character.
using SkipCounts = std::array<unsigned char, 256>;
const SkipCounts& PlainSkipCounts();

// Where a block begins among the input lines, for the Text formatter; the
// Hex Dump and Raw Text formatters cut fixed lines and need none of this.
enum class BlockEdge : uint8_t {
  kLineStart,  // an input line begins there
  kContinued,  // a display line begins there inside an input line: no control
               // byte or form feed is read, and without wrap the line is cut
               // at the line length from there
  kInTail,     // inside the cut-off tail of a truncated line: skipped to its end
  kUnknown,    // anywhere (backward: index 0 of a block read before a position)
};

// The bytes read for a pass.
struct Block {
  const unsigned char* data = nullptr;
  int64_t count = 0;
  int64_t start = 0;  // index of the byte at which to start
  // A block that is not the end of the file makes the Text formatter stop
  // before an input line it cannot see whole (kStatusReadOn).
  bool atFileEnd = true;
  // Forward: what `start` is. Backward: what index 0 is (the start of the
  // file always begins a line).
  BlockEdge edge = BlockEdge::kLineStart;
};

// Where the formatter writes lines: forward from `index` upward, leaving it on
// the end entry it writes; backward downward from just below `index`, leaving
// it on the lowest line written.
struct LineCursor {
  LineEntry* entries = nullptr;
  int32_t count = 0;
  int32_t index = 0;
};

// Where the characters go: appended at `end`, never past `capacity`.
struct TextCursor {
  char* chars = nullptr;
  int32_t capacity = 0;
  int32_t end = 0;
  // For batches of a walk over the file: a forward pass stops before a line
  // the text might not hold whole, and before the text of an input line
  // whose spacing lines it made, so that the next batch makes it whole.
  bool wholeLines = false;
};

struct FormatParams {
  uint32_t options = 0;
  int32_t lineLength = 4096;
  int32_t tabLength = 8;
  const SkipCounts* skipCounts = nullptr;  // null: the plain table
};

using Formatter = unsigned (*)(const Block& block, LineCursor& lines, TextCursor& text,
                               int64_t fileOffset, Direction direction,
                               const FormatParams& params);

unsigned FormatText(const Block&, LineCursor&, TextCursor&, int64_t, Direction,
                    const FormatParams&);
unsigned FormatHex(const Block&, LineCursor&, TextCursor&, int64_t, Direction,
                   const FormatParams&);
unsigned FormatRaw(const Block&, LineCursor&, TextCursor&, int64_t, Direction,
                   const FormatParams&);

// The index of the first byte of the input line (the bytes between two line
// ends, as a forward pass pairs them) that holds byte `index` of `data`,
// looking back no further than index 0. `data[index]` must exist.
int64_t TextLineStart(const unsigned char* data, int64_t index);

// Where the Text formatter's display lines begin inside one input line.
// `from` is where the block's input line begins (`edge` says whether at its
// start or at a display-line boundary inside it); the walk looks at the
// block's bytes up to `limit`, the line's end or as far as the block shows
// it (`lineEnds` says which). Returns the index where the display line
// holding `target` begins, `from` when that is the first one. When the walk
// reaches `limit` first (the line goes on past the block), `more` is set
// and the result is the last boundary reached, from which to go on with a
// block that begins there (kContinued).
int64_t TextDisplayLineStart(const Block& block, int64_t from, BlockEdge edge, int64_t target,
                             int64_t limit, bool lineEnds, const FormatParams& params, bool& more);

// The formatter of a display format; values outside 0-2 are clamped.
Formatter FormatterFor(int displayFormat);

}  // namespace zorvo
