// Copy (171) and Copy Tags (174): the core assembles the text of the lines
// in private buffers; this places it on the clipboard as CF_TEXT.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "viewer/file/clipboard_text.h"
#include "viewer/frame/win32/frame.h"
#include "viewer/resources/resource.h"
#include "viewer/settings/format_options.h"

namespace zorvo {

namespace {

// Hands `text` and its closing 0 to the clipboard, which then owns the
// memory. False when any step fails; the clipboard is closed again.
bool PlaceOnClipboard(HWND window, const std::string& text) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  if (!memory) return false;
  if (void* bytes = GlobalLock(memory)) {
    std::memcpy(bytes, text.c_str(), text.size() + 1);
    GlobalUnlock(memory);
  } else {
    GlobalFree(memory);
    return false;
  }
  if (!OpenClipboard(window)) {
    GlobalFree(memory);
    return false;
  }
  const bool placed = EmptyClipboard() && SetClipboardData(CF_TEXT, memory) != nullptr;
  CloseClipboard();
  if (!placed) GlobalFree(memory);
  return placed;
}

// The lines are made as the window makes its own.
CopySource SourceFor(HWND window) {
  Viewer& app = ViewerOf(window);
  FormatOptions& options = app.settings.options;
  options.Format = std::clamp(options.Format, 0, 2);
  return CopySource{app.doc.file, options.Format, CurrentParams(app), FrameNotifier(),
                    reinterpret_cast<uintptr_t>(window)};
}

void Copy(HWND window) {
  Viewer& app = ViewerOf(window);
  const Selection& selection = app.doc.view.selection;
  if (!selection.Any()) {
    FrameNotifier().Beep(kMessageOk);
    return;
  }
  if (selection.start >= app.doc.file.Flen) return;
  std::string text;
  int copied;
  {
    WaitCursor wait;
    copied = CopySelectionText(SourceFor(window), selection.start, selection.end, text);
  }
  // As the selection shows, so it is copied; a clipboard that refuses it
  // leaves its old contents.
  if (copied) PlaceOnClipboard(window, text);
}

void CopyTags(HWND window) {
  Viewer& app = ViewerOf(window);
  TagList& tags = app.doc.tags;
  if (tags.count == 0) {
    FrameNotifier().Beep(kIconExclamation);
    return;
  }
  std::string text;
  {
    WaitCursor wait;
    // Stopped with Esc, it leaves no text: the clipboard keeps what it held.
    WindowProgress progress(window, L"Copying tags");
    CopySource source = SourceFor(window);
    source.opener = &WorkOpener();
    source.progress = &progress;
    CopyTaggedText(
        source, [&tags](LineTable& table) { ApplyTagsToLines(table, tags); }, tags.count, text);
  }
  if (!text.empty() && !PlaceOnClipboard(window, text)) {
    FrameNotifier().Message(kCannotPlaceOnClipboard, kAppTitle, kIconExclamation,
                            reinterpret_cast<uintptr_t>(window));
  }
}

}  // namespace

bool CopyCommand(HWND window, int id) {
  Viewer& app = ViewerOf(window);
  if (id != IDM_COPY && id != IDM_COPYTAGS) return false;
  if (app.doc.file.path.empty()) return true;
  if (id == IDM_COPY) {
    Copy(window);
  } else {
    CopyTags(window);
  }
  return true;
}

}  // namespace zorvo
