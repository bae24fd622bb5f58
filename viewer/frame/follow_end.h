// Follow End: while the end of the file is on the screen, the window looks
// at the file's length now and then, and shows what another program has
// appended; a file cut short or put in another's place shows from its new
// start. These are its decisions; the window's timer carries them out.
#pragma once

#include <cstdint>

#include "viewer/file/line_table.h"

namespace zorvo {

// Whether the end of the table shows: its end entry lies within the rows
// from the top line on. The window's positioning keeps a page of lines
// below the top line unless the table reaches the end of the file, so this
// is the end of the file as the table was made.
bool EndInView(const LineTable& table, int32_t linesPerPage);

// Whether a look at the file is due: the end of the table shows and it is
// the end of the file as last known (`fileLength`), or the view is still
// where following last left it (`leftAt`, the top line's offset then; -1
// none). The file may grow between the look and the move that shows its
// end, and the table made for that move then ends below the screen: the
// view follows on all the same, until the user moves it.
bool FollowDue(const LineTable& table, int32_t linesPerPage, int64_t fileLength, int64_t leftAt);

enum class FollowChange {
  kNone,     // the file is as the table shows it
  kGrown,    // more bytes: the table is made again where it is
  kRestart,  // cut short, or another file in its place: made again from the start
};
// `tableEnd`: where the table's lines end; `length`: the file's length now;
// `sameFile`: false when another file has taken the name since the last look.
FollowChange FollowChangeOf(int64_t tableEnd, int64_t length, bool sameFile);

// How the view moves so that the last line of the file shows: the lines to
// scroll down (0 when it shows already, and never up, so that new lines
// fill an empty screen first); when the table does not reach the end of
// the file, a move to the end first and then `lines` (up) to fill the
// screen above it.
struct EndMove {
  bool toEnd = false;
  int32_t lines = 0;
};
EndMove MoveToShowEnd(const LineTable& table, int64_t fileLength, int32_t linesPerPage);

}  // namespace zorvo
