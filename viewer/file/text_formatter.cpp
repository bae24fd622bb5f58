// The Text formatter: cuts a block at its line ends into display lines, with
// wrapping or truncation at the line length, tab expansion, form-feed page
// breaks and carriage control.
//
// Both directions share one routine that lays out a single input line (the
// bytes between two line ends) as a sequence of display lines, so lines
// assembled backward are the very lines a forward pass makes.
#include <algorithm>
#include <optional>
#include <vector>

#include "viewer/file/byte_scan.h"
#include "viewer/file/code_tables.h"
#include "viewer/file/display_copy.h"
#include "viewer/file/formatter.h"

namespace zorvo {

const SkipCounts& PlainSkipCounts() {
  static const SkipCounts table = [] {
    SkipCounts t;
    t.fill(1);
    return t;
  }();
  return table;
}

namespace {

constexpr unsigned char kFormFeed = 12;
constexpr int kNewPage = 255;

// A display line before its characters are written: the block bytes
// [from, to) are shown from column 0.
struct Piece {
  int64_t offset;
  uint32_t flags;
  int64_t from;
  int64_t to;
  bool continued = false;  // a display line after the first of its input line
  bool lead = false;       // a spacing or gap line before the text of its input line
};

class TextAssembler {
 public:
  TextAssembler(const Block& block, int64_t fileOffset, const FormatParams& params)
      : d_(block.data),
        base_(fileOffset - block.start),
        code_(CodeTableFor(params.options)),
        skip_(params.skipCounts ? *params.skipCounts : PlainSkipCounts()),
        lineLength_(std::max(params.lineLength, 1)),
        tabLength_(std::clamp(params.tabLength, 1, 255)),
        wrap_(params.options & kOptWrap),
        expandTabs_(params.options & kOptExpandTabs),
        carriageControl_(params.options & kOptCarriageControl),
        formFeedPage_(params.options & kOptFormFeedPage),
        pageGaps_(params.options & kOptPageGaps),
        count_(block.count),
        simple_(!carriageControl_ && code_.CopiesLines()) {}

  int64_t OffsetOf(int64_t index) const { return base_ + index; }

  // Where the text of the input line [s, e) begins: past its control byte
  // and its form feed.
  int64_t TextStart(int64_t s, int64_t e) const {
    int64_t p = s;
    if (carriageControl_ && p < e) ++p;
    if (formFeedPage_ && p < e && d_[p] == kFormFeed) ++p;
    return p;
  }

  // Lays out the input line [s, e) as display lines and hands each to
  // `emit(piece)`, which returns false to stop. `lineEnded` says whether a
  // line end follows e; without one, a last line that is not full is
  // incomplete. `continued`: s is a display-line boundary inside the line,
  // so there is no control byte or form feed to read. Returns false when
  // `emit` stopped the walk.
  template <typename Emit>
  bool LayOut(int64_t s, int64_t e, bool lineEnded, unsigned& status, Emit&& emit,
              bool continued = false) const {
    int64_t p = s;
    int64_t offset = OffsetOf(s);
    uint32_t flags = 0;
    if (carriageControl_ && p < e && !continued) {
      // The control byte is consumed, never shown. An empty line has none:
      // taking its line end as the control byte would merge it with the next.
      const int count = skip_[d_[p]];
      ++p;
      if (count >= 2 && count < kNewPage) {
        // count - 1 spacing lines precede the text; all but the first take
        // offsets counting up from just past the control byte.
        const int64_t past = OffsetOf(p);
        if (!emit(Piece{offset, 0, p, p, false, true})) return false;
        for (int j = 1; j <= count - 2; ++j) {
          if (!emit(Piece{past + j, 0, p, p, false, true})) return false;
        }
        offset = past + (count - 1);
      } else if (count == kNewPage) {
        if (pageGaps_) {
          // The new page shows as an empty gap line; the rest of the input
          // line is text, never read as a second control byte.
          if (!emit(Piece{offset, kPageGap, p, p, false, true})) return false;
          offset = std::max(OffsetOf(p), offset + 1);
        } else {
          flags |= kPageBreak;
        }
      }
    }
    if (formFeedPage_ && p < e && d_[p] == kFormFeed && !continued) {
      ++p;
      if (pageGaps_) {
        if (!emit(Piece{offset, flags | kPageGap, p, p, false, true})) return false;
        offset = std::max(OffsetOf(p), offset + 1);
        flags = 0;
      } else {
        flags |= kPageBreak;
      }
    }
    // The text, one display line at a time.
    int64_t t = p;
    for (;;) {
      int64_t renderEnd;
      bool full;
      Measure(t, e, renderEnd, full);
      uint32_t lineFlags = flags;
      int64_t next = e;
      if (renderEnd < e) {
        // More bytes than fit: they start the next display line, or are
        // skipped up to the line end.
        if (wrap_) {
          next = renderEnd;
        } else {
          lineFlags |= kTruncated;
          status |= kStatusTruncated;
        }
      }
      const bool last = next >= e;
      if (last && !lineEnded && !full) {
        lineFlags |= kIncomplete;
        status |= kStatusIncomplete;
      }
      if (!emit(Piece{offset, lineFlags, t, renderEnd, continued})) return false;
      if (last) return true;
      t = next;
      offset = OffsetOf(t);
      flags = 0;
      continued = true;
    }
  }

