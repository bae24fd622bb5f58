#include "viewer/frame/positioning.h"

#include <algorithm>

#include "viewer/frame/error_report.h"

namespace zorvo {

namespace {

// Rebuilds the table around `target`, or without one around the line that
// Acur names, and shows the program-error report when that fails.
void RebuildTable(ViewPosition& view, int64_t target, const std::function<void(bool busy)>& busy,
                  PositionOutcome& outcome) {
  LineTable& table = view.table;
  FileRecord& file = view.rebuild.file;
  RebuildRequest request;
  request.target = target;
  request.rows = view.linesPerPage;
  request.format = std::clamp<int>(view.format, kFormatText, kFormatRaw);
  request.params = view.params;
  outcome.rebuilt = true;
  if (busy) busy(true);
  // A move further than the table reaches (a wheel set to scroll pages, a
  // large count from elsewhere) goes as far as the table allows, rebuilds
  // there and goes on in the new table.
  for (int round = 0; round < 64; ++round) {
    int32_t beyond = 0;
    if (target < 0 && table.Acur > table.Alast) {
      beyond = table.Acur - table.Alast;
      table.Acur = table.Alast;
    } else if (target < 0 && table.Acur + request.rows < table.Afirst) {
      beyond = table.Acur + request.rows - table.Afirst;
      table.Acur = table.Afirst - request.rows;
    }
    outcome.status = Rebuild(view.rebuild, table, request);
    if (beyond == 0 || (outcome.status & kStatusFailed)) break;
    const int32_t n = table.Acur + beyond;
    const bool atStart = table[table.Afirst].offset == 0;
    const bool atEnd = table[table.Alast].offset == file.Flen;
    // Within this table, at an end of the file, or after enough rounds:
    // stop here.
    if (((n >= table.Afirst || atStart) && (n < table.Alast || atEnd)) || round == 63) {
      table.Acur = std::clamp(n, table.Afirst, std::max(table.Afirst, table.Alast - 1));
      break;
    }
    table.Acur = n;
  }
  if (busy) busy(false);
  if ((outcome.status & kStatusFailed) || table.Acur < table.Afirst || table.Acur > table.Alast) {
    ShowProgramError(outcome.status, file, table);
    outcome.errorReport = true;
  } else if (view.padPageLength > 0) {
    PadPages(table, view.padPageLength, file.Flen);
    outcome.padded = true;
  }
}

// A move of exactly one line shifts the pixels and paints one row.
Repaint RepaintAfter(const LineTable& table, int64_t previousTop, bool paintPending, bool padded) {
  if (previousTop < 0 || paintPending || padded) return Repaint::kFull;
  if (table.Acur > table.Afirst && table[table.Acur - 1].offset == previousTop) {
    return Repaint::kScrollUp;
  }
  if (table.Acur < table.Alast - 1 && table[table.Acur + 1].offset == previousTop) {
    return Repaint::kScrollDown;
  }
  return Repaint::kFull;
}

}  // namespace

PositionOutcome Position(ViewPosition& view, const PositionMessage& message,
                         const std::function<void(bool busy)>& busy) {
  PositionOutcome outcome;
  LineTable& table = view.table;
  FileRecord& file = view.rebuild.file;
  int32_t lineDelta = 0;
  int64_t target = -1;
  switch (message.kind) {
    case PositionKind::kScrollLines:
      lineDelta = static_cast<int32_t>(message.value);
      break;
    case PositionKind::kGotoOffset:
    case PositionKind::kGotoOffsetReload:
      target = message.value;
      break;
    case PositionKind::kReload:
      target = message.value == 0 ? 0 : -1;
      break;
  }
  if (file.path.empty()) return outcome;
  const bool reload =
      message.kind == PositionKind::kReload || message.kind == PositionKind::kGotoOffsetReload;
  const int64_t firstOffset = table[table.Afirst].offset;
  const int64_t endOffset = table[table.Alast].offset;
  const bool relative =
      message.kind == PositionKind::kScrollLines || message.kind == PositionKind::kGotoOffset;
  const int64_t previousTop = relative ? table[table.Acur].offset : -1;

  // The file may have changed since the table was made (a log still being
  // written, rotated or replaced): the bottom of the file, and every move
  // that reaches the end of the table, look at its length now.
  auto cannotRead = [&](unsigned status) {
    ShowProgramError(status, file, table);
    outcome.errorReport = true;
    outcome.repaint = Repaint::kFull;
    return outcome;
  };
  bool stale = false;  // the table holds bytes the file no longer has
  if (relative && target >= file.Flen) {
    // The end as the window last knew it means the end as it is now.
    const unsigned fresh = RefreshFileLength(view.rebuild);
    if (fresh & kStatusFailed) return cannotRead(fresh);
    target = file.Flen;
    stale = endOffset > file.Flen;
  }

  // A target inside the table is a move of one line from the line before
  // the one that holds it. The program-error report holds no lines of the
  // file: any target leaves it, as going to the top does.
  if (message.kind != PositionKind::kGotoOffsetReload && !stale && table.Alast >= table.Afirst &&
      target >= firstOffset && target <= endOffset && !HoldsProgramError(table)) {
    int32_t i = table.Alast;
    while (i > table.Afirst && table[i].offset > target) --i;
    lineDelta = 1;
    target = -1;
    table.Acur = i - 1;
  }

  bool rebuild = target >= 0;
  if (!rebuild) {
    int32_t n = table.Acur + lineDelta;
    if (n < table.Afirst && firstOffset == 0) n = table.Afirst;
    bool atEnd = endOffset == file.Flen;
    if (atEnd && !reload && n + view.linesPerPage >= table.Alast) {
      const unsigned fresh = RefreshFileLength(view.rebuild);
      if (fresh & kStatusFailed) return cannotRead(fresh);
      atEnd = endOffset == file.Flen;  // else grown, or shrunk and read again
    }
    if (n >= table.Alast && atEnd) {
      n = table.Alast > table.Afirst ? table.Alast - 1 : table.Afirst;
    }
    table.Acur = n;
    if (n < table.Afirst) {
      rebuild = lineDelta != 0;
    } else if (n + view.linesPerPage < table.Alast || atEnd) {
      lineDelta = 0;  // the table holds enough lines
    } else {
      rebuild = lineDelta != 0;
    }
    rebuild = rebuild || reload;
  }

  if (rebuild) RebuildTable(view, target, busy, outcome);

  outcome.repaint = RepaintAfter(table, previousTop, view.paintPending, outcome.padded);
  return outcome;
}

}  // namespace zorvo
