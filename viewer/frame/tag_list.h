// The marks users set on lines, kept by file offset so that they outlive
// every rebuild of the line table: one flat sorted array.
#pragma once

#include <cstdint>
#include <memory>

#include "viewer/file/line_table.h"
#include "viewer/file/rebuild.h"

namespace zorvo {

enum TagFlags : uint32_t {
  kSearchMark = 0x1,  // made by Mark All
  kUserMark = 0x2,    // made by Toggle and Set
};

struct TagRecord {
  int64_t offset = 0;
  uint32_t flags = 0;
  uint32_t unused = 0;
};
static_assert(sizeof(TagRecord) == 16, "TagRecord is a 16-byte record");

inline constexpr int64_t kTagSentinel = 0x7FFFFFFFFFFFFFFF;

class TagList {
 public:
  static constexpr uint32_t kCapacity = 65535;  // the slot after the last is the sentinel's

  TagList();
  TagList(const TagList&) = delete;  // a megabyte: never copied by accident
  TagList& operator=(const TagList&) = delete;

  uint32_t count = 0;
  uint32_t capacity = kCapacity;
  TagRecord* entries() { return entries_.get(); }
  const TagRecord* entries() const { return entries_.get(); }
  const TagRecord& operator[](uint32_t i) const { return entries_[i]; }

 private:
  std::unique_ptr<TagRecord[]> entries_;
};

// Adds `flags` to the mark at `offset`, inserting it in order when there is
// none. The caller checks count < capacity first. Returns the record's index.
uint32_t AddTag(TagList& list, int64_t offset, uint32_t flags);
// Removes the marks with offsets from a to b (either order; b at the largest
// offset reaches the end). Returns how many were removed.
uint32_t RemoveTagRange(TagList& list, int64_t a, int64_t b);
// Recomputes the tag bits of the lines Afirst..Alast-1 from the marks.
void ApplyTagsToLines(LineTable& table, TagList& list);

// The marks of a tag list, copied into the lines after every rebuild.
class TagMarker : public LineMarker {
 public:
  explicit TagMarker(TagList& tags) : tags_(tags) {}
  void MarkLines(LineTable& table) override {
    if (tags_.count > 0) ApplyTagsToLines(table, tags_);
  }

 private:
  TagList& tags_;
};

}  // namespace zorvo