  // How many of the bytes from t fit on one display line of the line length:
  // they are [t, renderEnd). `full` says whether the line reached the line
  // length. A tab on a full line does not fit, like any other byte.
  void Measure(int64_t t, int64_t e, int64_t& renderEnd, bool& full) const {
    if (!expandTabs_) {
      const int64_t fit = std::min<int64_t>(e - t, lineLength_);
      renderEnd = t + fit;
      full = fit == lineLength_;
      return;
    }
    // A tab takes at most the tab length in columns: a line too short to
    // reach the line length even if every byte were a tab fits whole.
    if ((e - t) * tabLength_ < lineLength_) {
      renderEnd = e;
      full = false;
      return;
    }
    // Between tabs the columns are the bytes: from tab to tab, looking no
    // further than the columns left on this display line, so that a long
    // line is measured in time proportional to its length, not its square.
    int64_t i = FindTab(d_, t, std::min<int64_t>(e, t + lineLength_));
    int64_t col = i - t;
    while (i < e && col < lineLength_) {
      // d_[i] is a tab.
      col = std::min<int64_t>(lineLength_, NextTabStop(col));
      const int64_t next = FindTab(d_, i + 1, std::min<int64_t>(e, i + 1 + lineLength_ - col));
      col += next - (i + 1);
      i = next;
    }
    renderEnd = i;
    full = col >= lineLength_;
  }

  // Whether SimpleLine may be tried: lines read without carriage control,
  // through a table that copies in runs.
  bool simple() const { return simple_; }

  // The input line that begins at s when it shows as one display line of
  // its own text: a line end before `limit`, no form feed at its start, and
  // it fits the line length, or (tabs expanded, without wrap) is cut there
  // (`flags` kTruncated). Then writes its characters to `out` (room for
  // `room` bytes, all of which may be written) and returns the index of its
  // line end, with `columns`; otherwise returns -1.
  int64_t SimpleLine(int64_t s, int64_t limit, char* out, int32_t room, int32_t& columns,
                     uint32_t& flags) const {
    flags = 0;
    if (formFeedPage_ && d_[s] == kFormFeed) return -1;
    if (!expandTabs_) {
      const int64_t e = code_.CopyToLineEnd(d_ + s, count_ - s, out, room, lineLength_);
      if (e < 0 || e > lineLength_ || s + e >= limit) return -1;
      columns = static_cast<int32_t>(e);
      return s + e;
    }
    if (code_.ExpandsLines()) {
      int64_t cut;
      const int64_t e = code_.ExpandToLineEnd(d_ + s, count_ - s, out, std::min(room, lineLength_),
                                              room, tabLength_, lineLength_, columns, cut);
      if (e >= 0) return s + e < limit ? s + e : -1;
      if (cut < 0 || wrap_ || room < lineLength_) return -1;
      // Without wrap a line too long is cut at the line length, and the rest
      // of it up to its line end is not shown.
      const int64_t end = FindLineEnd(d_, s + cut, limit);
      if (end >= limit) return -1;
      columns = lineLength_;
      flags = kTruncated;
      return end;
    }
    const int64_t e = FindLineEnd(d_, s, limit);
    return e < limit && ShowsWhole(s, e, out, room, columns) ? e : -1;
  }

