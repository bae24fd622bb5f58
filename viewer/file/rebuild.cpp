#include "viewer/file/rebuild.h"

#include <algorithm>
#include <new>
#include <optional>
#include <vector>

#include "viewer/file/byte_scan.h"

namespace zorvo {

namespace {

constexpr uint32_t kProbe = 0x10000;  // most lines start within this much before a position

// Where a display line begins: a file offset, and what the bytes there are.
struct Place {
  int64_t offset;
  BlockEdge edge;
  // Found from the start of its input line; otherwise the line began beyond
  // the reach and the place was taken as it was asked for.
  bool anchored = true;
};

// One block as read.
struct Piece {
  int64_t first = 0;       // file offset of its index 0
  uint32_t count = 0;      // bytes read
  int64_t index = 0;       // index of the position it was read at
  bool atFileEnd = false;  // no byte of the file follows it
};

class Rebuilder {
 public:
  Rebuilder(RebuildContext& context, LineTable& table, const RebuildRequest& request)
      : c_(context), file_(context.file), table_(table), request_(request) {}

  // Reads `size` bytes at `at` (back = 0) or ending at `at` (back = size).
  unsigned Read(int64_t at, uint32_t size, int64_t back, Piece& piece) {
    // Never more than the block holds.
    size = std::min(size, c_.blockSize);
    back = std::min<int64_t>(back, size);
    file_.Fcur = at;
    ReadRequest read{c_.block.get(), size, back};
    ReadRequest result;
    const unsigned status = ReadBlock(file_, read, result, c_.notifier, Opener());
    if (status & kReadFailed) return status;
    piece.first = file_.Fcur - result.back;
    piece.count = result.size;
    piece.index = std::clamp<int64_t>(result.back, 0, result.size);
    piece.atFileEnd = piece.first + result.size >= file_.Flen;
    return 0;
  }

  // The start of the input line holding byte x, from blocks read back from
  // x; none when the line began more than the reach before x.
  unsigned FindLineStart(int64_t x, std::optional<int64_t>& start) {
    int64_t end = x + 1;  // each block ends here
    int64_t scanned = 0;
    uint32_t size = std::min(kProbe, c_.piece);
    for (bool first = true;; first = false) {
      Piece piece;
      const unsigned status = Read(end, size, size, piece);
      if (status & kReadFailed) return status;
      const unsigned char* d = c_.block.get();
      int64_t index;
      if (first) {
        if (piece.index < 1) return kStatusFailed;  // the file ended before x meanwhile
        int64_t at = piece.index - 1;
        // A Ctrl-Z that ends the file after a line end belongs to that line.
        if (x == file_.Flen - 1 && at > 0 && d[at] == kCtrlZ && IsLineEnd(d[at - 1])) --at;
        index = TextLineStart(d, at);
        if (piece.first > 0 && AlternatesFromBlockStart(d, at)) {
          // Which byte of a CR LF (or LF CR) pair x is depends on where the
          // run of alternating line ends began, before this block.
          const unsigned char head = d[0];
          const bool lf = d[at] == '\n';
          int64_t runStart;
          const unsigned found = AlternatingRunStart(piece.first, head, runStart);
          if (found & kReadFailed) return found;
          if (runStart < 0) {
            // The run began beyond the reach: its pairs are taken for CR LF,
            // by far the commoner.
            start = piece.first + at - (lf ? 1 : 0);
            return 0;
          }
          if (runStart < piece.first) {
            // Pairs begin at the run's start; the second byte of one belongs
            // to the empty line its first byte begins.
            start = piece.first + at - (piece.first + at - runStart) % 2;
            return 0;
          }
        }
      } else {
        // No line end follows in the later blocks: the line starts after the
        // last one here, however it pairs.
        index = FindLineStartBefore(d, 0, piece.index);
      }
      if (index > 0 || piece.first == 0) {
        start = piece.first + index;
        return 0;
      }
      scanned += end - piece.first;
      if (scanned >= c_.reach || piece.first >= end) {
        start.reset();
        return 0;
      }
      end = piece.first;
      size = static_cast<uint32_t>(std::min<int64_t>(c_.piece, c_.reach - scanned));
    }
  }

