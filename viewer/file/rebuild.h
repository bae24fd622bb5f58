// Refilling the screen's line table around a position, and page padding.
#pragma once

#include <cstdint>
#include <memory>

#include "common/notifier.h"
#include "viewer/file/file_reader.h"
#include "viewer/file/formatter.h"
#include "viewer/file/line_table.h"

namespace zorvo {

class TagList;

inline constexpr uint32_t kRebuildBlock = 0x1000000;  // 16 MiB read per pass

struct RebuildRequest {
  int64_t target = -1;  // P: the offset to show, or -1 to keep the line at Acur
  int32_t rows = 1;     // R: text rows of the window
  int format = kFormatText;
  FormatParams params;  // the options word with the window's run-time bits
};

// What a rebuild needs besides the table; the block buffer is kept between
// rebuilds so that a scroll does not pay for a fresh 16 MiB allocation.
struct RebuildContext {
  RebuildContext(FileRecord& f, Notifier& n, const TagList* t = nullptr, FileOpener* o = nullptr)
      : file(f), notifier(n), tags(t), opener(o) {}
  FileRecord& file;
  Notifier& notifier;
  const TagList* tags = nullptr;
  FileOpener* opener = nullptr;  // null: the platform's
  std::unique_ptr<unsigned char[]> block;
  std::unique_ptr<unsigned char[]> probe;  // a small block to find where a line starts
};

// Empties the table and fills it from the target (or from the line at
// table.Acur, which may lie before Afirst after a scroll upward): a first
// pass in one direction, a second in the other. Returns the formatter
// status; 0x100 when a read or the formatter failed.
unsigned Rebuild(RebuildContext& context, LineTable& table, const RebuildRequest& request);

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
