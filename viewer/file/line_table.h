// The display lines around the view: fixed slots of LineEntry records whose
// characters lie in one shared text buffer.
#pragma once

#include <cstdint>
#include <memory>

namespace zorvo {

// Line flags.
enum LineFlags : uint32_t {
  kTagMask = 0xF,         // tag marks of the tags on this line
  kMessageLine = 0x10,    // a line of the program-error report
  kPageBreak = 0x40,      // a page break precedes this line
  kTruncated = 0x100,     // longer than the line length, wrap off
  kIncomplete = 0x200,    // the data or the text buffer ended inside it
  kMarkerMask = 0xF00,    // any of these draws the marker colours
  kPageGap = 0x1000,      // an empty line standing for a page break
};

struct LineEntry {
  int64_t offset = 0;     // file offset of the line's first byte
  uint32_t text = 0;      // index of its first character in the text buffer
  int32_t length = 0;     // characters; -1 marks the end entry
  int32_t pageLine = 0;   // 1-based line within its page; -1 or 0 unknown
  uint32_t flags = 0;
};
static_assert(sizeof(LineEntry) == 24, "LineEntry is a 24-byte record");

inline constexpr int32_t kScreenLines = 4096;
inline constexpr int32_t kScreenText = 0x100000;  // 1 MiB

// Line slots plus the text buffer that holds their characters.
class LineTable {
 public:
  LineTable(int32_t slots, int32_t textCapacity);
  LineTable(const LineTable&) = delete;  // megabytes: never copied by accident
  LineTable& operator=(const LineTable&) = delete;

  LineEntry* entries() { return entries_.get(); }
  const LineEntry* entries() const { return entries_.get(); }
  LineEntry& operator[](int32_t i) { return entries_[i]; }
  const LineEntry& operator[](int32_t i) const { return entries_[i]; }
  char* chars() { return chars_.get(); }
  const char* chars() const { return chars_.get(); }
  // The characters of entry `i`.
  const char* TextOf(int32_t i) const { return chars_.get() + entries_[i].text; }

  int32_t Acnt = 0;    // number of slots
  int32_t Acur = 0;    // the line at the top of the window
  int32_t Afirst = 0;  // first valid line
  int32_t Alast = 0;   // the end entry, one past the last valid line
  int32_t Tlen = 0;    // text capacity
  int32_t Tend = 0;    // text bytes in use

 private:
  std::unique_ptr<LineEntry[]> entries_;
  std::unique_ptr<char[]> chars_;
};

}  // namespace zorvo