  // The same for the input line [s, e), ended by a line end: true when it
  // shows as one display line, written to `out`.
  bool ShowsWhole(int64_t s, int64_t e, char* out, int32_t room, int32_t& columns) const {
    if (formFeedPage_ && s < e && d_[s] == kFormFeed) return false;
    if (!expandTabs_) {
      if (e - s > std::min(room, lineLength_)) return false;
      code_.Copy(d_ + s, e - s, out);
      columns = static_cast<int32_t>(e - s);
      return true;
    }
    int64_t consumed;
    columns = code_.ExpandTabs(d_ + s, e - s, count_ - s, out, std::min(room, lineLength_), room,
                               tabLength_, lineLength_, consumed);
    return consumed == e - s;
  }

  // Writes the characters of a piece into `out` (room for `room` bytes);
  // returns how many were written. `stoppedAt` receives the index of the
  // first byte not shown.
  int32_t Render(const Piece& piece, char* out, int32_t room, int64_t& stoppedAt) const {
    if (!expandTabs_) {
      const int64_t n = std::min<int64_t>(piece.to - piece.from, room);
      code_.Copy(d_ + piece.from, n, out);
      stoppedAt = piece.from + n;
      return static_cast<int32_t>(n);
    }
    int64_t consumed;
    const int32_t columns =
        code_.ExpandTabs(d_ + piece.from, piece.to - piece.from, count_ - piece.from, out, room,
                         room, tabLength_, lineLength_, consumed);
    stoppedAt = piece.from + consumed;
    return columns;
  }

  // The column after a tab at `col`: the next multiple of the tab length.
  // Tab lengths are mostly powers of two, which need no division.
  int64_t NextTabStop(int64_t col) const {
    if ((tabLength_ & (tabLength_ - 1)) == 0) return (col | (tabLength_ - 1)) + 1;
    return (static_cast<int32_t>(col) / tabLength_ + 1) * int64_t{tabLength_};
  }

  const unsigned char* data() const { return d_; }
  bool wrap() const { return wrap_; }
  int32_t lineLength() const { return lineLength_; }

 private:
  const unsigned char* d_;
  int64_t base_;  // file offset of block index 0
  DisplayCopy code_;
  const SkipCounts& skip_;
  int32_t lineLength_;
  int32_t tabLength_;
  bool wrap_;
  bool expandTabs_;
  bool carriageControl_;
  bool formFeedPage_;
  bool pageGaps_;
  int64_t count_;  // bytes in the block
  bool simple_;
};

void WriteEndEntry(LineEntry& entry, int64_t offset) {
  entry = LineEntry{offset, 0, -1, 0, 0};
}

// One forward pass over a block: input line after input line, each laid out
// as display lines, until the block, the line slots or the text run out.
class ForwardPass {
 public:
  ForwardPass(const Block& block, LineCursor& lines, TextCursor& text, int64_t fileOffset,
              const FormatParams& params)
      : as_(block, fileOffset, params),
        block_(block),
        d_(block.data),
        n_(block.count),
        // In a block that the file goes on after, the last byte only shows
        // how a CR or LF before it pairs; lines are taken up to it.
        limit_(block.atFileEnd ? n_ : std::max<int64_t>(n_ - 1, block.start)),
        lines_(lines),
        text_(text),
        i_(block.start),
        endOffset_(as_.OffsetOf(i_)),
        lineStart_(i_),
        lineSlot_(lines.index),
        lineText_(text.end),
        firstSlot_(lines.index) {}