  // Whether d[at] ends a run of alternating CR and LF bytes that reaches
  // back to index 0 (and at least d[at - 1] belongs to it).
  static bool AlternatesFromBlockStart(const unsigned char* d, int64_t at) {
    if (at < 1 || !IsLineEnd(d[at])) return false;
    for (int64_t k = at; k > 0; --k) {
      if (!IsLineEnd(d[k - 1]) || d[k - 1] == d[k]) return false;
    }
    return true;
  }

  // Where the run of alternating CR and LF bytes that goes on at `from`
  // with the byte `head` begins, read back block after block; -1 when it
  // began further back than the reach.
  unsigned AlternatingRunStart(int64_t from, unsigned char head, int64_t& runStart) {
    runStart = from;
    int64_t scanned = 0;
    while (runStart > 0) {
      if (scanned >= c_.reach) {
        runStart = -1;
        return 0;
      }
      const auto size = static_cast<uint32_t>(std::min<int64_t>(c_.piece, c_.reach - scanned));
      Piece piece;
      const unsigned status = Read(runStart, size, size, piece);
      if (status & kReadFailed) return status;
      const unsigned char* d = c_.block.get();
      int64_t i = piece.index;
      while (i > 0 && IsLineEnd(d[i - 1]) && d[i - 1] != head) head = d[--i];
      scanned += runStart - piece.first;
      const int64_t reached = piece.first + i;
      if (i > 0 || reached >= runStart) {
        runStart = reached;
        return 0;
      }
      runStart = reached;
    }
    return 0;
  }

  // Where the display line holding byte x begins: at the start of its input
  // line, or, for a wrapped line, at the boundary of the display line that
  // holds x, found by laying the line out from its start. A line whose start
  // lies beyond the reach is shown from x.
  unsigned Locate(int64_t x, Place& place) {
    std::optional<int64_t> start;
    const unsigned found = FindLineStart(x, start);
    if (found & kStatusFailed) return found;
    if (!start) {
      place = {x, BlockEdge::kContinued, false};
      return 0;
    }
    place = {*start, BlockEdge::kLineStart};
    if (!(request_.params.options & kOptWrap)) return 0;
    int64_t walked = 0;
    for (;;) {
      Piece piece;
      const unsigned status = Read(place.offset, c_.piece, 0, piece);
      if (status & kReadFailed) return status;
      const unsigned char* d = c_.block.get();
      const int64_t usable = piece.atFileEnd ? piece.count : std::max<int64_t>(piece.count - 1, 0);
      const int64_t from = piece.index;
      const int64_t end = FindLineEnd(d, from, std::max(usable, from));
      const Block block{d, piece.count, from, piece.atFileEnd, place.edge};
      bool more = false;
      const int64_t t =
          TextDisplayLineStart(block, from, place.edge, x - piece.first, end,
                               end < usable || piece.atFileEnd, request_.params, more);
      const int64_t at = piece.first + t;
      if (!more) {
        if (at != place.offset) place = {at, BlockEdge::kContinued};
        return 0;
      }
      walked += at - place.offset;
      if (at <= place.offset || walked >= c_.reach) {
        place = {x, BlockEdge::kContinued, false};
        return 0;
      }
      place = {at, BlockEdge::kContinued};
    }
  }

