#include "viewer/file/page_index.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <limits>

#if defined(_WIN32) && defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zorvo {

namespace {

constexpr wchar_t kProgramError[] = L"Program Error";
constexpr wchar_t kSliceCaption[] = L"Zorvo Page Indexing";
constexpr wchar_t kSliceFailed[] =
    L"\n\nPage indexing failed, [GoTo page] command will not be available";
constexpr int32_t kSmallestBuffer = 4;
// Records are written in runs of this many bytes at most: a run of slices
// writes a few times, and keeps no more memory for them than one slice did.
constexpr size_t kRecordRun = 1024;
// A slice reads its buffer in pieces of this many bytes at most, and no
// more memory than that is taken for it, however large the buffer is set.
constexpr uint32_t kReadPiece = 256 * 1024;
// The first bytes of the file, kept to notice another file in its place.
constexpr size_t kHeadBytes = 64;

void Put32(unsigned char* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(value >> (8 * i));
}
void Put64(unsigned char* at, uint64_t value) {
  for (int i = 0; i < 8; ++i) at[i] = static_cast<unsigned char>(value >> (8 * i));
}
uint32_t Get32(const unsigned char* at) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | at[i];
  return value;
}
uint64_t Get64(const unsigned char* at) {
  uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = (value << 8) | at[i];
  return value;
}

// The first form feed in [at, end), or end. The C library of the Windows
// build compares byte by byte; the others' memchr is fast.
const unsigned char* FindFormFeed(const unsigned char* at, const unsigned char* end) {
#if !defined(_WIN32)
  const void* hit = std::memchr(at, '\f', static_cast<size_t>(end - at));
  return hit ? static_cast<const unsigned char*>(hit) : end;
#else
#if defined(__SSE2__)
  const __m128i feed = _mm_set1_epi8('\f');
  // Form feeds are rare: 64 bytes at a time until one of them is one.
  for (; end - at >= 64; at += 64) {
    const auto* block = reinterpret_cast<const __m128i*>(at);
    const __m128i any =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(_mm_loadu_si128(block), feed),
                                  _mm_cmpeq_epi8(_mm_loadu_si128(block + 1), feed)),
                     _mm_or_si128(_mm_cmpeq_epi8(_mm_loadu_si128(block + 2), feed),
                                  _mm_cmpeq_epi8(_mm_loadu_si128(block + 3), feed)));
    if (_mm_movemask_epi8(any) != 0) break;
  }
  for (; end - at >= 16; at += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    const int mask = _mm_movemask_epi8(_mm_cmpeq_epi8(bytes, feed));
    if (mask != 0) return at + __builtin_ctz(static_cast<unsigned>(mask));
  }
#endif
  for (; at < end; ++at) {
    if (*at == '\f') return at;
  }
  return end;
#endif
}

}  // namespace

PageIndex::PageIndex(Notifier& notifier, FileOpener& opener, PageIndexPlatform& platform)
    : notifier_(notifier), opener_(opener), platform_(platform) {
  SetClock({});
}

void PageIndex::SetClock(std::function<int64_t()> microseconds) {
  clock_ = microseconds ? std::move(microseconds) : [] {
    return static_cast<int64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                    std::chrono::steady_clock::now().time_since_epoch())
                                    .count());
  };
}

PageIndex::~PageIndex() {
  CleanUp();
  ReleaseBuffer();
}

int32_t PageIndex::IndexMessage(uint32_t message, const std::wstring& sourcePath,
                                int32_t bufferSize, uintptr_t owner) {
  switch (message) {
    case kPageIndexStart:
      return Start(sourcePath, bufferSize, owner);
    case kPageIndexContinue:
      if (state_ == PG_ACTIVE) return Slice() == PG_ACTIVE ? Flush() : state_;
      CleanUp();
      ProgramError(L"PG_CONT while not PG_ACTIVE");
      return state_;
    case kPageIndexCancel:
      CleanUp();
      return state_;
    case kPageIndexEnd:
      CleanUp();
      ReleaseBuffer();
      return state_;
    default: {
      wchar_t text[64];
      std::swprintf(text, 64, L"Unknown message code: %X", message);
      CleanUp();
      ProgramError(text);
      return state_;
    }
  }
}

void PageIndex::ProgramError(const std::wstring& text) {
  notifier_.Message(text, L"Program error", kIconHand, 0);
}