  unsigned Run() {
    SkipFinalCtrlZ();
    if (block_.edge == BlockEdge::kInTail && !SkipTail()) return status_;
    for (;;) {
      if (stopped_ || Full()) break;
      lineStart_ = i_;
      lineSlot_ = lines_.index;
      lineText_ = text_.end;
      if (i_ >= limit_) {
        if (!block_.atFileEnd) status_ |= kStatusReadOn;  // the next line starts past the block
        break;
      }
      if (as_.simple() && TakeSimpleLine()) continue;
      const int64_t e = FindLineEnd(d_, i_, limit_);
      const bool ended = e < limit_;
      if (!ended && !block_.atFileEnd) {
        // The line goes on past the block: read it whole from its start,
        // unless it is longer than the block.
        if (first_) {
          LineBeyondBlock();
        } else {
          status_ |= kStatusReadOn;
        }
        break;
      }
      const int64_t next = ended ? NextLine(e) : e;
      if (!as_.LayOut(i_, e, ended, status_, Emitter{this}, ContinuesBlock())) break;
      MoveTo(next);
    }
    if (lines_.index < lines_.count) WriteEndEntry(lines_.entries[lines_.index], endOffset_);
    return status_;
  }

 private:
  // Hands the pieces LayOut makes to Emit.
  struct Emitter {
    ForwardPass* pass;
    bool operator()(const Piece& piece) const { return pass->Emit(piece); }
  };

  // Whether the first input line of the block begins at a display-line
  // boundary inside a line, with no control byte or form feed to read.
  bool ContinuesBlock() const { return first_ && block_.edge == BlockEdge::kContinued; }

  void MoveTo(int64_t next) {
    first_ = false;
    i_ = next;
    endOffset_ = as_.OffsetOf(i_);
  }

  bool Full() const {
    return lines_.index >= lines_.count - 1 || text_.end >= text_.capacity ||
           (text_.wholeLines && text_.capacity - text_.end < as_.lineLength());
  }

  // Where one line ends and the next begins: after its CR or LF, and after
  // a pair of them, and after a Ctrl-Z that ends the file.
  int64_t NextLine(int64_t e) const {
    int64_t next = e + 1;
    if (next < n_ && IsLineEnd(d_[next]) && d_[next] != d_[e]) ++next;  // CR LF or LF CR
    if (block_.atFileEnd && next == n_ - 1 && d_[next] == kCtrlZ) ++next;
    return next;
  }

  // A Ctrl-Z that ends the file after a line end belongs to that line, also
  // when the line end was in the block before.
  void SkipFinalCtrlZ() {
    if (block_.atFileEnd && block_.edge == BlockEdge::kLineStart && i_ == n_ - 1 &&
        d_[i_] == kCtrlZ && as_.OffsetOf(i_) > 0 && (i_ == 0 || IsLineEnd(d_[i_ - 1]))) {
      i_ = n_;
      endOffset_ = as_.OffsetOf(i_);
    }
  }

  // The rest of a truncated line is not shown, but the line after it begins
  // where it ends, however full the table is. False when the pass ends here.
  bool SkipTail() {
    const int64_t e = FindLineEnd(d_, i_, limit_);
    if (e >= limit_ && !block_.atFileEnd) {
      endOffset_ = as_.OffsetOf(limit_);
      status_ |= kStatusReadOn | kStatusReadOnInTail;
      if (lines_.index < lines_.count) WriteEndEntry(lines_.entries[lines_.index], endOffset_);
      return false;
    }
    MoveTo(e < limit_ ? NextLine(e) : e);
    return true;
  }

