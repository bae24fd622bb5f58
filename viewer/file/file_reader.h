// Reads one block of a file by name: open, refresh the length, read, close.
// Nothing stays open between reads, so a file that another program is still
// writing grows in the view.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "common/notifier.h"

namespace zorvo {

// The file being viewed.
struct FileRecord {
  int64_t Fcur = 0;   // position every block read is anchored to
  int64_t Flen = 0;   // length in bytes, refreshed by every read
  std::wstring path;  // empty: no file open
};

// A read request; the result has the same shape.
struct ReadRequest {
  unsigned char* buffer = nullptr;  // owned by the caller
  uint32_t size = 0;                // wanted (request) or placed (result)
  int64_t back = 0;                 // bytes before Fcur the block begins
};

// Read status bits.
enum ReadStatus : unsigned {
  kReadComplete = 0,
  kReadEndOfFile = 0x2,  // fewer bytes than requested remained
  kReadNothing = 0x8,    // the clamped size is 0
  kReadFailed = 0x100,
};

// Which file an open handle reads, as the system tells files apart (the
// volume and the file's number on it): a file renamed keeps it, another
// file put in its place has its own.
struct FileIdentity {
  uint64_t volume = 0;
  uint64_t file = 0;
  bool operator==(const FileIdentity&) const = default;
};

// An open file as the reader needs it. Implemented once per platform.
class FileHandle {
 public:
  virtual ~FileHandle() = default;
  // false when the system gives none.
  virtual bool Identity(FileIdentity&) { return false; }
  virtual bool Size(int64_t& size) = 0;
  virtual bool Seek(int64_t offset) = 0;
  // Reads up to `size` bytes; `got` receives the count actually read.
  virtual bool Read(unsigned char* buffer, uint32_t size, uint32_t& got) = 0;
  // The system error code of the last failure.
  virtual uint32_t LastError() const = 0;
};

class FileOpener {
 public:
  virtual ~FileOpener() = default;
  // Opens `path` for reading, sharing read and write access with others.
  // On failure returns null and sets `error` to the system error code.
  virtual std::unique_ptr<FileHandle> Open(const std::wstring& path, uint32_t& error) = 0;
};

// The platform's opener: CreateFileW on Windows, open(2) elsewhere.
FileOpener& PlatformFileOpener();
// For a file kept open for a while (the page index's): others may also
// rename or delete it meanwhile, as they may whenever the viewer has it
// closed.
FileOpener& KeepingFileOpener();

// Reads the block described by `request` into its buffer. Updates Flen and
// clamps Fcur in `file`; `result` receives the size placed and the index of
// the byte at Fcur within the buffer. A file that cannot be opened is
// reported through `notifier` ("Cannot open ...").
unsigned ReadBlock(FileRecord& file, const ReadRequest& request, ReadRequest& result,
                   Notifier& notifier, FileOpener& opener = PlatformFileOpener());

// The "Cannot open" message for `path` and system error `code`.
std::wstring CannotOpenMessage(const std::wstring& path, uint32_t code);

}  // namespace zorvo
