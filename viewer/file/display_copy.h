// Copies file bytes into display text through a code table, many bytes at a
// time: the bytes the table leaves as they are (in ANSI every byte from the
// space up) go over as they stand, and only the others are looked up. The
// results are those of looking up every byte.
#pragma once

#include <cstdint>

#include "viewer/file/code_tables.h"
#include "viewer/file/scan_path.h"

namespace zorvo {

class DisplayCopy {
 public:
  // `path` picks the way of copying; the plain one looks up every byte.
  explicit DisplayCopy(const CodeTable& table, detail::ScanPath path = detail::CurrentScanPath());

  // Writes the display characters of src[0, n) to out[0, n).
  void Copy(const unsigned char* src, int64_t n, char* out) const { copy_(*this, src, n, out); }

  // The same up to the first tab in src[0, n): returns its index, or n. The
  // characters from the tab on may be written too and are to be overwritten.
  int64_t CopyToTab(const unsigned char* src, int64_t n, char* out) const {
    return copyToTab_(*this, src, n, out);
  }

  // Writes the display characters of src[0, n) from column 0 of `out` with
  // every tab expanded to spaces up to the next multiple of `tabLength`, but
  // not beyond `lineLength`, within `room` columns. Returns the columns
  // written; `consumed` receives the bytes shown, fewer than n when the room
  // ran out. The bytes src[0, readable) may be read (readable >= n), and
  // out[0, writable) written (writable >= room).
  int32_t ExpandTabs(const unsigned char* src, int64_t n, int64_t readable, char* out, int32_t room,
                     int32_t writable, int32_t tabLength, int32_t lineLength,
                     int64_t& consumed) const {
    return expandTabs_(*this, src, n, readable, out, room, writable, tabLength, lineLength,
                       consumed);
  }

  // Whether CopyToLineEnd works: it has vector code on this processor, and
  // the table leaves enough bytes as they are to copy them in runs.
  bool CopiesLines() const { return copyToLineEnd_ != nullptr; }

  // Writes the display characters of src up to its first CR or LF to `out`,
  // many bytes at a time, and returns the index of that line end. Returns -1
  // when it finds none before reading past src[avail - 1], writing past
  // out[room - 1], or looking further than about `most` bytes. Characters
  // after the line end may be written too. Only when CopiesLines().
  int64_t CopyToLineEnd(const unsigned char* src, int64_t avail, char* out, int64_t room,
                        int64_t most) const {
    return copyToLineEnd_(*this, src, avail, out, room, most);
  }

  // Whether ExpandToLineEnd works (AVX2 only).
  bool ExpandsLines() const { return expandToLineEnd_ != nullptr; }

  // ExpandTabs of src up to its first CR or LF, found in the same pass, when
  // all of it fits in `room` columns: returns the index of that line end and
  // the columns written. Returns -1 when it does not fit, or when no line end
  // comes before reading past src[avail - 1] or writing past
  // out[writable - 1] (writable >= room). When it does not fit, `cut` is the
  // index of the first byte that the `room` columns written do not show, as
  // when the line is cut at room == lineLength; otherwise -1.
  int64_t ExpandToLineEnd(const unsigned char* src, int64_t avail, char* out, int32_t room,
                          int32_t writable, int32_t tabLength, int32_t lineLength, int32_t& columns,
                          int64_t& cut) const {
    return expandToLineEnd_(*this, src, avail, out, room, writable, tabLength, lineLength, columns,
                            cut);
  }

  unsigned char operator[](unsigned char b) const { return table_[b]; }

  // The kernels, for the way chosen.
  using CopyFn = void (*)(const DisplayCopy&, const unsigned char*, int64_t, char*);
  using CopyToTabFn = int64_t (*)(const DisplayCopy&, const unsigned char*, int64_t, char*);
  using ExpandTabsFn = int32_t (*)(const DisplayCopy&, const unsigned char*, int64_t, int64_t,
                                   char*, int32_t, int32_t, int32_t, int32_t, int64_t&);
  using CopyToLineEndFn = int64_t (*)(const DisplayCopy&, const unsigned char*, int64_t, char*,
                                      int64_t, int64_t);
  using ExpandToLineEndFn = int64_t (*)(const DisplayCopy&, const unsigned char*, int64_t, char*,
                                        int32_t, int32_t, int32_t, int32_t, int32_t&, int64_t&);

  CodeTable table_;
  // table_[b] == b for every b from low_ to high_; empty when low_ > high_.
  unsigned char low_ = 1;
  unsigned char high_ = 0;

 private:
  CopyFn copy_;
  CopyToTabFn copyToTab_;
  ExpandTabsFn expandTabs_;
  CopyToLineEndFn copyToLineEnd_;
  ExpandToLineEndFn expandToLineEnd_;
};

}  // namespace zorvo