  // The forward pass from `from`, block after block, writing from `index`.
  unsigned Forward(Place from, int32_t& index, int32_t capacity) {
    const int32_t first = index;
    unsigned status = 0;
    int64_t read = 0;
    int64_t tailOf = -1;  // where the truncated line whose rest is being skipped begins
    for (;;) {
      Piece piece;
      const unsigned got = Read(from.offset, c_.piece, 0, piece);
      if (got & kReadFailed) return status | got;
      const Block block{c_.block.get(), piece.count, piece.index, piece.atFileEnd, from.edge};
      // Hex and raw lines, too, stop before a line the block's end would
      // cut, unless the file ends there, and are read on.
      const unsigned made = Format(block, piece.first, Direction::kForward, index, capacity);
      status |= made & ~kStatusPassMask;
      if (made & kStatusFailed) return status;
      if (!(made & kStatusReadOn)) return status;
      const int64_t next = table_[index].offset;  // the end entry
      read += next - from.offset;
      if (next <= from.offset) return status;
      if ((made & kStatusReadOnInTail) && from.edge != BlockEdge::kInTail) {
        // A line longer than the block is always the first of its block.
        tailOf = from.edge == BlockEdge::kLineStart ? from.offset : -1;
      }
      if (read >= c_.reach) {
        if ((made & kStatusReadOnInTail) && tailOf > table_[first].offset) {
          // The pass ends in the skipped rest of a truncated line, so where
          // the next line begins is not known: the table ends before that
          // line, which is made again when the view comes to it.
          while (index > first && table_[index - 1].offset >= tailOf) --index;
          table_.Tend = static_cast<int32_t>(table_[index].text);
          table_[index] = LineEntry{tailOf, 0, -1, 0, 0};
        }
        return status;  // the table ends there
      }
      from = {next, (made & kStatusReadOnContinued) ? BlockEdge::kContinued
                    : (made & kStatusReadOnInTail)  ? BlockEdge::kInTail
                                                    : BlockEdge::kLineStart};
    }
  }

  // The backward pass ending at `to`, block before block, writing below
  // `index`; it reads no further back than the reach once it has made
  // `wanted` lines.
  unsigned Backward(int64_t to, int32_t& index, int32_t capacity, int32_t wanted = 0) {
    const int32_t below = index;
    unsigned status = 0;
    int64_t read = 0;
    while (to > 0 && index > 0 && (read < c_.reach || below - index < wanted)) {
      Piece piece;
      const unsigned got = Read(to, c_.piece, c_.piece, piece);
      if (got & kReadFailed) return status | got;
      const BlockEdge edge = piece.first == 0 ? BlockEdge::kLineStart : BlockEdge::kUnknown;
      const Block block{c_.block.get(), piece.count, piece.index, piece.atFileEnd, edge};
      const int32_t before = index;
      unsigned made = Format(block, piece.first, Direction::kBackward, index, capacity);
      status |= made & ~kStatusPassMask;
      if (made & kStatusFailed) return status;
      if (request_.format != kFormatText) {
        // Hex and raw lines stop at the start of the block: the lines
        // before them come from the block before.
        if (index == before) return status;
        made = kStatusReadOn;
      }
      if (!(made & kStatusReadOn)) return status;
      if (index == before) {
        // The line before `to` began before the block: its display lines
        // come from a block that begins where one of them begins.
        made = LongLineBackward(to, index, capacity);
        status |= made & ~kStatusPassMask;
        if ((made & kStatusFailed) || index == before) return status;
      }
      read += to - table_[index].offset;
      to = table_[index].offset;
    }
    return status;
  }

  // The display lines of the input line that ends at `to` and began more
  // than a block before it, nearest `to` first.
  unsigned LongLineBackward(int64_t to, int32_t& index, int32_t capacity) {
    const int64_t lineLength = request_.params.lineLength;
    const bool wrap = request_.params.options & kOptWrap;
    // A display line takes at most lineLength bytes of text, and the first
    // one of an input line also its control byte and its form feed, so the
    // one holding y begins inside the last block's worth of bytes before `to`.
    const int64_t widest = lineLength + 2;
    const int64_t y = std::max<int64_t>(to - c_.piece + widest, 0);
    Place place;
    const unsigned located = Locate(y, place);
    if (located & kStatusFailed) return located;
    if (!place.anchored && wrap) {
      // The line began beyond the reach and is shown from `to` on: the
      // display lines above end there, a line length apart.
      place.offset = to - (to - place.offset) / lineLength * lineLength;
    }
    if (place.offset >= to) return 0;
    Piece piece;
    unsigned got;
    if (wrap) {
      // All of it, or nothing: a block that began later would not begin a
      // display line.
      if (to - place.offset > c_.piece) return 0;
      const auto size = static_cast<uint32_t>(to - place.offset);
      got = Read(to, size, size, piece);
    } else {
      // One display line, the head of the line: cut at the line length.
      const auto size = static_cast<uint32_t>(std::min<int64_t>(c_.piece, to - place.offset));
      got = Read(place.offset, size, 0, piece);
      piece.index = piece.count;
      piece.atFileEnd = false;
    }
    if (got & kReadFailed) return got;
    const Block block{c_.block.get(), piece.count, piece.index, piece.atFileEnd, place.edge};
    return Format(block, piece.first, Direction::kBackward, index, capacity);
  }

