#include "viewer/file/rebuild.h"

#include <algorithm>
#include <new>
#include <vector>

#include "viewer/file/byte_scan.h"
#include "viewer/frame/tag_list.h"

namespace zorvo {

namespace {

// One pass: reads the block at file.Fcur (ending there for a backward pass)
// and runs the formatter into the table from `index`. Returns the status and
// leaves the cursor index in `index`.
unsigned Pass(RebuildContext& context, LineTable& table, const RebuildRequest& request,
              Direction direction, int32_t& index, int32_t textCapacity) {
  FileRecord& file = context.file;
  ReadRequest read{context.block.get(), kRebuildBlock,
                   direction == Direction::kForward ? 0 : static_cast<int64_t>(kRebuildBlock)};
  ReadRequest result;
  FileOpener& opener = context.opener ? *context.opener : PlatformFileOpener();
  const unsigned status = ReadBlock(file, read, result, context.notifier, opener);
  if (status & kReadFailed) return status;
  Block block{context.block.get(), result.size, std::min<int64_t>(result.back, result.size)};
  LineCursor lines{table.entries(), table.Acnt, index};
  TextCursor text{table.chars(), textCapacity, table.Tend};
  const unsigned formatted =
      FormatterFor(request.format)(block, lines, text, file.Fcur, direction, request.params);
  index = lines.index;
  table.Tend = text.end;
  return formatted;
}

constexpr uint32_t kProbeBlock = 0x10000;

// The offset where the input line holding `target` starts, from a small
// block before it or, for a long line, from a full one.
unsigned FindTextLineStart(RebuildContext& context, int64_t target, int64_t& lineStart) {
  FileRecord& file = context.file;
  FileOpener& opener = context.opener ? *context.opener : PlatformFileOpener();
  if (!context.probe) {
    context.probe.reset(new (std::nothrow) unsigned char[kProbeBlock]);
    if (!context.probe) return kStatusFailed;
  }
  for (uint32_t size : {kProbeBlock, kRebuildBlock}) {
    unsigned char* buffer = size == kProbeBlock ? context.probe.get() : context.block.get();
    file.Fcur = target + 1;  // the block ends just after the target
    ReadRequest read{buffer, size, size};
    ReadRequest result;
    const unsigned status = ReadBlock(file, read, result, context.notifier, opener);
    if (status & kReadFailed) return status;
    if (result.back < 1 || result.back > result.size) return kStatusFailed;  // the file shrank
    const int64_t blockStart = file.Fcur - result.back;
    int64_t at = result.back - 1;
    // A Ctrl-Z that ends the file after a line end belongs to that line.
    if (target == file.Flen - 1 && at > 0 && buffer[at] == 26 && IsLineEnd(buffer[at - 1])) --at;
    const int64_t index = TextLineStart(buffer, at);
    if (index > 0 || blockStart == 0 || size == kRebuildBlock) {
      lineStart = blockStart + index;
      return 0;
    }
  }
  return kStatusFailed;
}

}  // namespace

unsigned Rebuild(RebuildContext& context, LineTable& table, const RebuildRequest& request) {
  if (!context.block) {
    context.block.reset(new (std::nothrow) unsigned char[kRebuildBlock]);
    if (!context.block) return kStatusFailed;
  }
  FileRecord& file = context.file;
  const int32_t rows = std::clamp(request.rows, 1, table.Acnt - 1);
  int64_t target = request.target;
  Direction first = Direction::kForward;
  int32_t base = (table.Acnt - rows) / 2;  // where the requested line lands
  int32_t start = base;                    // where the first pass begins
  if (target < 0) {
    // Keep the line at Acur. After a scroll above the table the anchor is
    // the line a window below it, assembled backward, so that the lines
    // before it come out of the first pass.
    int32_t anchor = table.Acur;
    if (table.Acur < table.Afirst) {
      anchor = table.Acur + rows;
      first = Direction::kBackward;
      start += rows;
    }
    if (anchor < table.Afirst || anchor > table.Alast) return kStatusFailed;
    target = table[anchor].offset;
  }
  if (target >= file.Flen) {
    first = Direction::kBackward;
    base = start = table.Acnt - 1;
  }
  if (target == 0) {
    first = Direction::kForward;
    base = start = 0;
  }
  // A text line is assembled from its true start: a pass begun inside it
  // would take a byte inside it for a control character or a form feed, or
  // wrap it elsewhere. Both passes then start where that line starts.
  int64_t lineStart = -1;
  if (first == Direction::kForward && request.format == kFormatText && target > 0 &&
      target < file.Flen) {
    const unsigned found = FindTextLineStart(context, target, lineStart);
    if (found & kStatusFailed) return found;
  }
  table.Acur = table.Afirst = table.Alast = base;
  table.Tend = 0;
  file.Fcur = lineStart >= 0 ? lineStart : target;

  // The first pass leaves room in the text for the second.
  const int32_t reserve = std::min<int64_t>(table.Tlen / 10, 3 * int64_t{request.params.lineLength});
  int32_t index = start;
  unsigned status = Pass(context, table, request, first, index, table.Tlen - reserve);
  if (status & kStatusFailed) return status;

  Direction second;
  int64_t from = -1;
  int32_t secondIndex = start;
  if (first == Direction::kForward) {
    table.Alast = index;
    table.Acur = std::min(table.Acur, table.Alast);
    if (target <= 0) {
      from = -1;  // nothing before the start of the file
    } else if (lineStart >= 0) {
      from = lineStart;
      secondIndex = start;
    } else if (index > start) {
      // From the second line made, so that the first is assembled again
      // from its true start when the target lay inside it.
      from = table[start + 1].offset;
      secondIndex = start + 1;
    } else {
      from = target;
      secondIndex = start;
    }
    second = Direction::kBackward;
  } else {
    table.Afirst = index;
    table.Acur = std::max(table.Acur, table.Afirst);
    if (target < file.Flen && index < start) {
      from = table[start - 1].offset;  // the line just before the target
      secondIndex = start - 1;
    } else {
      from = target;
      secondIndex = start;
    }
    second = Direction::kForward;
  }
  // A backward pass from the start of the file has nothing to do; a forward
  // pass always runs, since it writes the end entry.
  if (second == Direction::kForward || from > 0) {
    file.Fcur = from;
    const unsigned more = Pass(context, table, request, second, secondIndex, table.Tlen);
    if (more & kStatusFailed) return more;
    status |= more;
    if (second == Direction::kForward) {
      table.Alast = std::max(table.Acur, secondIndex);
    } else {
      table.Afirst = std::min(table.Acur, secondIndex);
    }
  }
  if (lineStart >= 0) {
    // The top line is the one that holds the target.
    while (table.Acur + 1 < table.Alast && table[table.Acur + 1].offset <= target) ++table.Acur;
  }
  if (table.Acur >= table.Alast && table.Acur > table.Afirst) table.Acur = table.Alast - 1;
  if (context.tags && context.tags->count > 0) {
    ApplyTagsToLines(table, const_cast<TagList&>(*context.tags));
  }
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
      table[keep] = LineEntry{fileLength - 1, 0, 0, 0, kPageGap};
      table[keep + 1] = LineEntry{fileLength, 0, -1, 0, 0};
      table.Alast = keep + 1;
      table.Acur = std::min(table.Acur, std::max(table.Afirst, table.Alast - 1));
    }
  }

  // Number and pad into a new sequence, then lay it back so that the line
  // at Acur keeps its index.
  std::vector<LineEntry> lines;
  lines.reserve(static_cast<size_t>(table.Alast - table.Afirst) + 64);
  PageNumbering numbering(pageLength);
  size_t current = 0;
  for (int32_t i = table.Afirst; i < table.Alast; ++i) {
    LineEntry line = table[i];
    const int32_t padding = numbering.PaddingBefore(line);
    for (int32_t k = 0; k < padding; ++k) {
      const int64_t offset = (lines.empty() ? table[std::max(i - 1, 0)].offset : lines.back().offset) + 1;
      lines.push_back(LineEntry{offset, 0, 0, numbering.previous() + k + 1, 0});
    }
    numbering.AfterPadding(padding);
    if (i == table.Acur) current = lines.size();
    line.pageLine = numbering.Number(line);
    lines.push_back(line);
  }
  LineEntry end = table[table.Alast];
  if (table.Acur >= table.Alast) current = lines.size();

  int64_t first = int64_t{table.Acur} - static_cast<int64_t>(current);
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
