#include "viewer/frame/tag_list.h"

#include <algorithm>
#include <cstring>

namespace zorvo {
namespace {

// The first record in [0, count) whose offset is not below `offset`.
uint32_t LowerBound(const TagRecord* e, uint32_t count, int64_t offset) {
  uint32_t lo = 0;
  uint32_t hi = count;
  while (lo < hi) {
    const uint32_t mid = lo + (hi - lo) / 2;
    if (e[mid].offset < offset)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo;
}

// The first record in [0, count) whose offset is above `offset`.
uint32_t UpperBound(const TagRecord* e, uint32_t count, int64_t offset) {
  uint32_t lo = 0;
  uint32_t hi = count;
  while (lo < hi) {
    const uint32_t mid = lo + (hi - lo) / 2;
    if (e[mid].offset <= offset)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo;
}

}  // namespace

// One block for the whole life of the list: capacity marks plus the sentinel.
TagList::TagList() : entries_(new TagRecord[kCapacity + 1]()) {}

uint32_t AddTag(TagList& list, int64_t offset, uint32_t flags) {
  TagRecord* e = list.entries();
  const uint32_t n = list.count;
  // The caller's guard is the rule; a full list takes nothing, not even a
  // merge. The capacity field is public, so the block's own size bounds it too.
  if (n >= std::min(list.capacity, TagList::kCapacity)) return list.capacity;
  // Mark All adds in ascending order: appending must not cost a search.
  if (n == 0 || e[n - 1].offset < offset) {
    e[n] = TagRecord{offset, flags, 0};
    list.count = n + 1;
    return n;
  }
  const uint32_t i = LowerBound(e, n, offset);
  if (e[i].offset == offset) {
    e[i].flags |= flags;
    return i;
  }
  std::memmove(e + i + 1, e + i, static_cast<size_t>(n - i) * sizeof(TagRecord));
  e[i] = TagRecord{offset, flags, 0};
  list.count = n + 1;
  return i;
}

uint32_t RemoveTagRange(TagList& list, int64_t a, int64_t b) {
  const int64_t lo = std::min(a, b);
  const int64_t hi = std::max(a, b);
  TagRecord* e = list.entries();
  const uint32_t n = list.count;
  const uint32_t first = LowerBound(e, n, lo);
  const uint32_t last = UpperBound(e, n, hi);
  if (first >= last) return 0;
  std::memmove(e + first, e + last, static_cast<size_t>(n - last) * sizeof(TagRecord));
  list.count = n - (last - first);
  return last - first;
}

void ApplyTagsToLines(LineTable& table, TagList& list) {
  TagRecord* e = list.entries();
  const uint32_t n = std::min(list.count, TagList::kCapacity);
  // The sentinel ends every scan below without a bounds test: no line offset
  // is above it.
  e[n].offset = kTagSentinel;
  const int32_t first = std::max(table.Afirst, 0);
  const int32_t last = std::min(table.Alast, table.Acnt - 1);
  if (first >= last) return;

  const TagRecord* r = e;
  const int64_t start = table[first].offset;
  while (r->offset < start) ++r;
  for (int32_t i = first; i < last; ++i) {
    // A line that does not advance past its predecessor takes no records,
    // so the walk stays forward-only whatever the table holds.
    const int64_t next = table[i + 1].offset;
    uint32_t tags = 0;
    while (r->offset < next) {
      tags |= r->flags;
      ++r;
    }
    LineEntry& line = table[i];
    line.flags = (line.flags & ~static_cast<uint32_t>(kTagMask)) | (tags & kTagMask);
  }
}

}  // namespace zorvo
