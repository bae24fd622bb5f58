#include "viewer/frame/marks.h"

#include <algorithm>
#include <cstring>

namespace zorvo {

int32_t ToggleLine(const LineTable& table, const Selection& selection, int32_t rows) {
  // The line that holds the selection start: a selection made with the
  // mouse starts where its line does, a match of Find Next inside it.
  for (int32_t i = table.Acur; i < table.Alast && i < table.Acur + rows; ++i) {
    if (table[i].offset <= selection.start && selection.start < table[i + 1].offset) return i;
  }
  return table.Acur;
}

ToggleResult ToggleMark(LineTable& table, TagList& tags, int32_t line) {
  LineEntry& entry = table[line];
  if (entry.flags & kTagMask) {
    entry.flags &= ~kTagMask;
    RemoveTagRange(tags, entry.offset, table[line + 1].offset - 1);
    return ToggleResult::kRemoved;
  }
  if (tags.count >= tags.capacity) return ToggleResult::kFull;
  AddTag(tags, entry.offset, kUserMark);
  entry.flags |= kUserMark;
  return ToggleResult::kAdded;
}

MarkRange RangeOf(const LineTable& table, const Selection& selection) {
  if (selection.Any()) return {selection.start, selection.end};
  return {table[table.Acur].offset, table[table.Acur + 1].offset};
}

std::optional<int32_t> SetMarksInTable(const LineTable& table, TagList& tags, MarkRange range) {
  for (int32_t i = table.Afirst; i <= table.Alast; ++i) {
    const int64_t offset = table[i].offset;
    if (offset < range.start || offset >= range.end) continue;
    if (tags.count >= tags.capacity) return i;
    AddTag(tags, offset, kUserMark);
  }
  return std::nullopt;
}

SetContinuation ContinueSet(const LineTable& table, const Selection& selection, MarkRange range,
                            int64_t fileLength) {
  const int64_t firstOffset = table[table.Afirst].offset;
  const int64_t endOffset = table[table.Alast].offset;
  const bool startsBefore = range.start < firstOffset;
  const bool endsAfter = range.end > endOffset && endOffset < fileLength;
  SetContinuation next;
  next.remaining = selection;
  if (startsBefore) {
    next.at = range.start;
  } else if (endsAfter) {
    next.at = endOffset;
  }
  if (next.remaining.start >= firstOffset) next.remaining.start = endOffset;
  if (next.remaining.end >= 0 && next.remaining.end <= endOffset) next.remaining.end = firstOffset;
  return next;
}

uint32_t ResetMarks(TagList& tags, MarkRange range) {
  return RemoveTagRange(tags, range.start, std::max(range.start, range.end - 1));
}

std::optional<int64_t> NextMark(const LineTable& table, const TagList& tags,
                                const Selection& selection) {
  const int32_t next = std::min(table.Acur + 1, table.Alast);
  const int64_t from = std::max(table[next].offset - 1, selection.start + 1);
  const TagRecord* begin = tags.entries();
  const TagRecord* end = begin + tags.count;
  const TagRecord* found = std::upper_bound(
      begin, end, from, [](int64_t value, const TagRecord& tag) { return value < tag.offset; });
  if (found == end) return std::nullopt;
  return found->offset;
}

int32_t FreezeTitles(const LineTable& table, const Selection& selection, LineTable& titles) {
  int32_t count = 0;
  titles.Tend = 0;
  for (int32_t i = table.Afirst; i < table.Alast; ++i) {
    const LineEntry& line = table[i];
    const bool overlaps = selection.start < table[i + 1].offset && line.offset < selection.end;
    if (!overlaps) continue;
    if (count >= kTitleLimit || titles.Tlen - titles.Tend <= line.length) break;
    std::memcpy(titles.chars() + titles.Tend, table.TextOf(i), static_cast<size_t>(line.length));
    titles[count] = LineEntry{line.offset, static_cast<uint32_t>(titles.Tend), line.length, 0, 0};
    titles.Tend += line.length;
    ++count;
  }
  titles[count] = LineEntry{count > 0 ? titles[count - 1].offset + 1 : 0, 0, 0, 0, 0};
  titles.Acur = titles.Afirst = 0;
  titles.Alast = count;
  return count;
}

}  // namespace zorvo
