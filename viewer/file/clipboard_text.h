// The text Copy and Copy Tags place on the clipboard: display lines, not file
// bytes, exactly as the window shows them in the current display format and
// character code, each followed by CR LF. The lines are assembled with the
// formatters into buffers of the copy's own, so the view is never disturbed.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "common/notifier.h"
#include "common/shared_names.h"
#include "viewer/file/file_reader.h"
#include "viewer/file/formatter.h"
#include "viewer/file/line_table.h"
#include "viewer/file/line_walk.h"
#include "viewer/file/work_progress.h"

namespace zorvo {

// The clipboard text holds at most this many bytes, its closing 0 included.
inline constexpr int32_t kClipboardBytes = 0x100000;

inline constexpr const auto& kCopyCaption = kViewerTitle;
inline constexpr wchar_t kCannotAllocateBuffers[] = L"Cannot allocate buffers!";
inline constexpr wchar_t kFileReadError[] = L"File read error";
inline constexpr wchar_t kProgramError[] = L"Program error";
inline constexpr wchar_t kCannotPlaceOnClipboard[] = L"Cannot place data on the clipboard";

// What a copy reads and how it shows it. The copy reads `file` with a
// position of its own; the length it finds is written back to `file`.
struct CopySource {
  FileRecord& file;
  int format = kFormatText;
  FormatParams params;  // the options word and the line length of the view
  Notifier& notifier;
  uintptr_t owner = 0;           // the window the messages belong to
  FileOpener* opener = nullptr;  // null: the platform's
  WalkPieces pieces{};           // the sizes the file is read and formatted in
  int32_t clipboardBytes = kClipboardBytes;
  WorkProgress* progress = nullptr;  // Copy Tags tells it how far it has come
};

// Copy: the display lines that begin before `end`, the first starting
// exactly at `start` (even inside a line of the file). A negative start is
// 0, a negative end the end of the file, and the end is at least start + 1.
// Lines that do not fit the clipboard whole are left out, and the user is
// told how many of how many lines were copied. Returns 1 with `text` set,
// also after a read or format error (with what was gathered until then); 0
// when the buffers cannot be allocated.
int CopySelectionText(const CopySource& source, int64_t start, int64_t end, std::string& text);

// Copy Tags: every line of the file that `markLines` gives a tag mark
// (flags 0xF; it is called with each table of lines made). `tagCount` is
// the number of marks, named when the lines do not fit. Returns the number
// of lines in `text`, negated when an error stopped the copy; 0 when no
// line was copied, also when the progress asked to stop (`text` is then
// empty).
int32_t CopyTaggedText(const CopySource& source, const std::function<void(LineTable&)>& markLines,
                       uint32_t tagCount, std::string& text);

// "Tagged lines do not fit in the clipboard. \nOnly 5 of 9 lines copied."
std::wstring TaggedLinesDoNotFitMessage(int32_t copied, uint32_t tagCount);
// "Selected lines do not fit in the clipboard. \nOnly 5 of 9 lines copied."
std::wstring SelectedLinesDoNotFitMessage(int64_t copied, int64_t lines);

}  // namespace zorvo
