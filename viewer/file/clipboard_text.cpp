#include "viewer/file/clipboard_text.h"

#include <algorithm>
#include <memory>
#include <new>

namespace zorvo {

namespace {

// One copy's working set: a block and a line table of its own.
struct CopyBuffers {
  std::unique_ptr<unsigned char[]> block;
  std::unique_ptr<LineTable> table;

  bool Allocate(std::string& text) {
    try {
      block.reset(new unsigned char[kCopyBlock]);
      table = std::make_unique<LineTable>(kCopySlots, kCopyText);
      text.clear();
      text.reserve(kClipboardBytes);
      return true;
    } catch (const std::bad_alloc&) {
      return false;
    }
  }
};

enum class Assembled { kLines, kReadFailed, kFormatFailed };

// The display lines of the file from one offset on, a table at a time. A
// table ends where a block, the line slots or the text buffer end; the next
// one is made from the start of the input line it stopped in, so that every
// line comes out as a pass over the whole file would make it, and the lines
// taken already are skipped.
class LineWalk {
 public:
  LineWalk(const CopySource& source, CopyBuffers& buffers, int64_t start)
      : source_(source),
        buffers_(buffers),
        reading_{start, source.file.Flen, source.file.path},
        blockStart_(start),
        from_(start) {}

  // Makes the next table; false at the end of the file. `assembled` tells a
  // failure apart.
  bool Next(Assembled& assembled) {
    assembled = Assembled::kLines;
    if (!first_ && (blockStart_ >= reading_.Flen || from_ >= reading_.Flen)) return false;
    first_ = false;
    assembled = Assemble();
    return assembled == Assembled::kLines;
  }
  // The lines of the table that are new: [First(), Whole()).
  int32_t First() const {
    const LineTable& table = *buffers_.table;
    int32_t i = 0;
    while (i < whole_ && table[i].offset < from_) ++i;
    return i;
  }
  int32_t Whole() const { return whole_; }
  // Moves on past the lines of this table; false when there is nothing
  // more to make.
  bool Advance() {
    const int64_t next = (*buffers_.table)[whole_].offset;
    if (whole_ == 0 || next <= from_) return false;
    from_ = next;
    blockStart_ = restart_ > blockStart_ && restart_ <= next ? restart_ : next;
    return true;
  }

 private:
  Assembled Assemble() {
    reading_.Fcur = blockStart_;
    ReadRequest request{buffers_.block.get(), kCopyBlock, 0};
    ReadRequest result;
    FileOpener& opener = source_.opener ? *source_.opener : PlatformFileOpener();
    const unsigned status = ReadBlock(reading_, request, result, source_.notifier, opener);
    source_.file.Flen = reading_.Flen;
    if (status & kReadFailed) return Assembled::kReadFailed;
    const unsigned char* data = buffers_.block.get();
    const int64_t start = std::min<int64_t>(result.back, result.size);
    const int64_t base = reading_.Fcur - start;  // file offset of data[0]
    int64_t count = result.size;
    if (base + count < reading_.Flen) count = CutAtLineStart(data, start, count);
    LineTable& table = *buffers_.table;
    LineCursor lines{table.entries(), table.Acnt, 0};
    TextCursor text{table.chars(), table.Tlen, 0};
    const unsigned formatted = FormatterFor(source_.format)(
        Block{data, count, start}, lines, text, reading_.Fcur, Direction::kForward, source_.params);
    if (formatted & kStatusFailed) return Assembled::kFormatFailed;
    table.Acur = table.Afirst = 0;
    table.Alast = lines.index;
    table.Tend = text.end;
    // A last line cut by the end of the text buffer is made again by the
    // next table, unless it is the only line.
    whole_ = lines.index;
    if (whole_ > 1 && (table[whole_ - 1].flags & kIncomplete)) --whole_;
    table.Alast = whole_;
    // Where the input line holding the next line starts.
    restart_ = -1;
    const int64_t next = table[whole_].offset - base;
    if (source_.format == kFormatText && next > start && next < count) {
      restart_ = base + TextLineStart(data, next);
    }
    return Assembled::kLines;
  }

