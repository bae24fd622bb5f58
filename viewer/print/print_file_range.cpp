#include "viewer/print/print_file_range.h"

#include <algorithm>
#include <memory>
#include <new>

#include "viewer/file/code_tables.h"
#include "viewer/file/line_table.h"
#include "viewer/file/rebuild.h"
#include "viewer/file/work_progress.h"
#include "viewer/frame/screen.h"
#include "viewer/frame/view_state.h"
#include "viewer/print/page_heading.h"

namespace zorvo {

namespace {

constexpr size_t kMaxPrintedChars = 4680;  // one text call per line, cut here
constexpr int32_t kAutoSizeLineLength = 512;
constexpr char kFormFeed = '\f';
constexpr int32_t kLinesBetweenPumps = 4096;  // untagged lines skipped between two looks at Cancel

// One display line as the page loop sees it.
struct PrintLine {
  LineEntry entry;
  std::string_view text;
  int64_t next = 0;  // the offset of the line after it
};

// Reports a walk that ended in a failure; true when it did.
bool ReportedFailure(LineWalk::Result result, Notifier& notifier, uintptr_t owner) {
  if (result != LineWalk::kReadError && result != LineWalk::kFormatError) return false;
  notifier.Message(result == LineWalk::kReadError ? L"File read error" : L"Program error",
                   kAppTitle, kIconHand, owner);
  return true;
}

// Hands out the file's lines from the walk's start on, a batch at a time.
class LineSupply {
 public:
  enum Status { kLine, kEnd, kFailed };

  LineSupply(LineWalk& walk, TagList* tags, Notifier& notifier, uintptr_t owner)
      : walk_(walk), tags_(tags), notifier_(notifier), owner_(owner) {}

  // The line to place next, without taking it.
  Status Peek(PrintLine& line) {
    if (index_ >= walk_.Count() && !Refill()) return status_;
    const LineTable& table = walk_.Table();
    line.entry = table[index_];
    line.text = std::string_view(table.TextOf(index_),
                                 static_cast<size_t>(std::max(table[index_].length, 0)));
    line.next = table[index_ + 1].offset;
    return kLine;
  }
  void Take() { ++index_; }
  // The line stays next, from its character `cut` on.
  void KeepFrom(size_t cut) {
    LineEntry& entry = walk_.Table()[index_];
    entry.text += static_cast<uint32_t>(cut);
    entry.length -= static_cast<int32_t>(cut);
    entry.flags &= ~static_cast<uint32_t>(kPageBreak);
  }

 private:
  bool Refill() {
    if (status_ != kLine) return false;
    const LineWalk::Result result = walk_.Next();
    if (result != LineWalk::kLines) {
      status_ = ReportedFailure(result, notifier_, owner_) ? kFailed : kEnd;
      return false;
    }
    if (tags_ && tags_->count > 0) ApplyTagsToLines(walk_.Table(), *tags_);
    index_ = 0;
    return true;
  }

