// The page index: where each page of the viewed file begins, so that Go To
// Page works on a file of any size. The window feeds it slices: each slice
// reads one buffer of the file, finds the page breaks in it and appends a
// record per page to a temporary index file, which lookups read while
// indexing goes on. A run is as many slices as fit in a time budget, so
// that the window indexes whenever it is idle without being held up. A page
// begins at a form feed that directly follows a line end (LF FF or CR FF);
// the first page at 0.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/notifier.h"
#include "viewer/file/file_reader.h"

namespace zorvo {

enum PageIndexState : int32_t {
  PG_IDLE = 1,    // no index, or it failed
  PG_ACTIVE = 2,  // slices still to come
  PG_DONE = 3,    // the whole file is indexed
};

// The index messages, with the values of the window messages that carry them.
enum PageIndexMessage : uint32_t {
  kPageIndexStart = 0x40D,
  kPageIndexContinue = 0x40E,
  kPageIndexCancel = 0x40F,  // closes and deletes the index; keeps the buffer
  kPageIndexEnd = 0x410,     // as cancel, and releases the buffer
};

// The index file: 16-byte little-endian records; record 0 is the header
// (magic, reserved, page count once complete, reserved), record n the
// offset of page n followed by 8 zero bytes.
inline constexpr uint32_t kPageIndexMagic = 0x1A586451;  // "QdX" and 0x1A
inline constexpr uint32_t kPageIndexRecord = 16;

// Lookup results other than an offset.
inline constexpr int64_t kNoSuchPage = -1;
inline constexpr int64_t kIndexReadError = -3;

// An open index file, read and written at a position the caller sets.
class IndexFile {
 public:
  virtual ~IndexFile() = default;
  virtual bool Seek(uint64_t offset) = 0;
  // Writes all `size` bytes, or fails.
  virtual bool Write(const unsigned char* data, uint32_t size) = 0;
  virtual bool Read(unsigned char* data, uint32_t size, uint32_t& got) = 0;
};

// What the index needs of the system besides reading the viewed file.
class PageIndexPlatform {
 public:
  virtual ~PageIndexPlatform() = default;
  // A new, empty file of a unique name beginning "TPX" in the temporary
  // folder; empty when the system gives none.
  virtual std::wstring UniqueTempName() = 0;
  // Creates or empties `name` for reading and writing; null on failure.
  virtual std::unique_ptr<IndexFile> CreateIndexFile(const std::wstring& name) = 0;
  virtual void RemoveFile(const std::wstring& name) = 0;
  // Whole pages of memory for the I/O buffer; null on failure.
  virtual unsigned char* AllocatePages(size_t size) = 0;
  virtual void FreePages(unsigned char* pages, size_t size) = 0;
  // The files in the temporary folder named as UniqueTempName names them.
  virtual std::vector<std::wstring> IndexNamesInTempFolder() { return {}; }
  // Opens `name` for reading, unless a program has it open for writing (a
  // running viewer keeps its index so); null then, or on failure.
  virtual std::unique_ptr<IndexFile> OpenIfUnused(const std::wstring&) { return nullptr; }
};

// The system's: temporary files and VirtualAlloc on Windows, the temporary
// folder and mmap elsewhere.
PageIndexPlatform& PlatformPageIndex();

// Deletes the index files that viewers which ended without cleaning up (a
// viewer killed, a machine switched off) left in the temporary folder:
// files named as index files, beginning with the index magic, that no
// program has open for writing. Returns how many it deleted.
int RemoveLeftIndexFiles(PageIndexPlatform& platform = PlatformPageIndex());

class PageIndex {
 public:
  // Messages go through `notifier`; its owner window is given per message.
  explicit PageIndex(Notifier& notifier, FileOpener& opener = KeepingFileOpener(),
                     PageIndexPlatform& platform = PlatformPageIndex());
  ~PageIndex();  // as kPageIndexEnd, without messages
  PageIndex(const PageIndex&) = delete;
  PageIndex& operator=(const PageIndex&) = delete;

  // Handles one index message for the file at `sourcePath`, reading
  // `bufferSize` bytes per slice (at least 4 are used: a slice looks at
  // byte pairs and keeps three bytes for the next). Messages about
  // starting are shown over `owner`; those of a failed slice have no owner.
  // A failure has ended the index when its message shows. Returns the new
  // state.
  int32_t IndexMessage(uint32_t message, const std::wstring& sourcePath, int32_t bufferSize,
                       uintptr_t owner = 0);