  // Runs the formatter over a block whose index 0 lies at file offset `first`.
  unsigned Format(const Block& block, int64_t first, Direction direction, int32_t& index,
                  int32_t capacity) {
    LineCursor lines{table_.entries(), table_.Acnt, index};
    TextCursor text{table_.chars(), capacity, table_.Tend};
    const unsigned status = FormatterFor(request_.format)(block, lines, text, first + block.start,
                                                          direction, request_.params);
    index = lines.index;
    table_.Tend = text.end;
    return status;
  }

  FileOpener& Opener() { return c_.opener ? *c_.opener : PlatformFileOpener(); }

 private:
  RebuildContext& c_;
  FileRecord& file_;
  LineTable& table_;
  const RebuildRequest& request_;
};

}  // namespace

unsigned RefreshFileLength(RebuildContext& context) {
  ReadRequest probe{nullptr, 0, 0};
  ReadRequest result;
  FileOpener& opener = context.opener ? *context.opener : PlatformFileOpener();
  return ReadBlock(context.file, probe, result, context.notifier, opener) & kReadFailed;
}

namespace {

// The request as the passes take it, the block buffer and the file's length
// of now; 0x100 when the buffer or the file cannot be had.
unsigned Prepare(RebuildContext& context, RebuildRequest& request) {
  // Lines never take more than a quarter of a block, so that a block always
  // holds a few of them.
  context.piece = std::max<uint32_t>(context.piece, 64);
  request.format = std::clamp<int>(request.format, kFormatText, kFormatRaw);
  request.params.lineLength =
      std::clamp<int32_t>(request.params.lineLength, 1, static_cast<int32_t>(context.piece / 4));
  if (!context.block || context.blockSize != context.piece) {
    context.block.reset(new (std::nothrow) unsigned char[context.piece]);
    context.blockSize = context.block ? context.piece : 0;
    if (!context.block) return kStatusFailed;
  }
  // The file may have grown, shrunk or gone since the table was made.
  return RefreshFileLength(context);
}

}  // namespace

unsigned LocateDisplayLine(RebuildContext& context, const RebuildRequest& original, int64_t x,
                           int64_t& at, BlockEdge& edge) {
  RebuildRequest request = original;
  const unsigned prepared = Prepare(context, request);
  at = std::clamp<int64_t>(x, 0, context.file.Flen);
  edge = BlockEdge::kLineStart;
  if (prepared & kStatusFailed) return prepared;
  if (request.format != kFormatText || at == 0 || at >= context.file.Flen) return 0;
  LineTable none(1, 1);  // locating makes no lines
  Place place{at, BlockEdge::kLineStart};
  const unsigned located = Rebuilder(context, none, request).Locate(at, place);
  if (located & kStatusFailed) return located;
  at = place.offset;
  edge = place.edge;
  return 0;
}

unsigned Rebuild(RebuildContext& context, LineTable& table, const RebuildRequest& original) {
  RebuildRequest request = original;
  const unsigned length = Prepare(context, request);
  if (length & kStatusFailed) return length;
  FileRecord& file = context.file;

  const int32_t rows = std::clamp(request.rows, 1, table.Acnt - 1);
  int64_t target = request.target;
  bool up = false;
  int32_t above = 0;  // lines from the requested top line down to the anchor
  if (target < 0) {
    // Keep the line at Acur. After a scroll above the table the anchor is
    // the line a window below it, so that the lines before it come out of
    // the pass that goes first; in a table shorter than that (page padding
    // dropped the blank lines that end the file) it is the end entry.
    int32_t anchor = table.Acur;
    if (table.Acur < table.Afirst) {
      anchor = std::min(table.Acur + rows, table.Alast);
      // Hex and raw lines align on the anchor: on the end entry they would
      // align on the end of the file, not where the table had them.
      if (request.format != kFormatText && anchor == table.Alast && anchor > table.Afirst) --anchor;
      up = true;
    }
    if (anchor < table.Afirst || anchor > table.Alast) return kStatusFailed;
    above = anchor - table.Acur;
    target = table[anchor].offset;
  }
  target = std::clamp<int64_t>(target, 0, file.Flen);

  Rebuilder rebuilder(context, table, request);
  // Both passes begin where the display line that holds the target begins:
  // a text line is assembled from its true start, or from a boundary of its
  // display lines that both directions agree on; a byte inside a line is
  // never taken for a control character or a form feed.
  Place meet{target, BlockEdge::kLineStart};
  if (request.format == kFormatText && target > 0 && target < file.Flen) {
    const unsigned located = rebuilder.Locate(target, meet);
    if (located & kStatusFailed) return located;
  }

  int32_t start = (table.Acnt - rows) / 2;  // where the requested line lands
  bool forwardFirst = !up;
  if (up) start += rows;
  if (target >= file.Flen) {
    start = table.Acnt - 1;
    forwardFirst = false;
  } else if (target == 0) {
    start = 0;
    forwardFirst = true;
  }
  table.Acur = table.Afirst = table.Alast = start;
  table.Tend = 0;

  // The first pass leaves room in the text for the second, but never so
  // much that a display line of the widest kind no longer fits it.
  const int32_t reserve = static_cast<int32_t>(std::clamp<int64_t>(
      std::min<int64_t>(table.Tlen / 10, 3 * int64_t{request.params.lineLength}), 0,
      std::max<int64_t>(table.Tlen - request.params.lineLength, 0)));
  int32_t ahead = start;   // the forward pass's cursor
  int32_t behind = start;  // the backward pass's cursor
  unsigned status = 0;
  if (forwardFirst) {
    status |= rebuilder.Forward(meet, ahead, table.Tlen - reserve);
    if (!(status & kStatusFailed)) status |= rebuilder.Backward(meet.offset, behind, table.Tlen);
  } else {
    // The requested top line lies `above` lines before the anchor: a scroll
    // upward that did not get them would not move.
    status |= rebuilder.Backward(meet.offset, behind, table.Tlen - reserve, above);
    if (!(status & kStatusFailed)) status |= rebuilder.Forward(meet, ahead, table.Tlen);
  }
  if (status & kStatusFailed) return status;
  table.Alast = ahead;
  table.Afirst = behind;

  // The top line: the one that holds the target, or as far above it as
  // the requested line was above the anchor.
  int32_t at = start;
  while (at + 1 < table.Alast && table[at + 1].offset <= target) ++at;
  table.Acur = std::clamp(at - above, table.Afirst, std::max(table.Afirst, table.Alast - 1));
  if (context.marks) context.marks->MarkLines(table);
  return status;
}

// ---------------------------------------------------------- page padding ----

int32_t PageNumbering::PaddingBefore(const LineEntry& line) const {
  if (!(line.flags & (kPageBreak | kPageGap))) return 0;
  return previous_ > 0 && previous_ < pageLength_ ? pageLength_ - previous_ : 0;
}

int32_t PageNumbering::Number(const LineEntry& line) {
  if (line.offset == 0 || (line.flags & kPageBreak)) {
    previous_ = 1;
  } else if (line.flags & kPageGap) {
    previous_ = 0;
  } else if (previous_ >= 0) {
    ++previous_;
  }
  return previous_;
}

bool IsBlankLine(const LineTable& table, int32_t index) {
  const LineEntry& line = table[index];
  const char* text = table.TextOf(index);
  for (int32_t i = 0; i < line.length; ++i) {
    const char c = text[i];
    if (c != ' ' && c != '\t' && c != '\n' && c != '\v' && c != '\f' && c != '\r') return false;
  }
  return true;
}

void PadPages(LineTable& table, int32_t pageLength, int64_t fileLength) {
  if (pageLength <= 0 || table.Alast < table.Afirst) return;
  // At the end of the file, blank lines are dropped and a gap line closes
  // the last page.
  if (table[table.Alast].offset >= fileLength) {
    int32_t keep = table.Alast;
    while (keep > table.Afirst && IsBlankLine(table, keep - 1)) --keep;
    const bool dropped = keep < table.Alast;
    if (dropped || table.Alast < table.Acnt - 1) {
      // An empty file has no last byte: its gap line stands at offset 0.
      table[keep] = LineEntry{std::max<int64_t>(fileLength - 1, 0), 0, 0, 0, kPageGap};
      table[keep + 1] = LineEntry{fileLength, 0, -1, 0, 0};
      table.Alast = keep + 1;
      table.Acur = std::min(table.Acur, std::max(table.Afirst, table.Alast - 1));
    }
  }

  // Number and pad into a new sequence, then lay it back so that the line
  // at Acur keeps its index. Only Acnt - 1 lines around it fit the table, so
  // no more are made, however long the pages.
  const size_t window = static_cast<size_t>(table.Acnt);
  const size_t after = static_cast<size_t>(table.Acnt - table.Acur);  // from Acur to the end slot
  std::vector<LineEntry> lines;
  lines.reserve(std::min<size_t>(static_cast<size_t>(table.Alast - table.Afirst), window) + 64);
  PageNumbering numbering(pageLength);
  std::optional<size_t> current;
  auto room = [&]() -> int64_t {  // lines still wanted
    if (!current) return INT64_MAX;
    return static_cast<int64_t>(*current + after + 1) - static_cast<int64_t>(lines.size());
  };
  auto trim = [&] {  // before the current line only the last `window` can stay
    if (!current && lines.size() > 2 * window) {
      lines.erase(lines.begin(), lines.end() - static_cast<ptrdiff_t>(window));
    }
  };
  for (int32_t i = table.Afirst; i < table.Alast && room() > 0; ++i) {
    LineEntry line = table[i];
    const int32_t padding = numbering.PaddingBefore(line);
    if (padding > 0) {
      // Padding line k (from 0) takes the offset of the line before the
      // padding + k + 1. Before the current line the last ones are kept,
      // after it the first.
      const int64_t before = lines.empty() ? table[std::max(i - 1, 0)].offset : lines.back().offset;
      int64_t first = 0;
      int64_t count = padding;
      if (current) {
        count = std::min<int64_t>(padding, room());
      } else if (static_cast<size_t>(padding) > window) {
        first = padding - static_cast<int64_t>(window);
        count = static_cast<int64_t>(window);
      }
      for (int64_t k = first; k < first + count; ++k) {
        lines.push_back(
            LineEntry{before + k + 1, 0, 0, static_cast<int32_t>(numbering.previous() + k + 1), 0});
      }
      numbering.AfterPadding(padding);
      trim();
      if (room() <= 0) break;
    }
    if (i == table.Acur) current = lines.size();
    line.pageLine = numbering.Number(line);
    lines.push_back(line);
    trim();
  }
  LineEntry end = table[table.Alast];
  if (!current) current = lines.size();

  int64_t first = int64_t{table.Acur} - static_cast<int64_t>(*current);
  size_t skip = 0;
  if (first < 0) {  // pushed below the first slot: the earliest lines are lost
    skip = static_cast<size_t>(-first);
    first = 0;
  }
  int32_t slot = static_cast<int32_t>(first);
  for (size_t k = skip; k < lines.size() && slot < table.Acnt - 1; ++k) table[slot++] = lines[k];
  if (skip + static_cast<size_t>(slot - first) < lines.size()) {
    // Lines pushed past the last slot are lost; that slot ends the table.
    end = lines[skip + static_cast<size_t>(slot - first)];
    end.length = -1;
    end.text = 0;
  }
  table[slot] = end;
  table.Afirst = static_cast<int32_t>(first);
  table.Alast = slot;
}

}  // namespace zorvo