  LineWalk& walk_;
  TagList* tags_;
  Notifier& notifier_;
  uintptr_t owner_;
  int32_t index_ = 0;
  Status status_ = kLine;
};

TextColors Inverted(TextColors colors) {
  return {colors.text ^ 0xFFFFFFu, colors.background ^ 0xFFFFFFu};
}

std::string_view Cut(std::string_view text) { return text.substr(0, kMaxPrintedChars); }

// The longest of the lines at the start of the job, at a line length of
// 512, fitted to `width`; 0 (the face's own height) when it cannot be read.
int32_t AutoSizePrintFont(PrintSurface& surface, FileRecord& file, int64_t start,
                          const PrintSettings& settings, int32_t width, Notifier& notifier,
                          FileOpener& opener, uintptr_t owner) {
  FormatParams params = settings.params;
  params.lineLength = kAutoSizeLineLength;
  LineWalk walk(file, notifier, opener, settings.format, params, start, settings.pieces);
  if (!walk.Allocate()) {
    notifier.Message(L"Cannot allocate buffers!", kAppTitle, kIconHand, owner);
    return 0;
  }
  const LineWalk::Result result = walk.BeginAtLineOf(start) ? walk.Next() : LineWalk::kReadError;
  if (result != LineWalk::kLines) {
    ReportedFailure(result, notifier, owner);
    return 0;
  }
  const LineTable& table = walk.Table();
  int32_t longest = 0;
  for (int32_t i = 1; i < walk.Count(); ++i) {
    if (table[i].length > table[longest].length) longest = i;
  }
  return FitFontToWidth(surface, std::string_view(table.TextOf(longest), table[longest].length),
                        width);
}

// The part of the file a job prints, and its pages.
struct JobRange {
  int64_t start = 0;
  int64_t end = 0;
  int32_t first = 0;
  int32_t last = kNoPageLimit;
  bool perLineStop = false;  // a selection chosen in the dialog stops at its end
};

// The range as the command gave it.
JobRange CommandRange(const PrintRequest& request, int64_t length) {
  JobRange range;
  range.start = std::max<int64_t>(request.start, 0);
  range.end = std::max(request.end <= 0 ? length : request.end, range.start);
  range.first = std::max(request.firstPage, 0);
  range.last = std::max(range.first, request.lastPage < 0 ? kNoPageLimit : request.lastPage);
  return range;
}

// The range the job prints: the odd pages of Print Sides take the range of
// its even pages, and what the print dialog chose wins over the command.
JobRange PrintedRange(JobRange range, const PrintRequest& request, const ChosenRange& chosen,
                      const SidesRange& sides, int64_t length) {
  const bool noDialog = (request.flags & kPrintNoDialog) != 0;
  const bool selectionAvailable = request.start >= 0 && request.end >= 0;
  auto whole = [&] {
    range.first = 1;
    range.last = kNoPageLimit;
    range.start = 0;
    range.end = length;
  };
  if (request.flags & kPrintOddPagesOnly) {
    if (sides.set) {
      range = JobRange{sides.start, sides.end, sides.first, sides.last, sides.perLineStop};
    } else {
      whole();
    }
  } else if (!noDialog || (chosen.shown && chosen.choice != RangeChoice::kSelection)) {
    // A job that fell back to the dialog keeps its own range where the user
    // left the selection chosen: that selection is the command's range.
    switch (chosen.choice) {
      case RangeChoice::kPages:
        range.first = chosen.from;
        range.last = chosen.to;
        range.end = length;
        range.start = chosen.from > 0 ? 0 : request.viewOffset;
        break;
      case RangeChoice::kSelection:
        range.first = 1;
        range.last = kNoPageLimit;
        range.perLineStop = true;
        break;
      case RangeChoice::kAll:
        whole();
        break;
    }
  } else if (!selectionAvailable) {
    whole();
  }
  return range;
}

// Selects the print font on `surface`, fitted to the lines at `start` or of
// the size the settings give; the page's geometry in that font.
PageGeometry SelectFontAndGeometry(PrintSurface& surface, FileRecord& file, int64_t start,
                                   const PrintSettings& settings, Notifier& notifier,
                                   FileOpener& opener, uintptr_t owner) {
  const DeviceCaps caps = surface.Caps();
  int32_t fontHeight;
  if (settings.autoFontSize) {
    const int32_t width =
        caps.width.value -
        MulDiv(caps.dpiX, settings.margins.left.value + settings.margins.right.value, 100);
    fontHeight = AutoSizePrintFont(surface, file, start, settings, width, notifier, opener, owner);
  } else {
    fontHeight = PrintFontHeight(settings.fontSize, caps.dpiY, settings.zoomSteps);
  }
  surface.SelectPrintFont(fontHeight);
  return ComputeGeometry(caps, settings.margins, surface.Metrics(),
                         settings.fixedLength ? settings.maxLineLength : 0);
}

// Form feeds eject only while they stay in the text: tags alone ignore
// them unless asked not to.
bool EjectsOnFormFeeds(uint32_t flags) {
  if ((flags & kPrintTagsOnly) && !(flags & kPrintEjectEvenIfTagsOnly)) return false;
  return (flags & kPrintEjectOnFormFeeds) != 0;
}

struct JobShades {
  TextColors normal, tagged, heading, comment;
};
JobShades ShadesOf(const ColorTable& shades) {
  return {{shades[kPrintText], shades[kPrintTextB]},
          {shades[kPrintTag], shades[kPrintTagB]},
          {shades[kPrintHead], shades[kPrintHeadB]},
          {shades[kPrintCmnt], shades[kPrintCmntB]}};
}

// What the pages of a job came to.
struct PagesOutcome {
  int32_t result = 0;       // the pages started, or the spooler's failure
  bool failed = false;      // a read or formatting error
  bool titlesFull = false;  // the titles leave no room for text
};

// Lays out every page of a job, one line height apart, and draws the pages
// it prints.
class PageRun {
 public:
  PageRun(const PrintRequest& request, const PrintSettings& settings, const JobRange& range,
          const PageGeometry& g, bool eject, const FileRecord& file, PrintSurface& surface,
          LineSupply& supply, Notifier& notifier)
      : request_(request),
        settings_(settings),
        range_(range),
        g_(g),
        eject_(eject),
        file_(file),
        surface_(surface),
        supply_(supply),
        notifier_(notifier),
        shades_(ShadesOf(settings.colors)),
        shadeTags_((request.flags & kPrintShadeTags) != 0),
        tagsOnly_((request.flags & kPrintTagsOnly) != 0),
        // The selection the job prints is not also shaded.
        shadeSelection_((request.flags & kPrintShadeSelection) != 0 && !range.perLineStop) {}

