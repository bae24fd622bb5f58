// How the view moves through the file: the top line moves inside the line
// table, and the table is rebuilt around the new position when the view
// would leave it. The window calls this for its four positioning messages
// and then repaints as the outcome says.
#pragma once

#include <cstdint>
#include <functional>

#include "viewer/file/rebuild.h"

namespace zorvo {

enum class PositionKind {
  kReload,            // value: 0 to start at the top of the file, else keep the position
  kGotoOffsetReload,  // value: the offset; always rebuilds
  kScrollLines,       // value: lines to move, negative upward
  kGotoOffset,        // value: the offset
};

struct PositionMessage {
  PositionKind kind;
  int64_t value = 0;
};

enum class Repaint {
  kNone,        // no file: nothing to show
  kFull,        // invalidate the text area
  kScrollUp,    // move the text up by one row and paint the uncovered last row
  kScrollDown,  // move the text down by one row and paint the uncovered first row
};

struct ViewPosition {
  RebuildContext& rebuild;
  LineTable& table;
  int format = 0;
  FormatParams params;        // the options word with the run-time bits
  int32_t linesPerPage = 1;
  int32_t padPageLength = 0;  // page padding after every rebuild when above 0
  bool paintPending = false;  // part of the window already waits to be painted
};

struct PositionOutcome {
  Repaint repaint = Repaint::kNone;
  bool rebuilt = false;
  unsigned status = 0;       // of the rebuild
  bool errorReport = false;  // the table now holds the program-error report
  bool padded = false;       // page padding ran: lines per page may need recomputing
};

// `busy` is told true before a rebuild reads the file and false after it:
// the window shows the wait cursor meanwhile.
PositionOutcome Position(ViewPosition& view, const PositionMessage& message,
                         const std::function<void(bool busy)>& busy = {});

}  // namespace zorvo