void PageIndex::CleanUp() {
  source_.reset();
  indexFile_.reset();
  if (!indexName_.empty()) platform_.RemoveFile(indexName_);
  indexName_.clear();
  scanPosition_ = 0;
  pageCount_ = 0;
  indexedLength_ = 0;
  writePosition_ = 0;
  pending_.clear();
  hasIdentity_ = false;
  head_.clear();
  sourceAt_ = kUnknownPosition;
  state_ = PG_IDLE;
  ++generation_;
}

void PageIndex::ReleaseBuffer() {
  if (buffer_) platform_.FreePages(buffer_, allocated_);
  buffer_ = nullptr;
  bufferSize_ = 0;
  allocated_ = 0;
}

// A failure ends the index before its message shows: the message box lets
// the window's other messages in (the ticks of the index, a file opened
// meanwhile), and they must find it ended, not end what they began.
int32_t PageIndex::FailStart(const std::wstring& text, uintptr_t owner) {
  CleanUp();
  ReleaseBuffer();
  notifier_.Message(text, kProgramError, kIconExclamation, owner);
  return state_;
}

int32_t PageIndex::FailSlice(const wchar_t* what) {
  CleanUp();
  ReleaseBuffer();
  notifier_.Message(std::wstring(what) + kSliceFailed, kSliceCaption, kMessageOk, 0);
  return state_;
}

bool PageIndex::WriteRecord(uint64_t first, uint32_t second) {
  unsigned char record[kPageIndexRecord] = {};
  Put64(record, first);
  Put32(record + 8, second);
  return indexFile_->Write(record, kPageIndexRecord);
}

bool PageIndex::WriteHeader(uint32_t count) {
  unsigned char header[kPageIndexRecord] = {};
  Put32(header, kPageIndexMagic);
  Put32(header + 8, count);
  return indexFile_->Write(header, kPageIndexRecord);
}

PageIndex::Fit PageIndex::FitsLength(uint64_t fileLength) const {
  if (state_ == PG_ACTIVE && fileLength < scanPosition_) return Fit::kShrunk;
  if (state_ != PG_DONE) return Fit::kFits;
  if (fileLength < indexedLength_) return Fit::kShrunk;
  return fileLength > indexedLength_ ? Fit::kGrown : Fit::kFits;
}

PageIndex::Fit PageIndex::FitsFile(const std::wstring& sourcePath, uint64_t fileLength) {
  const Fit fit = FitsLength(fileLength);
  if (fit == Fit::kShrunk) return fit;
  return Replaced(sourcePath) ? Fit::kReplaced : fit;
}

bool PageIndex::Replaced(const std::wstring& sourcePath) {
  if (state_ != PG_ACTIVE && state_ != PG_DONE) return false;
  uint32_t error = 0;
  const std::unique_ptr<FileHandle> now = opener_.Open(sourcePath, error);
  if (!now) return false;  // gone for the moment: the view says so
  FileIdentity identity;
  if (hasIdentity_ && now->Identity(identity) && !(identity == identity_)) return true;
  if (head_.empty()) return false;
  unsigned char bytes[kHeadBytes];
  uint32_t got = 0;
  const auto size = static_cast<uint32_t>(head_.size());
  if (!now->Seek(0) || !now->Read(bytes, size, got)) return false;
  // Fewer bytes than were indexed there: cut short, and as good as another.
  return got < size || std::memcmp(bytes, head_.data(), size) != 0;
}

void PageIndex::KeepHead(uint64_t base, const unsigned char* data, uint32_t count) {
  const uint64_t have = head_.size();
  if (have >= kHeadBytes || base > have || base + count <= have) return;
  const uint64_t take = std::min<uint64_t>(base + count, kHeadBytes) - have;
  const unsigned char* from = data + (have - base);
  head_.insert(head_.end(), from, from + take);
}

int32_t PageIndex::Resume(const std::wstring& sourcePath, uintptr_t owner) {
  if (state_ != PG_DONE || !indexFile_ || !buffer_) return state_;
  uint32_t error = 0;
  source_ = opener_.Open(sourcePath, error);
  if (!source_) return FailStart(L"Cannot open file:\n" + sourcePath, owner);
  sourceAt_ = kUnknownPosition;
  if (!indexFile_->Seek(0) || !WriteHeader(0)) {
    return FailStart(L"Index file write error:\n" + indexName_, owner);
  }
  indexedLength_ = 0;
  state_ = PG_ACTIVE;
  return state_;
}

