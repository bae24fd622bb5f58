// Pieces the formatter fuzz targets share: the input read byte by byte, and
// a line table whose unused slots and text carry a pattern.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>

#include "viewer/file/line_table.h"

namespace zorvo {

// The fuzzer's input, one byte at a time; zeros once it is used up.
struct Reader {
  const uint8_t* data;
  size_t size;
  uint8_t Byte() {
    if (size == 0) return 0;
    --size;
    return *data++;
  }
};

// Slots and text beyond the capacity start with a pattern, so that a write
// outside the cursor's range shows even without a sanitizer.
class GuardedTable {
 public:
  static constexpr int32_t kGuard = 64;
  static constexpr uint8_t kFill = 0xA5;

  GuardedTable(int32_t slots, int32_t capacity)
      : capacity_(capacity),
        entries_(new LineEntry[slots]),
        chars_(new char[static_cast<size_t>(capacity) + kGuard]) {
    std::memset(static_cast<void*>(entries_.get()), kFill,
                sizeof(LineEntry) * static_cast<size_t>(slots));
    std::memset(chars_.get() + capacity, kFill, kGuard);
  }
  LineEntry* entries() const { return entries_.get(); }
  char* chars() const { return chars_.get(); }
  // Whether slots [from, to) still hold the pattern. memcmp keeps the check
  // cheap under coverage instrumentation.
  bool Untouched(int32_t from, int32_t to) const {
    static const LineEntry pattern = [] {
      LineEntry e;
      std::memset(static_cast<void*>(&e), kFill, sizeof e);
      return e;
    }();
    for (int32_t i = from; i < to; ++i) {
      if (std::memcmp(&entries_[i], &pattern, sizeof pattern) != 0) return false;
    }
    return true;
  }
  bool GuardIntact() const {
    static const std::array<char, kGuard> pattern = [] {
      std::array<char, kGuard> p;
      p.fill(static_cast<char>(kFill));
      return p;
    }();
    return std::memcmp(chars_.get() + capacity_, pattern.data(), kGuard) == 0;
  }

 private:
  int32_t capacity_;
  std::unique_ptr<LineEntry[]> entries_;
  std::unique_ptr<char[]> chars_;
};

}  // namespace zorvo
