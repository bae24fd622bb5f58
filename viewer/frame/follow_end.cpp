#include "viewer/frame/follow_end.h"

#include <algorithm>

namespace zorvo {

bool EndInView(const LineTable& table, int32_t linesPerPage) {
  return table.Alast >= table.Acur && table.Alast - table.Acur <= std::max(linesPerPage, 1);
}

bool FollowDue(const LineTable& table, int32_t linesPerPage, int64_t fileLength, int64_t leftAt) {
  if (leftAt >= 0 && table[table.Acur].offset == leftAt) return true;
  return EndInView(table, linesPerPage) && table[table.Alast].offset >= fileLength;
}

FollowChange FollowChangeOf(int64_t tableEnd, int64_t length, bool sameFile) {
  if (!sameFile || length < tableEnd) return FollowChange::kRestart;
  return length > tableEnd ? FollowChange::kGrown : FollowChange::kNone;
}

EndMove MoveToShowEnd(const LineTable& table, int64_t fileLength, int32_t linesPerPage) {
  const int32_t rows = std::max(linesPerPage, 1);
  if (table[table.Alast].offset < fileLength) return {true, -(rows - 1)};
  // The last line is the entry before the end entry; it shows on the last
  // row when the top line is rows - 1 lines above it.
  const int32_t last = std::max(table.Alast - 1, table.Afirst);
  return {false, std::max(last - (table.Acur + rows - 1), 0)};
}

}  // namespace zorvo
