// Refilling the screen's line table around a position, and page padding.
#pragma once

#include <cstdint>
#include <memory>

#include "common/notifier.h"
#include "viewer/file/file_reader.h"
#include "viewer/file/formatter.h"
#include "viewer/file/line_table.h"

namespace zorvo {

// The file is read in pieces of at most this size (one buffer, kept between
// rebuilds), so that the memory a rebuild needs does not grow with the
// lines of the file.
inline constexpr uint32_t kRebuildPiece = 0x400000;  // 4 MiB
// The most one pass reads, and how far back the start of a line is looked
// for: a line that began further back is shown from where the view is.
inline constexpr int64_t kRebuildReach = 0x1000000;  // 16 MiB

struct RebuildRequest {
  int64_t target = -1;  // P: the offset to show, or -1 to keep the line at Acur
  int32_t rows = 1;     // R: text rows of the window
  int format = kFormatText;
  FormatParams params;  // the options word with the window's run-time bits
};

// Marks the lines carry besides their text (the window's tags), applied to
// the table at the end of every rebuild by whoever keeps them.
class LineMarker {
 public:
  virtual ~LineMarker() = default;
  virtual void MarkLines(LineTable& table) = 0;
};

// What a rebuild needs besides the table.
struct RebuildContext {
  RebuildContext(FileRecord& f, Notifier& n, LineMarker* m = nullptr, FileOpener* o = nullptr)
      : file(f), notifier(n), marks(m), opener(o) {}
  FileRecord& file;
  Notifier& notifier;
  LineMarker* marks = nullptr;
  FileOpener* opener = nullptr;  // null: the platform's
  uint32_t piece = kRebuildPiece;  // tests make these small to cross block edges often
  int64_t reach = kRebuildReach;
  std::unique_ptr<unsigned char[]> block;  // kept between rebuilds
  uint32_t blockSize = 0;
};

// Empties the table and fills it from the target (or from the line at
// table.Acur, which may lie before Afirst after a scroll upward): a first
// pass in one direction, a second in the other, meeting at the start of the
// display line that holds the target. Reads the file's length first, so a
// file that grew or shrank shows as it is now. Returns the formatter status;
// 0x100 when a read or the formatter failed.
unsigned Rebuild(RebuildContext& context, LineTable& table, const RebuildRequest& request);

// Where the display line that holds byte `x` begins, as a rebuild at `x`
// finds it: `at` and what is there (`edge`). A Text line read with carriage
// control begins at its control byte, a wrapped line at the display line's
// own start. Returns 0x100 when the file cannot be read.
unsigned LocateDisplayLine(RebuildContext& context, const RebuildRequest& request, int64_t x,
                           int64_t& at, BlockEdge& edge);

// Reads the file's current length into context.file.Flen (opening the file
// as every read does). Returns the read status: 0x100 when it cannot be
// opened, after the "Cannot open" message.
unsigned RefreshFileLength(RebuildContext& context);

// The page line numbers of one page after another, and the padding lines a
// page needs so that every page shows `pageLength` lines.
class PageNumbering {
 public:
  explicit PageNumbering(int32_t pageLength, int32_t previous = -1)
      : pageLength_(pageLength), previous_(previous) {}
  // Empty lines to insert before `line` so that the page before it ends
  // with exactly pageLength lines.
  int32_t PaddingBefore(const LineEntry& line) const;
  // The page line of `line`, which follows the padding lines, if any.
  int32_t Number(const LineEntry& line);
  int32_t previous() const { return previous_; }
  void AfterPadding(int32_t padding) { previous_ += padding; }

 private:
  int32_t pageLength_;
  int32_t previous_;
};

// Whether a display line shows nothing but white space.
bool IsBlankLine(const LineTable& table, int32_t index);

// Numbers the lines of each page and inserts empty lines before every page
// start so that each page shows `pageLength` lines; at the end of the file
// drops trailing blank lines and closes the last page with a gap line. The
// line at Acur keeps its index.
void PadPages(LineTable& table, int32_t pageLength, int64_t fileLength);

}  // namespace zorvo