  // A run of slices for one kPageIndexContinue while the index is active:
  // slices follow one another while the next one still fits in `budgetMs`
  // milliseconds from the start of the run (the slowest one so far is the
  // measure); there is always one, and with a budget of 0 or less exactly
  // one. A file no longer the one indexed (another put in its place) is
  // indexed again from the start. Every page found can be looked up when
  // the run returns. Returns the new state.
  int32_t Run(const std::wstring& sourcePath, int32_t bufferSize, int32_t budgetMs,
              uintptr_t owner = 0);
  // The clock of the runs, in microseconds; a steady clock unless set.
  void SetClock(std::function<int64_t()> microseconds);

  // Whether the index still fits the file, now `fileLength` bytes long.
  enum class Fit {
    kFits,      // nothing to do
    kGrown,     // complete, and the file has grown since: Resume
    kShrunk,    // bytes already indexed are gone: start again
    kReplaced,  // another file is at the path now: start again
  };
  Fit FitsLength(uint64_t fileLength) const;
  // As FitsLength, and whether `sourcePath` still names the file indexed
  // (the same file to the system, the same first bytes).
  Fit FitsFile(const std::wstring& sourcePath, uint64_t fileLength);
  // Goes on from where a complete index ended, for a file that has grown:
  // the source is opened again and the header's count is 0 until the new
  // end. Returns the new state; a failure ends the index as a failed start.
  int32_t Resume(const std::wstring& sourcePath, uintptr_t owner = 0);

  // The offset at which page `page` begins; kNoSuchPage when it is below 1
  // or beyond the pages found so far, kIndexReadError when the index file
  // cannot be read or is not one.
  int64_t PageLookup(int32_t page);

  int32_t state() const { return state_; }
  // The index file exists (and is open).
  bool HasIndex() const { return indexFile_ != nullptr; }
  const std::wstring& indexFileName() const { return indexName_; }
  int32_t pageCount() const { return pageCount_; }
  uint64_t scanPosition() const { return scanPosition_; }
  // The length of the file the completed index covers.
  uint64_t indexedLength() const { return indexedLength_; }

 private:
  int32_t Start(const std::wstring& sourcePath, int32_t bufferSize, uintptr_t owner);
  // One slice; its records may be left pending, except at the end.
  int32_t Slice();
  // Writes the pending records of an active index.
  int32_t Flush();
  bool Replaced(const std::wstring& sourcePath);
  // Keeps the bytes at the start of the file from `count` bytes read at
  // file offset `base`.
  void KeepHead(uint64_t base, const unsigned char* data, uint32_t count);
  // Closes both files and deletes the index; page count 0, state idle.
  void CleanUp();
  void ReleaseBuffer();
  int32_t FailStart(const std::wstring& text, uintptr_t owner);
  int32_t FailSlice(const wchar_t* what);
  void ProgramError(const std::wstring& text);
  bool WriteRecord(uint64_t first, uint32_t second);
  bool WriteHeader(uint32_t count);
  bool AppendRecords();
  // Appends a record for each page break whose form feed lies in [at, end)
  // of the buffer, which holds the file from offset `base`; false when
  // records cannot be written.
  bool FindPages(const unsigned char* at, const unsigned char* end, uint64_t base);

  Notifier& notifier_;
  FileOpener& opener_;
  PageIndexPlatform& platform_;

  int32_t state_ = PG_IDLE;
  std::wstring indexName_;
  std::unique_ptr<IndexFile> indexFile_;
  std::unique_ptr<FileHandle> source_;
  uint64_t scanPosition_ = 0;
  int32_t pageCount_ = 0;
  uint64_t indexedLength_ = 0;
  // Where the next record goes, whatever a lookup read last.
  uint64_t writePosition_ = 0;
  unsigned char* buffer_ = nullptr;
  size_t bufferSize_ = 0;               // bytes a slice reads
  size_t allocated_ = 0;                // bytes of buffer_: a slice reads a piece at a time
  std::vector<unsigned char> pending_;  // records found, not yet written
  // Where the source is positioned after a whole slice, and the last three
  // bytes that slice read, which the next one begins with.
  static constexpr uint64_t kUnknownPosition = ~uint64_t{0};
  uint64_t sourceAt_ = kUnknownPosition;
  unsigned char tail_[3] = {};
  // Counts the clean-ups: a run ends when its index has gone meanwhile (a
  // message box of a failure lets other messages in).
  uint64_t generation_ = 0;
  // The file indexed: its identity (when the system gives one) and its
  // first bytes, as far as they have been read.
  FileIdentity identity_;
  bool hasIdentity_ = false;
  std::vector<unsigned char> head_;
  std::function<int64_t()> clock_;
};

}  // namespace zorvo
