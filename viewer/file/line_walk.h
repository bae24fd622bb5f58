// The display lines of a file from one offset to its end, a batch at a time,
// as one forward pass over the whole file would make them: the file is read
// in blocks, and a batch that ends where a block, the line slots or the text
// end goes on where the next batch begins, with nothing split, lost or made
// twice. Printing and clipboard copy walk the file this way.
#pragma once

#include <cstdint>
#include <memory>

#include "common/notifier.h"
#include "viewer/file/file_reader.h"
#include "viewer/file/formatter.h"
#include "viewer/file/line_table.h"

namespace zorvo {

// The sizes of the pieces a walk works in. Tests make them tiny so that
// every edge between two pieces is crossed on small files; a walk raises
// them to what one input line's lines need (see LineWalk).
struct WalkPieces {
  uint32_t block = 0x400000;      // bytes read at a time (4 MiB)
  int32_t slots = kScreenLines;   // line slots of a batch, its end entry included
  int32_t text = kScreenText;     // bytes of text of a batch
};

class LineWalk {
 public:
  enum Result { kLines, kEnd, kReadError, kFormatError };

  // Walks `file` (whose Fcur and Flen the walk sets as it reads) from
  // `start`, a place where an input line begins, in `format`.
  LineWalk(FileRecord& file, Notifier& notifier, FileOpener& opener, int format,
           const FormatParams& params, int64_t start, const WalkPieces& pieces = {});
  LineWalk(const LineWalk&) = delete;
  LineWalk& operator=(const LineWalk&) = delete;

  // Takes the walk's memory; false when it cannot be had.
  bool Allocate();

  // Before the first batch: begins the walk with the display line that
  // holds byte `x`, as the window shows it, instead of taking `x` for the
  // start of a line. The lines of the input line that end at or before `x`
  // are left out (a record's spacing rows, a page's gap row, the rows of a
  // wrapped line before it). A line that holds `x` inside its text begins
  // exactly at `x`, except in a record read with carriage control, whose
  // bytes after the control byte are never read as one: that row is shown
  // whole. False when the file cannot be read.
  bool BeginAtLineOf(int64_t x);

  // Makes the next batch: the lines [0, Count()) of Table(), whose entry
  // Count() is the end entry, the offset where the next batch begins. kEnd
  // when the file has no more lines; a failed read or format ends the walk.
  Result Next();

  LineTable& Table() { return *table_; }
  int32_t Count() const { return count_; }

 private:
  FileRecord& file_;
  Notifier& notifier_;
  FileOpener& opener_;
  int format_;
  FormatParams params_;
  WalkPieces pieces_;
  std::unique_ptr<LineTable> table_;
  std::unique_ptr<unsigned char[]> block_;
  bool Holds(int64_t position) const;

  int64_t position_;  // where the next batch begins
  BlockEdge edge_ = BlockEdge::kLineStart;
  // The block in the buffer: the file offset of its byte 0, its size, and
  // whether the file ended with it when it was read.
  int64_t heldFirst_ = 0;
  int64_t heldCount_ = 0;
  bool heldAtFileEnd_ = false;
  int32_t count_ = 0;
  bool done_ = false;
  int64_t leaveOutTo_ = -1;  // lines that end at or before this are left out
  bool tailFrom_ = false;    // a line that holds leaveOutTo_ inside is shown from there
};

}  // namespace zorvo
