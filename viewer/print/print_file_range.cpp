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

  // The range as the command gave it.
  const bool selectionAvailable = request.start >= 0 && request.end >= 0;
  int64_t start = std::max<int64_t>(request.start, 0);
  int64_t end = request.end <= 0 ? file.Flen : request.end;
  end = std::max(end, start);
  int32_t first = std::max(request.firstPage, 0);
  int32_t last = request.lastPage < 0 ? kNoPageLimit : request.lastPage;
  last = std::max(first, last);
  const bool oddPass = (flags & kPrintOddPagesOnly) != 0;
  if (!oddPass) sides = SidesRange{};

  const bool noDialog = (flags & kPrintNoDialog) != 0;
  ChosenRange chosen;
  PrintSurface* surface = host.StartJob(
      JobStart{request.documentName, noDialog, selectionAvailable, first, last}, chosen);
  if (!surface) return 0;

  // The range the job prints.
  bool perLineStop = false;  // a selection chosen in the dialog stops at its end
  auto whole = [&] {
    first = 1;
    last = kNoPageLimit;
    start = 0;
    end = file.Flen;
  };
  if (oddPass) {
    if (sides.set) {
      start = sides.start;
      end = sides.end;
      first = sides.first;
      last = sides.last;
      perLineStop = sides.perLineStop;
    } else {
      whole();
    }
  } else if (!noDialog || (chosen.shown && chosen.choice != RangeChoice::kSelection)) {
    // A job that fell back to the dialog keeps its own range where the user
    // left the selection chosen: that selection is the command's range.
    switch (chosen.choice) {
      case RangeChoice::kPages:
        first = chosen.from;
        last = chosen.to;
        end = file.Flen;
        start = chosen.from > 0 ? 0 : request.viewOffset;
        break;
      case RangeChoice::kSelection:
        first = 1;
        last = kNoPageLimit;
        perLineStop = true;
        break;
      case RangeChoice::kAll:
        whole();
        break;
    }
  } else if (!selectionAvailable) {
    whole();
  }
  if (flags & kPrintEvenPagesOnly) sides = SidesRange{true, start, end, first, last, perLineStop};

  // The font and the page.
  const DeviceCaps caps = surface->Caps();
  int32_t fontHeight;
  if (settings.autoFontSize) {
    const int32_t width =
        caps.width.value -
        MulDiv(caps.dpiX, settings.margins.left.value + settings.margins.right.value, 100);
    fontHeight = AutoSizePrintFont(*surface, file, start, settings, width, notifier, opener, owner);
  } else {
    fontHeight = PrintFontHeight(settings.fontSize, caps.dpiY, settings.zoomSteps);
  }
  surface->SelectPrintFont(fontHeight);
  const PageGeometry g = ComputeGeometry(caps, settings.margins, surface->Metrics(),
                                         settings.fixedLength ? settings.maxLineLength : 0);
  if (!g.Usable()) {
    notifier.Message(L"Invalid page margins, nothing printed!", kAppTitle, kIconHand, owner);
    host.EndJob(true);
    return 0;
  }

  // Form feeds eject only while they stay in the text: tags alone ignore
  // them unless asked not to.
  bool eject = (flags & kPrintEjectOnFormFeeds) != 0;
  if ((flags & kPrintTagsOnly) && !(flags & kPrintEjectEvenIfTagsOnly)) eject = false;
  FormatParams params = settings.params;
  params.lineLength = std::max(g.charsPerLine, 1);
  if (eject) params.options |= kOptFormFeedChar;
  LineWalk walk(file, notifier, opener, settings.format, params, start, settings.pieces);
  if (!walk.Allocate()) {
    notifier.Message(L"Cannot allocate buffers!", kAppTitle, kIconHand, owner);
    host.EndJob(true);
    return 0;
  }
  // The top line of the window may be any row of a record or of a wrapped
  // line: the job begins with that row as the window shows it.
  bool failed = !walk.BeginAtLineOf(start);  // a read or formatting error
  if (failed) notifier.Message(L"File read error", kAppTitle, kIconHand, owner);

  const ColorTable& shades = settings.colors;
  const TextColors normal{shades[kPrintText], shades[kPrintTextB]};
  const TextColors tagged{shades[kPrintTag], shades[kPrintTagB]};
  const TextColors heading{shades[kPrintHead], shades[kPrintHeadB]};
  const TextColors comment{shades[kPrintCmnt], shades[kPrintCmntB]};
  const bool shadeTags = (flags & kPrintShadeTags) != 0;
  const bool tagsOnly = (flags & kPrintTagsOnly) != 0;
  // The selection the job prints is not also shaded.
  const bool shadeSelection = (flags & kPrintShadeSelection) != 0 && !perLineStop;
  surface->SetColors(normal);

  PageHeading head;
  const bool dated = (flags & kHeadDateTime) != 0;
  head.Prepare(flags, dated ? host.Now() : LocalTime{},
               dated ? host.Regional() : RegionalSettings{});

  LineSupply supply(walk, request.tags, notifier, owner);
  int32_t result = 0;
  bool titlesFull = false;  // the titles leave no room for text
  bool done = failed;
  const bool evenOnly = (flags & kPrintEvenPagesOnly) != 0;
  for (int32_t page = 1; !done && page <= last; ++page) {
    bool drawn = page >= first;
    if (evenOnly && page % 2 != 0) drawn = false;
    if (oddPass && page % 2 == 0) drawn = false;
    if (drawn) {
      const int32_t started = surface->StartPage();
      if (started <= 0) {
        result = started;
        break;
      }
      ++result;
    }
    const std::wstring progress =
        (drawn ? L"Printing page " : L"Skipping page ") + std::to_wstring(page);
    if (!surface->Progress(progress)) {
      result = kSpoolUserAbort;
      break;
    }
    if (drawn) {
      surface->ReselectFont();
      surface->SetColors(normal);
    }
    PrintSurface* canvas = drawn ? surface : nullptr;
    DeviceUnits y = head.Place(canvas, file.path, page, g);

    if ((flags & kPrintPageTitles) && !request.titles.empty()) {
      if (canvas) {
        if (shadeTags) canvas->SetColors(heading);
        for (const std::string& title : request.titles) {
          if (!g.Fits(y)) break;
          canvas->TextInBox(g.x0, y, Box{g.x0, y, g.x0 + g.width, y + g.lineHeight}, Cut(title));
          y += g.lineHeight;
        }
        canvas->SetColors(normal);
      } else {
        y += LineCount(static_cast<int32_t>(request.titles.size())) * g.lineHeight;
      }
      if (!g.Fits(y)) {
        notifier.Message(L"Page titles fill the entire page!", kAppTitle, kIconHand, owner);
        titlesFull = true;
        break;
      }
    }

    int32_t placed = 0;  // lines of this page, untagged ones of a tags-only job too
    bool cancelled = false;
    while (g.Fits(y)) {
      PrintLine line;
      const LineSupply::Status status = supply.Peek(line);
      if (status != LineSupply::kLine) {
        failed = status == LineSupply::kFailed;
        done = true;
        break;
      }
      if (perLineStop && line.entry.offset >= end) {
        done = true;
        break;
      }
      std::string_view text = line.text;
      uint32_t lineFlags = line.entry.flags;
      bool pageEnds = false;
      if (eject) {
        if (placed == 0 && !text.empty() && text.front() == kFormFeed) text.remove_prefix(1);
        // A page break starts the next page with this line.
        if ((lineFlags & kPageBreak) && placed > 0) break;
        const size_t feed = text.find(kFormFeed);
        if (feed != std::string_view::npos) {
          // The rest, from the form feed on, opens the next page; the line's
          // marker belongs to that rest.
          supply.KeepFrom(static_cast<size_t>(text.data() - line.text.data()) + feed);
          text = text.substr(0, feed);
          lineFlags &= ~static_cast<uint32_t>(kMarkerMask);
          pageEnds = true;
        }
      }
      if (!pageEnds) supply.Take();
      ++placed;
      const bool isTagged = (lineFlags & kTagMask) != 0;
      if (tagsOnly && !isTagged) {
        if (pageEnds) break;
        // Untagged lines take no room, so a page may skip the rest of a
        // large file: the abort dialog is kept answering meanwhile.
        if (placed % kLinesBetweenPumps == 0 &&
            !surface->Skipping(progress, PercentOf(line.next, file.Flen))) {
          cancelled = true;
          break;
        }
        continue;
      }
      if (canvas) {
        TextColors colors = normal;
        if (shadeTags && isTagged && !tagsOnly) colors = tagged;
        if (shadeSelection && request.selectionStart < line.next &&
            request.selectionEnd > line.entry.offset) {
          colors = Inverted(colors);
        }
        bool changed = !(colors == normal);
        if (changed) canvas->SetColors(colors);
        canvas->TextInBox(g.x0, y, Box{g.x0, y, g.x0 + g.width, y + g.lineHeight}, Cut(text));
        if (settings.printMessages && (lineFlags & kMarkerMask)) {
          if (shadeTags) {
            canvas->SetColors(comment);
            changed = true;
          }
          const DeviceUnits width = canvas->TextWidth(Cut(text));
          if (width < g.width - DeviceUnits(2)) {
            const std::string_view marker = (lineFlags & kTruncated)
                                                ? std::string_view(" [Truncated...]")
                                                : std::string_view(" [Incomplete Line...]");
            canvas->Text(g.x0 + DeviceUnits(2) + width, y, marker);
          }
        }
        if (changed) canvas->SetColors(normal);
      }
      if (pageEnds) break;
      y += g.lineHeight;
    }

    if (cancelled) {
      result = kSpoolUserAbort;
      break;
    }
    if (drawn) {
      const int32_t ended = surface->EndPage();
      if (ended <= 0) {
        result = ended;
        break;
      }
      surface->ReselectFont();
    }
    // Another page only for a line that is there: the rest of the file may
    // make none (the cut-off tail of a long line, say).
    if (!done) {
      PrintLine next;
      const LineSupply::Status status = supply.Peek(next);
      failed = status == LineSupply::kFailed;
      done = status != LineSupply::kLine || next.entry.offset >= end;
    }
  }

  if (titlesFull) result = 0;
  // A document the spooler would not end printed nothing, whatever its
  // pages did: reported, and no pages counted.
  if (!host.EndJob(result < 0 || titlesFull) && result > 0) failed = true;
  if (failed && result >= 0) {
    notifier.Message(L"Printing error occurred.", kAppTitle, kIconExclamation, owner);
    return -1;
  }
  if (result > 0 || titlesFull) return result;
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

}  // namespace zorvo
