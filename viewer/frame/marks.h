// The decisions of the Mark commands, over the line table, the selection
// and the tag list: which line Toggle acts on, what Set tags in one table
// window and where it goes on, what Reset removes, where Next goes.
#pragma once

#include <cstdint>
#include <optional>

#include "viewer/frame/tag_list.h"
#include "viewer/frame/view_state.h"
#include "viewer/settings/format_options.h"

namespace zorvo {

inline constexpr int32_t kTitleLimit = kTitleSlots - 1;  // the last slot is the sentinel's
inline constexpr wchar_t kTooManyBookmarks[] = L"Too many bookmarks, this bookmark cannot be set.";
inline constexpr wchar_t kBookmarkCaption[] = L"Bookmark";

// The line Toggle acts on: the one of the `rows` lines from Acur that holds
// the selection start, else the top line.
int32_t ToggleLine(const LineTable& table, const Selection& selection, int32_t rows);

enum class ToggleResult { kAdded, kRemoved, kFull };
// Adds a user mark at the line, or removes the marks inside it.
ToggleResult ToggleMark(LineTable& table, TagList& tags, int32_t line);

// The range of Set and Reset: the selection, or the top line without one.
struct MarkRange {
  int64_t start;
  int64_t end;  // exclusive
};
MarkRange RangeOf(const LineTable& table, const Selection& selection);

// One table window of Set: tags every line from Afirst to Alast whose
// offset lies in the range. Returns the index of the first line left
// without a mark when the list is full.
std::optional<int32_t> SetMarksInTable(const LineTable& table, TagList& tags, MarkRange range);

// Where Set goes on after a table window: the offset to rebuild at (none when
// the range is done, also when it reaches past the end of the file, which
// may have shrunk since it was selected), and the range narrowed to what is
// left.
struct SetContinuation {
  std::optional<int64_t> at;
  Selection remaining;
};
SetContinuation ContinueSet(const LineTable& table, const Selection& selection, MarkRange range,
                            int64_t fileLength);

// Removes the marks of the range.
uint32_t ResetMarks(TagList& tags, MarkRange range);

// The offset of the next mark after the top line (or after the selection
// start when that lies further on); none when there is none.
std::optional<int64_t> NextMark(const LineTable& table, const TagList& tags,
                                const Selection& selection);

// Freeze Title: copies the lines that overlap the selection into the title
// table (at most 15, while their text fits). Returns the number copied.
int32_t FreezeTitles(const LineTable& table, const Selection& selection, LineTable& titles);

}  // namespace zorvo