  // An input line that shows as one display line of its own text, made in
  // one pass over its bytes: most lines of a text file.
  bool TakeSimpleLine() {
    int32_t columns;
    uint32_t flags;
    const int64_t e = as_.SimpleLine(i_, limit_, text_.chars + text_.end,
                                     text_.capacity - text_.end, columns, flags);
    if (e < 0) return false;
    if (flags) status_ |= kStatusTruncated;
    lines_.entries[lines_.index++] =
        LineEntry{as_.OffsetOf(i_), static_cast<uint32_t>(text_.end), columns, 0, flags};
    text_.end += columns;
    MoveTo(NextLine(e));
    return true;
  }

  // No room for `piece`: the end entry says where the next batch goes on.
  void RoomOut(const Piece& piece) {
    stopped_ = true;
    if (piece.continued) {
      endOffset_ = as_.OffsetOf(piece.from);
      status_ |= kStatusReadOnContinued;
    } else if (lines_.index == lineSlot_) {
      endOffset_ = piece.offset;  // the input line's first line: its start
    } else if (text_.wholeLines && lineSlot_ > firstSlot_) {
      // Spacing lines are made but not the text they stand before: the
      // next batch makes the whole input line again.
      lines_.index = lineSlot_;
      text_.end = lineText_;
      endOffset_ = as_.OffsetOf(lineStart_);
    } else if (text_.wholeLines && !piece.lead) {
      // Only a batch too small for one input line's spacing lines gets
      // here: its text goes on from where the text begins.
      endOffset_ = as_.OffsetOf(piece.from);
      status_ |= kStatusReadOnContinued;
    } else {
      endOffset_ = piece.offset;
    }
  }

  // Writes a display line into the table; false when the pass ends.
  bool Emit(const Piece& piece) {
    if (Full()) {
      RoomOut(piece);
      return false;
    }
    LineEntry& entry = lines_.entries[lines_.index];
    const int32_t room = text_.capacity - text_.end;
    int64_t stoppedAt;
    const int32_t written = as_.Render(piece, text_.chars + text_.end, room, stoppedAt);
    entry = LineEntry{piece.offset, static_cast<uint32_t>(text_.end), written, 0, piece.flags};
    text_.end += written;
    ++lines_.index;
    if (stoppedAt < piece.to) {
      // The text buffer filled inside this line.
      entry.flags |= kIncomplete;
      status_ |= kStatusIncomplete;
      endOffset_ = as_.OffsetOf(stoppedAt);
      stopped_ = true;
      return false;
    }
    return true;
  }

  // The block's first input line goes on past the block and is longer
  // than it: what the block holds of it, up to a place the next block can
  // go on from.
  void LineBeyondBlock() {
    const bool continued = block_.edge == BlockEdge::kContinued;
    if (!as_.wrap()) {
      // The line's first display line, cut at the line length; the rest is
      // skipped in the blocks that follow.
      as_.LayOut(i_, limit_, false, status_, Emitter{this}, continued);
      if (!stopped_) {
        endOffset_ = as_.OffsetOf(limit_);
        status_ |= kStatusReadOn | kStatusReadOnInTail;
      }
      return;
    }
    // Every display line but the last, which the block may cut short.
    std::optional<Piece> held;
    unsigned lineStatus = 0;
    as_.LayOut(
        i_, limit_, false, lineStatus,
        [&](const Piece& piece) {
          if (held && !Emit(*held)) return false;
          held = piece;
          return true;
        },
        continued);
    if (stopped_ || !held) return;
    if (held->continued && held->from > i_) {
      // Cut short or not, it is made again from its start by the next block.
      endOffset_ = as_.OffsetOf(held->from);
      status_ |= (lineStatus & ~kStatusIncomplete) | kStatusReadOn | kStatusReadOnContinued;
      return;
    }
    status_ |= lineStatus;
    // Not even one display line fits the block: shown as it stands.
    Emit(*held);
    if (!stopped_) {
      endOffset_ = as_.OffsetOf(limit_);
      status_ |= kStatusReadOn | kStatusReadOnContinued;
    }
  }

