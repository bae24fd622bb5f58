#include "viewer/file/file_reader.h"

#include <algorithm>
#include <cwchar>

#include "common/shared_names.h"
#include "common/system_error_text.h"

namespace zorvo {

namespace {

constexpr size_t kMessageCapacity = 512;  // characters, with the terminator

}  // namespace

std::wstring CannotOpenMessage(const std::wstring& path, uint32_t code) {
  std::optional<std::wstring> reason = SystemErrorText(code);
  std::wstring text = L"Cannot open \"" + path + L"\"\n\nError " + std::to_wstring(code) + L": " +
                      (reason ? *reason : std::wstring(L"<unknown error>"));
  if (text.size() > kMessageCapacity - 1) text.resize(kMessageCapacity - 1);
  return text;
}

unsigned ReadBlock(FileRecord& file, const ReadRequest& request, ReadRequest& result,
                   Notifier& notifier, FileOpener& opener) {
  result = request;
  result.size = 0;

  uint32_t error = 0;
  std::unique_ptr<FileHandle> handle = opener.Open(file.path, error);
  if (!handle) {
    notifier.Message(CannotOpenMessage(file.path, error), kViewerTitle, kIconHand, 0);
    return kReadFailed;
  }

  // The length is refreshed on every read: the file may have grown or shrunk.
  int64_t length = 0;
  if (!handle->Size(length)) return kReadFailed;
  file.Flen = length;
  file.Fcur = std::min(file.Fcur, file.Flen);

  result = request;
  int64_t start = file.Fcur - request.back;
  if (start < 0) {
    result.back += start;
    start = 0;
  }
  // A block that would run past the end is moved back to end there.
  if (request.size > file.Flen - start) {
    const int64_t moved = std::max<int64_t>(file.Flen - request.size, 0);
    result.back += start - moved;
    start = moved;
  }
  unsigned status = kReadComplete;
  if (file.Flen - start < request.size) {
    result.size = static_cast<uint32_t>(file.Flen - start);
    status |= kReadEndOfFile;
  }
  if (result.size == 0) return status | kReadNothing;

  if (start > 0 && !handle->Seek(start)) {
    result.size = 0;
    return status | kReadFailed;
  }

  // Only the bytes the system hands over count: a file cut short since its
  // length was taken must not show what the buffer held before.
  uint32_t placed = 0;
  while (placed < result.size) {
    uint32_t got = 0;
    if (!handle->Read(request.buffer + placed, result.size - placed, got)) {
      result.size = placed;
      return status | kReadFailed;
    }
    if (got == 0) break;
    placed += got;
  }
  if (placed < result.size) {
    result.size = placed;
    status |= kReadEndOfFile;
    // The file now ends where the read stopped; keep Fcur inside it and the
    // block's anchor inside the bytes placed.
    file.Flen = start + placed;
    file.Fcur = std::min(file.Fcur, file.Flen);
    result.back = file.Fcur - start;
    if (placed == 0) status |= kReadNothing;
  }
  return status;
}

}  // namespace zorvo