  // From page 1 on, the heading placed by `head`; `failed` when the lines
  // could not be had at all.
  PagesOutcome Run(PageHeading& head, bool failed);

 private:
  bool Drawn(int32_t page) const;
  // The frozen title lines below the heading; false when they fill the page.
  bool PlaceTitles(PrintSurface* canvas, DeviceUnits& y);
  // The lines from `y` down to the page's end, a form feed or the range's
  // end; false when Cancel was pressed meanwhile.
  bool PlaceLines(PrintSurface* canvas, DeviceUnits y, const std::wstring& progress);
  void DrawLine(PrintSurface& canvas, DeviceUnits y, std::string_view text, uint32_t lineFlags,
                const PrintLine& line);
  // Another page only for a line that is there: the rest of the file may
  // make none (the cut-off tail of a long line, say).
  void LookAhead();

  const PrintRequest& request_;
  const PrintSettings& settings_;
  const JobRange& range_;
  const PageGeometry& g_;
  const bool eject_;
  const FileRecord& file_;
  PrintSurface& surface_;
  LineSupply& supply_;
  Notifier& notifier_;
  const JobShades shades_;
  const bool shadeTags_;
  const bool tagsOnly_;
  const bool shadeSelection_;
  bool done_ = false;
  bool failed_ = false;
};

PagesOutcome PageRun::Run(PageHeading& head, bool failed) {
  PagesOutcome outcome;
  failed_ = failed;
  done_ = failed;
  for (int32_t page = 1; !done_ && page <= range_.last; ++page) {
    const bool drawn = Drawn(page);
    if (drawn) {
      const int32_t started = surface_.StartPage();
      if (started <= 0) {
        outcome.result = started;
        break;
      }
      ++outcome.result;
    }
    const std::wstring progress =
        (drawn ? L"Printing page " : L"Skipping page ") + std::to_wstring(page);
    if (!surface_.Progress(progress)) {
      outcome.result = kSpoolUserAbort;
      break;
    }
    if (drawn) {
      surface_.ReselectFont();
      surface_.SetColors(shades_.normal);
    }
    PrintSurface* canvas = drawn ? &surface_ : nullptr;
    DeviceUnits y = head.Place(canvas, file_.path, page, g_);
    if (!PlaceTitles(canvas, y)) {
      outcome.titlesFull = true;
      break;
    }
    if (!PlaceLines(canvas, y, progress)) {
      outcome.result = kSpoolUserAbort;
      break;
    }
    if (drawn) {
      const int32_t ended = surface_.EndPage();
      if (ended <= 0) {
        outcome.result = ended;
        break;
      }
      surface_.ReselectFont();
    }
    if (!done_) LookAhead();
  }
  outcome.failed = failed_;
  return outcome;
}

bool PageRun::Drawn(int32_t page) const {
  if (page < range_.first) return false;
  if ((request_.flags & kPrintEvenPagesOnly) && page % 2 != 0) return false;
  return !((request_.flags & kPrintOddPagesOnly) && page % 2 == 0);
}

bool PageRun::PlaceTitles(PrintSurface* canvas, DeviceUnits& y) {
  if (!(request_.flags & kPrintPageTitles) || request_.titles.empty()) return true;
  if (canvas) {
    if (shadeTags_) canvas->SetColors(shades_.heading);
    for (const std::string& title : request_.titles) {
      if (!g_.Fits(y)) break;
      canvas->TextInBox(g_.x0, y, Box{g_.x0, y, g_.x0 + g_.width, y + g_.lineHeight}, Cut(title));
      y += g_.lineHeight;
    }
    canvas->SetColors(shades_.normal);
  } else {
    y += LineCount(static_cast<int32_t>(request_.titles.size())) * g_.lineHeight;
  }
  if (g_.Fits(y)) return true;
  notifier_.Message(L"Page titles fill the entire page!", kAppTitle, kIconHand, request_.owner);
  return false;
}

bool PageRun::PlaceLines(PrintSurface* canvas, DeviceUnits y, const std::wstring& progress) {
  int32_t placed = 0;  // lines of this page, untagged ones of a tags-only job too
  while (g_.Fits(y)) {
    PrintLine line;
    const LineSupply::Status status = supply_.Peek(line);
    if (status != LineSupply::kLine) {
      failed_ = status == LineSupply::kFailed;
      done_ = true;
      return true;
    }
    if (range_.perLineStop && line.entry.offset >= range_.end) {
      done_ = true;
      return true;
    }
    std::string_view text = line.text;
    uint32_t lineFlags = line.entry.flags;
    bool pageEnds = false;
    if (eject_) {
      if (placed == 0 && !text.empty() && text.front() == kFormFeed) text.remove_prefix(1);
      // A page break starts the next page with this line.
      if ((lineFlags & kPageBreak) && placed > 0) return true;
      const size_t feed = text.find(kFormFeed);
      if (feed != std::string_view::npos) {
        // The rest, from the form feed on, opens the next page; the line's
        // marker belongs to that rest.
        supply_.KeepFrom(static_cast<size_t>(text.data() - line.text.data()) + feed);
        text = text.substr(0, feed);
        lineFlags &= ~static_cast<uint32_t>(kMarkerMask);
        pageEnds = true;
      }
    }
    if (!pageEnds) supply_.Take();
    ++placed;
    if (tagsOnly_ && !(lineFlags & kTagMask)) {
      if (pageEnds) return true;
      // Untagged lines take no room, so a page may skip the rest of a
      // large file: the abort dialog is kept answering meanwhile.
      if (placed % kLinesBetweenPumps == 0 &&
          !surface_.Skipping(progress, PercentOf(line.next, file_.Flen))) {
        return false;
      }
      continue;
    }
    if (canvas) DrawLine(*canvas, y, text, lineFlags, line);
    if (pageEnds) return true;
    y += g_.lineHeight;
  }
  return true;
}

void PageRun::DrawLine(PrintSurface& canvas, DeviceUnits y, std::string_view text,
                       uint32_t lineFlags, const PrintLine& line) {
  TextColors colors = shades_.normal;
  if (shadeTags_ && (lineFlags & kTagMask) && !tagsOnly_) colors = shades_.tagged;
  if (shadeSelection_ && request_.selectionStart < line.next &&
      request_.selectionEnd > line.entry.offset) {
    colors = Inverted(colors);
  }
  bool changed = !(colors == shades_.normal);
  if (changed) canvas.SetColors(colors);
  canvas.TextInBox(g_.x0, y, Box{g_.x0, y, g_.x0 + g_.width, y + g_.lineHeight}, Cut(text));
  if (settings_.printMessages && (lineFlags & kMarkerMask)) {
    if (shadeTags_) {
      canvas.SetColors(shades_.comment);
      changed = true;
    }
    const DeviceUnits width = canvas.TextWidth(Cut(text));
    if (width < g_.width - DeviceUnits(2)) {
      const std::string_view marker = (lineFlags & kTruncated)
                                          ? std::string_view(" [Truncated...]")
                                          : std::string_view(" [Incomplete Line...]");
      canvas.Text(g_.x0 + DeviceUnits(2) + width, y, marker);
    }
  }
  if (changed) canvas.SetColors(shades_.normal);
}

void PageRun::LookAhead() {
  PrintLine next;
  const LineSupply::Status status = supply_.Peek(next);
  failed_ = status == LineSupply::kFailed;
  done_ = status != LineSupply::kLine || next.entry.offset >= range_.end;
}

// Ends the document (thrown away after a failure) and says what went
// wrong; what PrintFileRange returns.
int32_t EndJobAndReport(PagesOutcome pages, PrintJobHost& host, Notifier& notifier,
                        uintptr_t owner) {
  int32_t result = pages.titlesFull ? 0 : pages.result;
  bool failed = pages.failed;
  // A document the spooler would not end printed nothing, whatever its
  // pages did: reported, and no pages counted.
  if (!host.EndJob(result < 0 || pages.titlesFull) && result > 0) failed = true;
  if (failed && result >= 0) {
    notifier.Message(L"Printing error occurred.", kAppTitle, kIconExclamation, owner);
    return -1;
  }
  if (result > 0 || pages.titlesFull) return result;
  switch (result) {
    case 0:
      notifier.Message(L"Nothing was printed.", kAppTitle, kIconExclamation, owner);
      break;
    case kSpoolAppAbort:
    case kSpoolUserAbort:
      break;
    case kSpoolOutOfDisk:
      notifier.Message(L"Not enough disk space for spooling.", kAppTitle, kIconExclamation, owner);
      break;
    case kSpoolOutOfMemory:
      notifier.Message(L"Not enough memory for spooling.", kAppTitle, kIconExclamation, owner);
      break;
    default:
      notifier.Message(L"Printing error occurred.", kAppTitle, kIconExclamation, owner);
      break;
  }
  return result;
}

}  // namespace

int32_t FitFontToWidth(PrintSurface& surface, std::string_view text, int32_t width) {
  int32_t h = -2;
  for (; h > -100; --h) {
    const int32_t measured = surface.TrialWidth(h, text);
    if (measured < 0 || measured > width) break;
  }
  return h + 1;
}

int32_t PrintFontHeight(int32_t fontSize, int32_t dpiY, int32_t zoomSteps) {
  return ZoomedHeight(HeightForPoints(fontSize < 1 ? 10 : fontSize, dpiY), zoomSteps);
}

int32_t PrintFileRange(const PrintRequest& request, const PrintSettings& settings,
                       PrintJobHost& host, Notifier& notifier, FileOpener& opener,
                       SidesRange& sides) {
  FileRecord file = request.file;
  const uintptr_t owner = request.owner;
  const uint32_t flags = request.flags;
  if (request.start >= file.Flen) return 0;

  const JobRange asked = CommandRange(request, file.Flen);
  if (!(flags & kPrintOddPagesOnly)) sides = SidesRange{};
  ChosenRange chosen;
  const bool selectionAvailable = request.start >= 0 && request.end >= 0;
  PrintSurface* surface =
      host.StartJob(JobStart{request.documentName, (flags & kPrintNoDialog) != 0,
                             selectionAvailable, asked.first, asked.last},
                    chosen);
  if (!surface) return 0;
  const JobRange range = PrintedRange(asked, request, chosen, sides, file.Flen);
  if (flags & kPrintEvenPagesOnly) {
    sides = SidesRange{true, range.start, range.end, range.first, range.last, range.perLineStop};
  }

  const PageGeometry g =
      SelectFontAndGeometry(*surface, file, range.start, settings, notifier, opener, owner);
  if (!g.Usable()) {
    notifier.Message(L"Invalid page margins, nothing printed!", kAppTitle, kIconHand, owner);
    host.EndJob(true);
    return 0;
  }

  const bool eject = EjectsOnFormFeeds(flags);
  FormatParams params = settings.params;
  params.lineLength = std::max(g.charsPerLine, 1);
  if (eject) params.options |= kOptFormFeedChar;
  LineWalk walk(file, notifier, opener, settings.format, params, range.start, settings.pieces);
  if (!walk.Allocate()) {
    notifier.Message(L"Cannot allocate buffers!", kAppTitle, kIconHand, owner);
    host.EndJob(true);
    return 0;
  }
  // The top line of the window may be any row of a record or of a wrapped
  // line: the job begins with that row as the window shows it.
  const bool failed = !walk.BeginAtLineOf(range.start);  // a read or formatting error
  if (failed) notifier.Message(L"File read error", kAppTitle, kIconHand, owner);
  surface->SetColors(ShadesOf(settings.colors).normal);

  PageHeading head;
  const bool dated = (flags & kHeadDateTime) != 0;
  head.Prepare(flags, dated ? host.Now() : LocalTime{},
               dated ? host.Regional() : RegionalSettings{});

  LineSupply supply(walk, request.tags, notifier, owner);
  PageRun run(request, settings, range, g, eject, file, *surface, supply, notifier);
  return EndJobAndReport(run.Run(head, failed), host, notifier, owner);
}

}  // namespace zorvo