  const TextAssembler as_;
  const Block& block_;
  const unsigned char* d_;
  const int64_t n_;
  const int64_t limit_;
  LineCursor& lines_;
  TextCursor& text_;
  unsigned status_ = 0;
  int64_t i_;  // where the next input line begins
  int64_t endOffset_;
  bool stopped_ = false;
  bool first_ = true;  // the first input line of this block
  // The input line in hand: where it begins, and where its lines begin in
  // the table and the text.
  int64_t lineStart_;
  int32_t lineSlot_;
  int32_t lineText_;
  const int32_t firstSlot_;
};

unsigned Forward(const Block& block, LineCursor& lines, TextCursor& text, int64_t fileOffset,
                 const FormatParams& params) {
  return ForwardPass(block, lines, text, fileOffset, params).Run();
}

// Finds the line ends before a position the way a forward pass pairs them:
// inside a run of CR and LF bytes, a boundary always lies between two equal
// bytes, so only the alternating tail of the run decides the pairing.
class LineEndPairing {
 public:
  explicit LineEndPairing(const unsigned char* d) : d_(d) {}

  // Whether the run of line ends last measured reaches back to index 0, so
  // that bytes before the block could change its pairing.
  bool RunStartsBlock() const { return tailStart_ == 0 && lastLength_ > 0; }

  // Length (0, 1 or 2) of the line end that ends just before p.
  int LengthBefore(int64_t p) {
    lastLength_ = 0;
    if (p <= 0 || !IsLineEnd(d_[p - 1])) return 0;
    if (!(p > tailStart_ && p <= tailEnd_)) {
      int64_t q = p - 1;
      while (q > 0 && IsLineEnd(d_[q - 1]) && d_[q - 1] != d_[q]) --q;
      tailStart_ = q;
      tailEnd_ = p;
    }
    lastLength_ = ((p - tailStart_) % 2 == 1) ? 1 : 2;
    return lastLength_;
  }