int32_t PageIndex::Start(const std::wstring& sourcePath, int32_t bufferSize, uintptr_t owner) {
  CleanUp();
  indexName_ = platform_.UniqueTempName();
  indexFile_ = indexName_.empty() ? nullptr : platform_.CreateIndexFile(indexName_);
  if (!indexFile_) return FailStart(L"Cannot open temp file:\n" + indexName_, owner);

  const auto size = static_cast<size_t>(std::max(bufferSize, kSmallestBuffer));
  const size_t used = std::min<size_t>(size, kReadPiece);
  if (buffer_ && allocated_ != used) ReleaseBuffer();
  if (!buffer_) {
    buffer_ = platform_.AllocatePages(used);
    if (!buffer_) return FailStart(L"Cannot allocate file I/O buffer for page index.", owner);
    allocated_ = used;
  }
  bufferSize_ = size;

  uint32_t error = 0;
  source_ = opener_.Open(sourcePath, error);
  if (!source_) return FailStart(L"Cannot open file:\n" + sourcePath, owner);
  hasIdentity_ = source_->Identity(identity_);

  // The header (its count stays 0 until the index is complete) and page 1.
  if (!indexFile_->Seek(0) || !WriteHeader(0) || !WriteRecord(0, 0)) {
    return FailStart(L"Index file write error:\n" + indexName_, owner);
  }
  writePosition_ = 2 * kPageIndexRecord;
  pageCount_ = 1;
  scanPosition_ = 0;
  state_ = PG_ACTIVE;
  return state_;
}

bool PageIndex::AppendRecords() {
  if (pending_.empty()) return true;
  if (!indexFile_->Seek(writePosition_) ||
      !indexFile_->Write(pending_.data(), static_cast<uint32_t>(pending_.size()))) {
    return false;
  }
  writePosition_ += pending_.size();
  pending_.clear();
  return true;
}

int32_t PageIndex::Flush() {
  if (state_ == PG_ACTIVE && !AppendRecords()) {
    return FailSlice(L"Error writing the page index file.");
  }
  return state_;
}

bool PageIndex::FindPages(const unsigned char* at, const unsigned char* end, uint64_t base) {
  while (at < end) {
    const unsigned char* feed = FindFormFeed(at, end);
    if (feed == end) break;
    if ((feed[-1] == '\n' || feed[-1] == '\r') &&
        pageCount_ < std::numeric_limits<int32_t>::max()) {
      unsigned char record[kPageIndexRecord] = {};
      Put64(record, base + static_cast<uint64_t>(feed - buffer_));
      pending_.insert(pending_.end(), record, record + kPageIndexRecord);
      ++pageCount_;
      if (pending_.size() >= kRecordRun && !AppendRecords()) return false;
    }
    at = feed + 1;
  }
  return true;
}

