// Finding a byte pattern in the file on disk: from a start offset toward the
// end, in large buffers that overlap by the pattern length less one.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/notifier.h"
#include "viewer/file/file_reader.h"
#include "viewer/file/scan_path.h"
#include "viewer/file/work_progress.h"

namespace zorvo {

enum SearchFlags : uint16_t {
  kSearchDefined = 0x1,
  kSearchHexText = 0x2,  // the pattern was given as hex text
  kSearchCaseSensitive = 0x4,
  kSearchMarkAll = 0x100,
  kSearchFromTop = 0x200,
};

inline constexpr int32_t kMaxPattern = 256;
inline constexpr uint32_t kSearchBuffer = 0x80000;  // 512 KiB

// Results of FindForward below zero.
enum SearchResult : int64_t {
  kNotFound = -1,
  kEmptyPattern = -2,
  kSearchStopped = -3,  // the progress asked to stop
  kNoSearchBuffer = -10,
  kSearchOpenFailed = -21,
  kSearchSeekFailed = -22,
};

// How a search reads the file: the size of its pieces (tests make them
// tiny), and whom it tells how far it has come after each piece.
struct SearchWork {
  uint32_t piece = kSearchBuffer;
  WorkProgress* progress = nullptr;  // null: nobody; may stop the search
};

struct SearchState {
  std::string pattern;  // in the file's code, at most 256 bytes
  uint16_t flags = 0;
  int64_t position = -1;  // the last match, or -1
};

// The offset of the first match at or after `file.Fcur`, or a negative
// result. Letters A-Z and a-z compare equal unless `caseSensitive`.
int64_t FindForward(FileRecord& file, std::string_view pattern, bool caseSensitive,
                    Notifier& notifier, FileOpener& opener = PlatformFileOpener(),
                    const SearchWork& work = {});

// Every match from `file.Fcur` on, overlapping ones included, in ascending
// order: the matches repeated FindForward calls from each match + 1 find,
// in one pass over the file. `found(offset)` returns false to stop. Returns
// the number found, or a negative result as FindForward does; a search
// that was stopped returns kSearchStopped after the matches found so far.
template <typename Found>
int64_t FindAll(FileRecord& file, std::string_view pattern, bool caseSensitive, Notifier& notifier,
                Found&& found, FileOpener& opener = PlatformFileOpener(),
                const SearchWork& work = {});

// The first match in `data`, as FindForward compares; -1 when none.
int64_t FindInBuffer(const unsigned char* data, int64_t size, std::string_view pattern,
                     bool caseSensitive);

// Parses hex text ("41 42 43", "414243"; a lone digit before a space or at
// the end is the high half of a byte). Returns the number of bytes, or
// -(i + 1) for an invalid character at index i.
int ParseHexText(std::string_view text, std::string& bytes);

namespace detail {
// The indexes of the pattern's three rarest bytes by how often bytes occur
// in text, rarest first (the last index repeated in a shorter pattern): the
// scan looks for these first.
std::array<int64_t, 3> RareBytes(std::string_view pattern, bool caseSensitive);

// One pass over the file from file.Fcur; `report` is called for every match
// and returns false to stop.
int64_t ScanFile(FileRecord& file, std::string_view pattern, bool caseSensitive, Notifier& notifier,
                 FileOpener& opener, const SearchWork& work, bool all,
                 bool (*report)(void*, int64_t), void* context);
}  // namespace detail

template <typename Found>
int64_t FindAll(FileRecord& file, std::string_view pattern, bool caseSensitive, Notifier& notifier,
                Found&& found, FileOpener& opener, const SearchWork& work) {
  return detail::ScanFile(
      file, pattern, caseSensitive, notifier, opener, work, true,
      [](void* context, int64_t offset) { return (*static_cast<Found*>(context))(offset); },
      &found);
}

}  // namespace zorvo
