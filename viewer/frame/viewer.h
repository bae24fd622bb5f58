// What one run of the viewer holds: the start-up record, the settings in
// force, the open file with its view, and the search. Start-up makes one
// and hands it to the main window, which reaches it with ViewerOf; the
// functions below the window are given the parts they use. A test makes a
// fresh one.
#pragma once

#include <memory>

#include "viewer/file/file_reader.h"
#include "viewer/file/line_table.h"
#include "viewer/file/page_index.h"
#include "viewer/file/rebuild.h"
#include "viewer/file/search.h"
#include "viewer/frame/tag_list.h"
#include "viewer/frame/view_state.h"
#include "viewer/settings/settings.h"

namespace zorvo {

// Where View > Follow End last looked: the file it found under the name,
// and where following left the view (the top line's offset).
struct FollowLook {
  std::wstring path;
  FileIdentity identity;
  bool known = false;
  int64_t leftAt = -1;
};

// The open file and how it is shown.
struct Document {
  FileRecord file;
  ViewState view;
  LineTable screen{kScreenLines, kScreenText};  // 4,096 lines and 1 MiB of text
  TagList tags;
  // The frozen title lines; null until titles are frozen or loaded.
  std::unique_ptr<LineTable> titles;
  // Rebuilds of the screen's table mark the tagged lines.
  TagMarker marker{tags};
  // What rebuilds of the screen's table keep between them (a block of the
  // file); made by the window with the notifier its messages go to.
  std::unique_ptr<RebuildContext> rebuild;
  FollowLook followed;
  // The file's page index, made by the window with its notifier and opener;
  // ended, and its file deleted, with the document at the latest.
  std::unique_ptr<PageIndex> pageIndex;
};

struct Viewer {
  Startup startup;
  Settings settings;
  Document doc;
  SearchState search;
};

}  // namespace zorvo