int32_t PageIndex::Slice() {
  // A slice reads up to the buffer's size and examines the pairs beginning
  // at 0 to got - 4: the form feed of a pair is at 1 to got - 3; the last
  // three bytes are the first three of the next slice. They are kept, and
  // the file read on from where the slice before left it: a seek costs the
  // Windows build more than a read. The bytes are not kept otherwise: a
  // large buffer is read a piece at a time into its start, each piece
  // examined while it is still in the processor's cache, with the last
  // three bytes of a piece moved before the next one.
  const auto size = static_cast<uint32_t>(bufferSize_);
  const auto region = static_cast<uint32_t>(allocated_);
  uint32_t got = 0;                       // bytes of the slice read so far
  uint64_t base = scanPosition_;          // the file offset of buffer_[0]
  uint32_t have = 0;                      // bytes in the buffer
  uint64_t examined = scanPosition_ + 1;  // the next form feed position to examine
  if (sourceAt_ == scanPosition_ + sizeof tail_) {
    std::memcpy(buffer_, tail_, sizeof tail_);
    got = have = sizeof tail_;
  } else if (!source_->Seek(static_cast<int64_t>(scanPosition_))) {
    return FailSlice(L"Seek error.");
  }
  sourceAt_ = kUnknownPosition;
  while (got < size) {
    uint32_t part = 0;
    if (!source_->Read(buffer_ + have, std::min(size - got, region - have), part)) {
      return FailSlice(L"Read error.");
    }
    if (part == 0) break;
    KeepHead(base + have, buffer_ + have, part);
    got += part;
    have += part;
    const uint64_t limit = scanPosition_ + got - 2;  // form feeds before it are final
    if (got >= 4 && limit > examined) {
      if (!FindPages(buffer_ + (examined - base), buffer_ + (limit - base), base)) {
        return FailSlice(L"Error writing the page index file.");
      }
      examined = limit;
    }
    if (have == region && got < size) {
      std::memmove(buffer_, buffer_ + have - 3, 3);
      base += have - 3;
      have = 3;
    }
  }

  const uint64_t read = scanPosition_ + got;
  // The next slice begins with the first pair not examined. A whole slice
  // (at least 4 bytes) examined got - 3 of them; the last one of a file
  // may have examined none, and a file that grows later goes on from there.
  scanPosition_ += got > 3 ? got - 3 : 0;
  if (got == size) {
    std::memcpy(tail_, buffer_ + have - sizeof tail_, sizeof tail_);
    sourceAt_ = read;
  }
  if (got < bufferSize_) {
    if (!AppendRecords()) return FailSlice(L"Error writing the page index file.");
    state_ = PG_DONE;
    indexedLength_ = read;
    if (!indexFile_->Seek(0)) return FailSlice(L"Error locating the page index header.");
    if (!WriteHeader(static_cast<uint32_t>(pageCount_))) {
      return FailSlice(L"Error updating the page index header.");
    }
    source_.reset();
  }
  return state_;
}

int32_t PageIndex::Run(const std::wstring& sourcePath, int32_t bufferSize, int32_t budgetMs,
                       uintptr_t owner) {
  if (state_ != PG_ACTIVE) return state_;
  if (Replaced(sourcePath)) return Start(sourcePath, bufferSize, owner);
  const uint64_t run = generation_;
  const int64_t budget = int64_t{std::max(budgetMs, 0)} * 1000;
  const int64_t start = clock_();
  int64_t last = start;
  int64_t slowest = 0;
  for (;;) {
    Slice();
    // A failure ended the index; its message box may have let a new one
    // begin, which the next message goes on with.
    if (generation_ != run || state_ != PG_ACTIVE) return state_;
    const int64_t now = clock_();
    slowest = std::max(slowest, now - last);
    last = now;
    if (budget == 0 || now - start + slowest > budget) break;
  }
  return Flush();
}

int64_t PageIndex::PageLookup(int32_t page) {
  if (page < 1) return kNoSuchPage;
  int64_t count = pageCount_;
  unsigned char record[kPageIndexRecord] = {};
  uint32_t got = 0;
  if (count == 0) {
    if (!indexFile_ || !indexFile_->Seek(0) || !indexFile_->Read(record, kPageIndexRecord, got) ||
        got != kPageIndexRecord) {
      return kIndexReadError;
    }
    if (Get32(record) != kPageIndexMagic) {
      notifier_.Message(L"Index file corrupted.", kProgramError, kIconExclamation, 0);
      return kIndexReadError;
    }
    count = Get32(record + 8);
  }
  if (page > count) return kNoSuchPage;
  if (!indexFile_ || !indexFile_->Seek(uint64_t{kPageIndexRecord} * static_cast<uint64_t>(page)) ||
      !indexFile_->Read(record, kPageIndexRecord, got) || got != kPageIndexRecord) {
    return kIndexReadError;
  }
  return static_cast<int64_t>(Get64(record) & static_cast<uint64_t>(INT64_MAX));
}

int RemoveLeftIndexFiles(PageIndexPlatform& platform) {
  int removed = 0;
  for (const std::wstring& name : platform.IndexNamesInTempFolder()) {
    unsigned char header[kPageIndexRecord] = {};
    uint32_t got = 0;
    {
      // Not open for writing: no viewer is indexing with it.
      const std::unique_ptr<IndexFile> file = platform.OpenIfUnused(name);
      if (!file || !file->Read(header, kPageIndexRecord, got)) continue;
    }
    // Another program's file of the same kind of name stays.
    if (got != kPageIndexRecord || Get32(header) != kPageIndexMagic) continue;
    platform.RemoveFile(name);
    ++removed;
  }
  return removed;
}

}  // namespace zorvo
