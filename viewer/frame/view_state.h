// The main window's view state and the other records of the running viewer
// that the frame's parts share: the open file, the screen's line table, the
// marks and the frozen title lines.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "common/notifier.h"
#include "common/shared_names.h"
#include "viewer/file/file_reader.h"
#include "viewer/file/line_table.h"
#include "viewer/frame/tag_list.h"
#include "viewer/settings/command_line.h"

namespace zorvo {

inline constexpr const auto& kAppTitle = kViewerTitle;

// ViewState::ddeState.
enum DdeState : int {
  kDdeServing = 0,
  kDdeOff = 2,
};

struct Selection {
  int64_t start = -1;  // file offsets; end exclusive; -1 = none
  int64_t end = -1;
  int64_t anchorStart = -1;  // the line a drag began on
  int64_t anchorEnd = -1;
  bool Any() const { return start >= 0 && end >= 0; }
  void Clear() { start = end = anchorStart = anchorEnd = -1; }
};

struct ViewState {
  std::wstring caption = kAppTitle;
  int32_t clientWidth = 0;
  int32_t clientHeight = 0;
  int32_t lineHeight = 16;
  int32_t charWidth = 8;
  int32_t zoomSteps = 0;
  int32_t layoutWidth = -1;  // -1: the next layout rebuilds
  int32_t horizontalOffset = 0;
  int32_t horizontalStep = 1;
  int32_t horizontalPage = 1;
  Selection selection;
  int64_t topOffset = 0;  // the top line's offset at the last paint
  bool capturing = false;
  int autoScrollTimer = 0;  // 1 above, 2 below, 0 none
  int32_t autoScrollLines = 0;
  uintptr_t lastMouseW = 0;  // the last mouse move's parameters while capturing
  intptr_t lastMouseL = 0;
  int64_t searchPosition = -1;
  int32_t patternLength = 0;
  bool alwaysOnTop = false;
  int ddeState = kDdeOff;
  int pageIndexTimer = 0;
  int64_t returnPosition = -1;  // where Set returns the view to
};

// The start-up state: the command line, the profile path, the file to open.
struct Startup {
  CommandLine commandLine;
  std::wstring profilePath;
};

// Creates the title table when missing; with `reset`, empties it. Null,
// after the message, when its memory cannot be had.
inline constexpr wchar_t kNoMemoryForTitle[] = L"Cannot allocate memory for title.";
LineTable* CreateTitleBuffers(std::unique_ptr<LineTable>& titles, bool reset, Notifier& notifier);
// 0 when no titles are frozen or loaded.
int32_t TitleCount(const std::unique_ptr<LineTable>& titles);

// Lines of text below the title rows; at least 1.
int32_t LinesPerPage(const ViewState& view, int32_t titleCount);

}  // namespace zorvo