 private:
  const unsigned char* d_;
  int64_t tailStart_ = -1;
  int64_t tailEnd_ = -1;
  int lastLength_ = 0;
};

unsigned Backward(const Block& block, LineCursor& lines, TextCursor& text, int64_t fileOffset,
                  const FormatParams& params) {
  const TextAssembler as(block, fileOffset, params);
  const unsigned char* d = block.data;
  unsigned status = 0;
  int64_t p = block.start;  // the block ends here for a backward pass
  // A Ctrl-Z that ends the file belongs to the line before it.
  if (block.atFileEnd && p == block.count && p >= 2 && d[p - 1] == kCtrlZ && IsLineEnd(d[p - 2])) {
    --p;
  }
  // Whether index 0 is a place where a display line begins.
  const bool knownStart = as.OffsetOf(0) == 0 || block.edge != BlockEdge::kUnknown;
  // A line cut by the end of a block that the data goes on after is not
  // incomplete: it goes on there.
  const bool dataGoesOn = block.start < block.count || !block.atFileEnd;

  LineEndPairing pairing(d);
  std::vector<Piece> pieces;  // the display lines of one input line, kept up to the free slots
  int64_t made = 0;           // display lines the input line yields in all
  bool stop = false;
  while (!stop && lines.index > 0 && text.end < text.capacity) {
    const int64_t e = p - pairing.LengthBefore(p);
    const int64_t s = FindLineStartBefore(d, 0, e);
    if (s == p) break;
    if (!knownStart && (s == 0 || pairing.RunStartsBlock())) {
      // The line may begin before the block (or the pairing of the line
      // ends at its start is unknown): the caller reads on before p.
      status |= kStatusReadOn;
      break;
    }

    if (as.simple() && (e < p || dataGoesOn)) {
      // Most lines show as one display line of their own text.
      int32_t columns;
      if (as.ShowsWhole(s, e, text.chars + text.end, text.capacity - text.end, columns)) {
        lines.entries[--lines.index] =
            LineEntry{as.OffsetOf(s), static_cast<uint32_t>(text.end), columns, 0, 0};
        text.end += columns;
        p = s;
        continue;
      }
    }

    // Keep the display lines nearest the lines already made: the last
    // `room` of them, in file order, in a ring.
    const int64_t room = lines.index;
    pieces.clear();
    made = 0;
    unsigned lineStatus = 0;
    as.LayOut(
        s, e, e < p || dataGoesOn, lineStatus,
        [&](const Piece& piece) {
          if (static_cast<int64_t>(pieces.size()) < room) {
            pieces.push_back(piece);
          } else {
            pieces[made % room] = piece;
          }
          ++made;
          return true;
        },
        s == 0 && block.edge == BlockEdge::kContinued);
    const int64_t kept = static_cast<int64_t>(pieces.size());
    const int64_t first = made > room ? made % room : 0;  // ring position of the earliest kept
    if (made > room) stop = true;                          // the earliest lines had no slot
    status |= lineStatus;

    // Characters are written last line first, so that a text buffer that
    // fills leaves the lines next to the ones already made.
    int64_t placed = 0;
    for (int64_t k = kept - 1; k >= 0; --k) {
      const Piece& piece = pieces[(first + k) % kept];
      LineEntry& entry = lines.entries[lines.index - 1 - placed];
      const int32_t roomText = text.capacity - text.end;
      int64_t stoppedAt;
      const int32_t written = as.Render(piece, text.chars + text.end, roomText, stoppedAt);
      entry = LineEntry{piece.offset, static_cast<uint32_t>(text.end), written, 0, piece.flags};
      text.end += written;
      ++placed;
      if (stoppedAt < piece.to) {
        // The text buffer filled inside this line: the pass ends with it.
        entry.flags = kIncomplete;
        status |= kStatusIncomplete;
        stop = true;
        break;
      }
    }
    lines.index -= static_cast<int32_t>(placed);
    p = s;
  }
  return status;
}

}  // namespace

int64_t TextLineStart(const unsigned char* d, int64_t p) {
  if (p <= 0) return 0;
  if (!IsLineEnd(d[p - 1])) return FindLineStartBefore(d, 0, p);
  if (IsLineEnd(d[p]) && d[p] != d[p - 1]) {
    // Inside a run of alternating CR and LF bytes the pairs start at the
    // run's first byte: p may be the second byte of a pair, and then it
    // belongs to the line that pair ends.
    int64_t q = p - 1;
    while (q > 0 && IsLineEnd(d[q - 1]) && d[q - 1] != d[q]) --q;
    if ((p - q) % 2 == 1) return FindLineStartBefore(d, 0, p - 1);
  }
  return p;
}

int64_t TextDisplayLineStart(const Block& block, int64_t from, BlockEdge edge, int64_t target,
                             int64_t limit, bool lineEnds, const FormatParams& params, bool& more) {
  more = false;
  const TextAssembler as(block, 0, params);
  const bool continued = edge == BlockEdge::kContinued;
  int64_t t = continued ? from : as.TextStart(from, limit);
  if (target < t || !as.wrap()) return from;  // the control byte, or one display line in all
  const int64_t textStart = t;
  for (;;) {
    int64_t renderEnd;
    bool full;
    as.Measure(t, limit, renderEnd, full);
    if (renderEnd > target) break;
    if (renderEnd >= limit) {
      // The target lies past what the block shows of the line.
      more = !lineEnds;
      break;
    }
    t = renderEnd;
  }
  return t == textStart && !continued ? from : t;
}

unsigned FormatText(const Block& block, LineCursor& lines, TextCursor& text, int64_t fileOffset,
                    Direction direction, const FormatParams& params) {
  return direction == Direction::kForward ? Forward(block, lines, text, fileOffset, params)
                                          : Backward(block, lines, text, fileOffset, params);
}

}  // namespace zorvo
