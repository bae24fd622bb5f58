#include "viewer/file/line_walk.h"

#include <algorithm>
#include <new>

#include "viewer/file/byte_scan.h"
#include "viewer/file/rebuild.h"

namespace zorvo {

namespace {

// Every input line's spacing and gap lines (at most 254) and its first text
// line fit one batch, so a batch always gets past the line it starts with.
constexpr int32_t kLeastSlots = 258;
constexpr uint32_t kLeastBlock = 64;

}  // namespace

LineWalk::LineWalk(FileRecord& file, Notifier& notifier, FileOpener& opener, int format,
                   const FormatParams& params, int64_t start, const WalkPieces& pieces)
    : file_(file),
      notifier_(notifier),
      opener_(opener),
      format_(std::clamp<int>(format, kFormatText, kFormatRaw)),
      params_(params),
      pieces_(pieces),
      position_(std::max<int64_t>(start, 0)) {
  const int64_t length = std::max(params_.lineLength, 1);
  pieces_.slots = std::max(pieces_.slots, kLeastSlots);
  // A display line always fits the text, which keeps its last byte 0.
  pieces_.text = static_cast<int32_t>(std::max<int64_t>(pieces_.text, length + 2));
  // A block holds a few display lines of a line longer than the block, so
  // that such a line is cut into them from block to block.
  pieces_.block = static_cast<uint32_t>(
      std::max<int64_t>({int64_t{pieces_.block}, int64_t{kLeastBlock}, 4 * length + 4}));
}

bool LineWalk::Allocate() {
  try {
    table_ = std::make_unique<LineTable>(pieces_.slots, pieces_.text);
    block_.reset(new unsigned char[pieces_.block]);
    return true;
  } catch (const std::bad_alloc&) {
    table_.reset();
    block_.reset();
    return false;
  }
}

bool LineWalk::BeginAtLineOf(int64_t x) {
  RebuildContext context(file_, notifier_, nullptr, &opener_);
  RebuildRequest request;
  request.format = format_;
  request.params = params_;
  int64_t at = x;
  BlockEdge edge = BlockEdge::kLineStart;
  if (LocateDisplayLine(context, request, x, at, edge) & kStatusFailed) return false;
  position_ = at;
  edge_ = edge;
  if (at != x) {
    leaveOutTo_ = x;
    tailFrom_ = !(params_.options & kOptCarriageControl);
  }
  return true;
}

// Whether the next batch can be cut from the block in the buffer: one that
// ended for want of room leaves the rest of its block, and the line there
// must end inside it (a line that runs past a block is read from its start).
bool LineWalk::Holds(int64_t position) const {
  if (heldCount_ == 0 || position < heldFirst_ || position >= heldFirst_ + heldCount_) return false;
  if (heldAtFileEnd_ || format_ != kFormatText) return true;
  const int64_t limit = heldCount_ - 1;  // the last byte only shows how a pair ends
  return FindLineEnd(block_.get(), position - heldFirst_, limit) < limit;
}

LineWalk::Result LineWalk::Next() {
  count_ = 0;
  while (!done_) {
    const bool fresh = !Holds(position_);
    if (fresh) {
      heldCount_ = 0;
      file_.Fcur = position_;
      const ReadRequest request{block_.get(), pieces_.block, 0};
      ReadRequest result;
      if (ReadBlock(file_, request, result, notifier_, opener_) & kReadFailed) {
        done_ = true;
        return kReadError;
      }
      // The file may have shrunk since the last batch.
      if (position_ >= file_.Flen || result.size == 0) break;
      heldFirst_ = file_.Fcur - result.back;
      heldCount_ = result.size;
      heldAtFileEnd_ = heldFirst_ + heldCount_ >= file_.Flen;
    }
    const int64_t first = heldFirst_;  // file offset of the block's byte 0
    const bool atFileEnd = heldAtFileEnd_;
    const Block block{block_.get(), heldCount_, position_ - first, atFileEnd, edge_};
    LineTable& table = *table_;
    LineCursor lines{table.entries(), table.Acnt, 0};
    TextCursor text{table.chars(), table.Tlen - 1, 0, true};
    const unsigned status = FormatterFor(format_)(block, lines, text, first + block.start,
                                                  Direction::kForward, params_);
    if (status & kStatusFailed) {
      done_ = true;
      return kFormatError;
    }
    const int64_t next = table[lines.index].offset;
    if (status & kStatusReadOn) heldCount_ = 0;  // the block is used up
    edge_ = (status & kStatusReadOnContinued) ? BlockEdge::kContinued
            : (status & kStatusReadOnInTail)  ? BlockEdge::kInTail
                                              : BlockEdge::kLineStart;
    const bool onward = next > position_;
    position_ = next;
    if (leaveOutTo_ >= 0) {
      // The lines before the walk's own first one. A last line whose cut
      // tail goes on past the block ends further on than its end entry.
      const int32_t judged = edge_ == BlockEdge::kInTail ? lines.index - 1 : lines.index;
      int32_t skip = 0;
      while (skip < judged && table[skip + 1].offset <= leaveOutTo_) ++skip;
      if (skip < lines.index && tailFrom_ && table[skip].offset < leaveOutTo_) {
        // The start lies inside the text of a line: the line is shown from
        // there, as one that began there.
        position_ = leaveOutTo_;
        edge_ = BlockEdge::kLineStart;
        leaveOutTo_ = -1;
        continue;
      }
      if (skip < lines.index) leaveOutTo_ = -1;
      std::copy(table.entries() + skip, table.entries() + lines.index + 1, table.entries());
      lines.index -= skip;
    }
    if (lines.index > 0) {
      table.Afirst = table.Acur = 0;
      table.Alast = lines.index;
      table.Tend = text.end;
      count_ = lines.index;
      return kLines;
    }
    // No line: the skipped tail of a long line, or lines left out, read on
    // past them; or what was left of the block held too little, read from
    // here.
    if (onward) continue;
    if (fresh) break;  // the walk gets nowhere
    heldCount_ = 0;
  }
  done_ = true;
  return kEnd;
}

}  // namespace zorvo
