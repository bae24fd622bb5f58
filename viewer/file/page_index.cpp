#include "viewer/file/page_index.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

namespace zorvo {

namespace {

constexpr wchar_t kProgramError[] = L"Program Error";
constexpr wchar_t kSliceCaption[] = L"Zorvo Page Indexing";
constexpr wchar_t kSliceFailed[] =
    L"\n\nPage indexing failed, [GoTo page] command will not be available";
constexpr int32_t kSmallestBuffer = 4;
// Records are written in runs of this many bytes at most.
constexpr size_t kRecordRun = 64 * 1024;

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

// Reads until `size` bytes are in or the file ends.
bool ReadFull(FileHandle& file, unsigned char* buffer, uint32_t size, uint32_t& got) {
  got = 0;
  while (got < size) {
    uint32_t part = 0;
    if (!file.Read(buffer + got, size - got, part)) return false;
    if (part == 0) break;
    got += part;
  }
  return true;
}

}  // namespace

PageIndex::PageIndex(Notifier& notifier, FileOpener& opener, PageIndexPlatform& platform)
    : notifier_(notifier), opener_(opener), platform_(platform) {}

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
      if (state_ == PG_ACTIVE) return Slice();
      ProgramError(L"PG_CONT while not PG_ACTIVE");
      CleanUp();
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
      ProgramError(text);
      CleanUp();
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
  state_ = PG_IDLE;
}

void PageIndex::ReleaseBuffer() {
  if (buffer_) platform_.FreePages(buffer_, bufferSize_);
  buffer_ = nullptr;
  bufferSize_ = 0;
}

int32_t PageIndex::FailStart(const std::wstring& text, uintptr_t owner) {
  notifier_.Message(text, kProgramError, kIconExclamation, owner);
  CleanUp();
  ReleaseBuffer();
  return state_;
}

int32_t PageIndex::FailSlice(const wchar_t* what) {
  notifier_.Message(std::wstring(what) + kSliceFailed, kSliceCaption, kMessageOk, 0);
  CleanUp();
  ReleaseBuffer();
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

int32_t PageIndex::Resume(const std::wstring& sourcePath, uintptr_t owner) {
  if (state_ != PG_DONE || !indexFile_ || !buffer_) return state_;
  uint32_t error = 0;
  source_ = opener_.Open(sourcePath, error);
  if (!source_) return FailStart(L"Cannot open file:\n" + sourcePath, owner);
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
  if (buffer_ && bufferSize_ != size) ReleaseBuffer();
  if (!buffer_) {
    buffer_ = platform_.AllocatePages(size);
    if (!buffer_) return FailStart(L"Cannot allocate file I/O buffer for page index.", owner);
    bufferSize_ = size;
  }

  uint32_t error = 0;
  source_ = opener_.Open(sourcePath, error);
  if (!source_) return FailStart(L"Cannot open file:\n" + sourcePath, owner);

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

int32_t PageIndex::Slice() {
  if (!source_->Seek(static_cast<int64_t>(scanPosition_))) return FailSlice(L"Seek error.");
  uint32_t got = 0;
  if (!ReadFull(*source_, buffer_, static_cast<uint32_t>(bufferSize_), got)) {
    return FailSlice(L"Read error.");
  }

  // The pairs beginning at 0 to got - 4: the form feed of a pair is at 1 to
  // got - 3. The last three bytes are read again by the next slice.
  if (got >= 4) {
    const unsigned char* at = buffer_ + 1;
    const unsigned char* const end = buffer_ + got - 2;
    while (at < end) {
      const void* hit = std::memchr(at, '\f', static_cast<size_t>(end - at));
      if (!hit) break;
      const auto* feed = static_cast<const unsigned char*>(hit);
      if ((feed[-1] == '\n' || feed[-1] == '\r') &&
          pageCount_ < std::numeric_limits<int32_t>::max()) {
        unsigned char record[kPageIndexRecord] = {};
        Put64(record, scanPosition_ + static_cast<uint64_t>(feed - buffer_));
        pending_.insert(pending_.end(), record, record + kPageIndexRecord);
        ++pageCount_;
        if (pending_.size() >= kRecordRun && !AppendRecords()) {
          return FailSlice(L"Error writing the page index file.");
        }
      }
      at = feed + 1;
    }
  }
  if (!AppendRecords()) return FailSlice(L"Error writing the page index file.");

  const uint64_t read = scanPosition_ + got;
  scanPosition_ += got > 4 ? got - 3 : 1;
  if (got < bufferSize_) {
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

}  // namespace zorvo
