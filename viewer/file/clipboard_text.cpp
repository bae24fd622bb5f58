#include "viewer/file/clipboard_text.h"

#include <algorithm>
#include <memory>
#include <new>

namespace zorvo {

namespace {

FileOpener& OpenerOf(const CopySource& source) {
  return source.opener ? *source.opener : PlatformFileOpener();
}

// The copy's own walk over the file, so that the view's position is never
// touched; the length it finds is handed back to the view's record.
struct CopyWalk {
  FileRecord reading;
  LineWalk walk;
  const CopySource& source;

  CopyWalk(const CopySource& s, int64_t start)
      : reading{start, s.file.Flen, s.file.path},
        walk(reading, s.notifier, OpenerOf(s), s.format, s.params, start, s.pieces),
        source(s) {}
  ~CopyWalk() { source.file.Flen = reading.Flen; }

  bool Allocate(std::string& text) {
    if (!walk.Allocate()) return false;
    try {
      text.clear();
      text.reserve(static_cast<size_t>(source.clipboardBytes));
      return true;
    } catch (const std::bad_alloc&) {
      return false;
    }
  }
};

void AppendLine(std::string& text, const LineTable& table, int32_t i, size_t length) {
  text.append(table.TextOf(i), length);
  text += "\r\n";
}

// Reports a read or format failure.
void ReportFailure(const CopySource& source, LineWalk::Result result, uint32_t style) {
  source.notifier.Message(result == LineWalk::kReadError ? kFileReadError : kProgramError,
                          kCopyCaption, style, source.owner);
}

size_t LengthOf(const LineTable& table, int32_t i) {
  return static_cast<size_t>(std::max(table[i].length, 0));
}

}  // namespace

std::wstring TaggedLinesDoNotFitMessage(int32_t copied, uint32_t tagCount) {
  return L"Tagged lines do not fit in the clipboard. \nOnly " + std::to_wstring(copied) + L" of " +
         std::to_wstring(tagCount) + L" lines copied.";
}

std::wstring SelectedLinesDoNotFitMessage(int64_t copied, int64_t lines) {
  return L"Selected lines do not fit in the clipboard. \nOnly " + std::to_wstring(copied) +
         L" of " + std::to_wstring(lines) + L" lines copied.";
}

int CopySelectionText(const CopySource& source, int64_t start, int64_t end, std::string& text) {
  start = std::max<int64_t>(start, 0);
  if (end < 0) end = INT64_MAX;
  end = std::max(end, start + 1);
  CopyWalk copy(source, start);
  if (!copy.Allocate(text)) {
    source.notifier.Message(kCannotAllocateBuffers, kCopyCaption, kIconHand, source.owner);
    return 0;
  }
  if (!copy.walk.BeginAtLineOf(start)) {
    ReportFailure(source, LineWalk::kReadError, kIconHand);
    return 1;
  }
  // Every display line that begins before the end, each with CR LF, and
  // room for the closing 0. Once a line does not fit, the rest are only
  // counted, so that the user learns how much is missing.
  const size_t capacity = static_cast<size_t>(std::max(source.clipboardBytes, 3));
  int64_t copied = 0;
  int64_t lines = 0;
  bool full = false;
  LineWalk::Result result;
  while ((result = copy.walk.Next()) == LineWalk::kLines) {
    const LineTable& table = copy.walk.Table();
    bool past = false;
    for (int32_t i = 0; i < copy.walk.Count(); ++i) {
      if (table[i].offset >= end) {
        past = true;
        break;
      }
      ++lines;
      if (full) continue;
      const size_t length = LengthOf(table, i);
      if (text.size() + length + 3 <= capacity) {
        AppendLine(text, table, i, length);
        ++copied;
      } else {
        // A first line longer than the clipboard gives what fits of it.
        if (text.empty()) AppendLine(text, table, i, capacity - 3);
        full = true;
      }
    }
    if (past) break;
  }
  if (result == LineWalk::kReadError || result == LineWalk::kFormatError) {
    ReportFailure(source, result, kIconHand);
  } else if (full) {
    source.notifier.Message(SelectedLinesDoNotFitMessage(copied, lines), kCopyCaption,
                            kIconExclamation, source.owner);
  }
  return 1;
}

int32_t CopyTaggedText(const CopySource& source, const std::function<void(LineTable&)>& markLines,
                       uint32_t tagCount, std::string& text) {
  CopyWalk copy(source, 0);
  if (!copy.Allocate(text)) {
    source.notifier.Message(kCannotAllocateBuffers, kCopyCaption, kIconExclamation, source.owner);
    return 0;
  }
  const size_t capacity = static_cast<size_t>(std::max(source.clipboardBytes, 3));
  int32_t copied = 0;
  LineWalk::Result result;
  while ((result = copy.walk.Next()) == LineWalk::kLines) {
    LineTable& table = copy.walk.Table();
    if (markLines) markLines(table);
    for (int32_t i = 0; i < copy.walk.Count(); ++i) {
      if (!(table[i].flags & kTagMask)) continue;
      const size_t length = LengthOf(table, i);
      if (length + text.size() + 3 > capacity) {
        source.notifier.Message(TaggedLinesDoNotFitMessage(copied, tagCount), kCopyCaption,
                                kIconExclamation, source.owner);
        return -copied;
      }
      AppendLine(text, table, i, length);
      ++copied;
    }
    if (source.progress &&
        !source.progress->Reached(table[copy.walk.Count()].offset, copy.reading.Flen)) {
      text.clear();
      return 0;
    }
  }
  if (result == LineWalk::kEnd) return copied;
  ReportFailure(source, result, kIconExclamation);
  return -copied;
}

}  // namespace zorvo