  // The block ends where the file does not: it is cut where its last whole
  // line ends, so that no line is split between two blocks (a CR LF pair
  // included), unless that leaves nothing.
  int64_t CutAtLineStart(const unsigned char* data, int64_t start, int64_t count) const {
    int64_t cut = count;
    if (source_.format == kFormatText) {
      cut = TextLineStart(data, count - 1);
    } else if (source_.format == kFormatRaw) {
      const int64_t length = std::max(source_.params.lineLength, 1);
      cut = start + (count - start) / length * length;
    }
    return cut > start ? cut : count;
  }

  const CopySource& source_;
  CopyBuffers& buffers_;
  FileRecord reading_;
  int64_t blockStart_;  // where the formatter starts
  int64_t from_;        // the lines before this offset were taken
  int64_t restart_ = -1;
  int32_t whole_ = 0;
  bool first_ = true;
};

void AppendLine(std::string& text, const LineTable& table, int32_t i, size_t length) {
  text.append(table.TextOf(i), length);
  text += "\r\n";
}

// Reports a read or format failure.
void ReportFailure(const CopySource& source, Assembled assembled, uint32_t style) {
  source.notifier.Message(assembled == Assembled::kReadFailed ? kFileReadError : kProgramError,
                          kCopyCaption, style, source.owner);
}

}  // namespace

std::wstring TaggedLinesDoNotFitMessage(int32_t copied, uint32_t tagCount) {
  return L"Tagged lines do not fit in the clipboard. \nOnly " + std::to_wstring(copied) + L" of " +
         std::to_wstring(tagCount) + L" lines copied.";
}

int CopySelectionText(const CopySource& source, int64_t start, int64_t end, std::string& text) {
  CopyBuffers buffers;
  if (!buffers.Allocate(text)) {
    source.notifier.Message(kCannotAllocateBuffers, kCopyCaption, kIconHand, source.owner);
    return 0;
  }
  start = std::max<int64_t>(start, 0);
  if (end < 0) end = INT64_MAX;
  end = std::max(end, start + 1);
  LineWalk walk(source, buffers, start);
  const LineTable& table = *buffers.table;
  Assembled assembled;
  while (walk.Next(assembled)) {
    for (int32_t i = walk.First(); i < walk.Whole(); ++i) {
      // Every display line that begins before the end, while 3 bytes are
      // free: room for CR LF and the closing 0.
      if (table[i].offset >= end) return 1;
      const size_t free = kClipboardBytes - text.size();
      if (free < 3) return 1;
      AppendLine(text, table, i, std::min<size_t>(std::max(table[i].length, 0), free - 3));
    }
    if (!walk.Advance()) return 1;
  }
  if (assembled != Assembled::kLines) ReportFailure(source, assembled, kIconHand);
  return 1;
}

int32_t CopyTaggedText(const CopySource& source, const std::function<void(LineTable&)>& markLines,
                       uint32_t tagCount, std::string& text) {
  CopyBuffers buffers;
  if (!buffers.Allocate(text)) {
    source.notifier.Message(kCannotAllocateBuffers, kCopyCaption, kIconExclamation, source.owner);
    return 0;
  }
  LineWalk walk(source, buffers, 0);
  LineTable& table = *buffers.table;
  int32_t copied = 0;
  Assembled assembled;
  while (walk.Next(assembled)) {
    if (markLines) markLines(table);
    for (int32_t i = walk.First(); i < walk.Whole(); ++i) {
      if (!(table[i].flags & kTagMask)) continue;
      const size_t length = static_cast<size_t>(std::max(table[i].length, 0));
      if (length + text.size() + 3 > static_cast<size_t>(kClipboardBytes)) {
        source.notifier.Message(TaggedLinesDoNotFitMessage(copied, tagCount), kCopyCaption,
                                kIconExclamation, source.owner);
        return -copied;
      }
      AppendLine(text, table, i, length);
      ++copied;
    }
    if (!walk.Advance()) return copied;
  }
  if (assembled == Assembled::kLines) return copied;
  ReportFailure(source, assembled, kIconExclamation);
  return -copied;
}

}  // namespace zorvo
