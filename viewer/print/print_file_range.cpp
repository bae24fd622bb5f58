#include "viewer/print/print_file_range.h"

#include <algorithm>
#include <memory>
#include <new>

#include "viewer/file/code_tables.h"
#include "viewer/file/line_table.h"
#include "viewer/file/rebuild.h"
#include "viewer/frame/screen.h"
#include "viewer/frame/view_state.h"
#include "viewer/print/page_heading.h"

namespace zorvo {

namespace {

constexpr size_t kMaxPrintedChars = 4680;  // one text call per line, cut here
constexpr int32_t kAutoSizeLineLength = 512;
constexpr char kFormFeed = '\f';

// The job's working memory: lines, their text and one block of the file,
// reused for every batch.
struct Buffers {
  std::unique_ptr<LineTable> table;
  std::unique_ptr<unsigned char[]> block;

  bool Allocate() {
    try {
      table = std::make_unique<LineTable>(kScreenLines, kScreenText);
      block.reset(new unsigned char[kRebuildPiece]);
      return true;
    } catch (const std::bad_alloc&) {
      table.reset();
      block.reset();
      return false;
    }
  }
};

// The block of the file in the buffer: where it starts and how many bytes
// it holds.
struct BlockInBuffer {
  int64_t start = 0;
  int64_t size = 0;
  bool Holds(int64_t offset) const { return size > 0 && offset >= start && offset < start + size; }
};

// Reads the block that starts at `offset`; false after the message.
bool ReadAt(Buffers& buffers, FileRecord& file, int64_t offset, BlockInBuffer& held,
            Notifier& notifier, FileOpener& opener, uintptr_t owner) {
  file.Fcur = offset;
  const ReadRequest request{buffers.block.get(), kRebuildPiece, 0};
  ReadRequest result;
  if (ReadBlock(file, request, result, notifier, opener) & kReadFailed) {
    held = BlockInBuffer{};
    notifier.Message(L"File read error", kAppTitle, kIconHand, owner);
    return false;
  }
  held = BlockInBuffer{file.Fcur - std::min<int64_t>(result.back, result.size), result.size};
  return true;
}

// Formats the lines of the held block from `offset` on into the table;
// false after the message.
bool FormatAt(Buffers& buffers, const BlockInBuffer& held, int64_t offset, int format,
              const FormatParams& params, Notifier& notifier, uintptr_t owner, int32_t& count) {
  LineTable& table = *buffers.table;
  const Block block{buffers.block.get(), held.size,
                    std::clamp<int64_t>(offset - held.start, 0, held.size)};
  LineCursor lines{table.entries(), table.Acnt, 0};
  // The text buffer's last byte stays 0.
  TextCursor text{table.chars(), table.Tlen - 1, 0};
  const unsigned status = FormatterFor(format)(block, lines, text, held.start + block.start,
                                               Direction::kForward, params);
  if (status & kStatusFailed) {
    notifier.Message(L"Program error", kAppTitle, kIconHand, owner);
    return false;
  }
  count = lines.index;
  table.Afirst = table.Acur = 0;
  table.Alast = count;
  table.Tend = text.end;
  return true;
}

// One display line as the page loop sees it.
struct PrintLine {
  LineEntry entry;
  std::string_view text;
  int64_t next = 0;  // the offset of the line after it
};

// Hands out the file's lines from `start` on, a batch at a time.
class LineSupply {
 public:
  enum Status { kLine, kEnd, kFailed };

  LineSupply(Buffers& buffers, FileRecord& file, TagList* tags, int format,
             const FormatParams& params, Notifier& notifier, FileOpener& opener, uintptr_t owner,
             int64_t start)
      : buffers_(buffers),
        file_(file),
        tags_(tags),
        format_(format),
        params_(params),
        notifier_(notifier),
        opener_(opener),
        owner_(owner),
        nextBatch_(start) {}

  // The line to place next, without taking it.
  Status Peek(PrintLine& line) {
    if (index_ >= count_ && !Refill()) return status_;
    const LineTable& table = *buffers_.table;
    line.entry = table[index_];
    line.text = std::string_view(table.TextOf(index_),
                                 static_cast<size_t>(std::max(table[index_].length, 0)));
    line.next = table[index_ + 1].offset;
    return kLine;
  }
  void Take() { ++index_; }
  // The line stays next, from its character `cut` on.
  void KeepFrom(size_t cut) {
    LineEntry& entry = (*buffers_.table)[index_];
    entry.text += static_cast<uint32_t>(cut);
    entry.length -= static_cast<int32_t>(cut);
    entry.flags &= ~static_cast<uint32_t>(kPageBreak);
  }
  // Where the next line starts, as far as is known without reading.
  int64_t NextOffset() const {
    return index_ < count_ ? (*buffers_.table)[index_].offset : nextBatch_;
  }

 private:
  bool Refill() {
    if (status_ != kLine) return false;
    if (nextBatch_ >= file_.Flen) {
      status_ = kEnd;
      return false;
    }
    LineTable& table = *buffers_.table;
    int32_t count = 0;
    for (;;) {
      // Batches are cut from the block in the buffer while it holds them;
      // the file is read again only where the block ends.
      const bool fresh = !held_.Holds(nextBatch_);
      if ((fresh && !ReadAt(buffers_, file_, nextBatch_, held_, notifier_, opener_, owner_)) ||
          !FormatAt(buffers_, held_, nextBatch_, format_, params_, notifier_, owner_, count)) {
        status_ = kFailed;
        return false;
      }
      const bool cutByBlock = count > 0 && (table[count - 1].flags & kIncomplete) &&
                              held_.start + held_.size < file_.Flen;
      if (fresh || !cutByBlock) break;
      held_ = BlockInBuffer{};  // a block that starts with this batch
    }
    // A last line cut off by the end of the block (or of the text buffer)
    // is built again at the start of the next batch.
    if (count > 1 && (table[count - 1].flags & kIncomplete) && table[count].offset < file_.Flen) {
      int32_t keep = count - 1;
      const int64_t index = table[count - 1].offset - held_.start;
      if (format_ == kFormatText && index >= 0 && index < held_.size) {
        // From the start of its input line, so that its carriage control
        // byte and its tab columns are read as they are everywhere else.
        const int64_t lineStart = held_.start + TextLineStart(buffers_.block.get(), index);
        int32_t first = keep;
        while (first > 0 && table[first - 1].offset >= lineStart) --first;
        if (first > 0) keep = first;
      }
      count = keep;
    }
    // A batch that gets nowhere would repeat for ever.
    if (count < 1 || table[count].offset <= nextBatch_) {
      status_ = kEnd;
      return false;
    }
    table.Alast = count;
    if (tags_ && tags_->count > 0) ApplyTagsToLines(table, *tags_);
    count_ = count;
    index_ = 0;
    nextBatch_ = table[count].offset;
    return true;
  }

  Buffers& buffers_;
  FileRecord& file_;
  TagList* tags_;
  int format_;
  const FormatParams& params_;
  Notifier& notifier_;
  FileOpener& opener_;
  uintptr_t owner_;
  int64_t nextBatch_;
  BlockInBuffer held_;
  int32_t count_ = 0;
  int32_t index_ = 0;
  Status status_ = kLine;
};

TextColors Inverted(TextColors colors) {
  return {colors.text ^ 0xFFFFFFu, colors.background ^ 0xFFFFFFu};
}

std::string_view Cut(std::string_view text) { return text.substr(0, kMaxPrintedChars); }

// The longest of the lines at the start of the job, at a line length of
// 512, fitted to `width`; 0 (the face's own height) when it cannot be read.
int32_t AutoSizePrintFont(PrintSurface& surface, Buffers& buffers, FileRecord& file, int64_t start,
                          int format, FormatParams params, int32_t width, Notifier& notifier,
                          FileOpener& opener, uintptr_t owner) {
  params.lineLength = kAutoSizeLineLength;
  BlockInBuffer held;
  int32_t count = 0;
  if (!ReadAt(buffers, file, start, held, notifier, opener, owner) ||
      !FormatAt(buffers, held, start, format, params, notifier, owner, count)) {
    return 0;
  }
  const LineTable& table = *buffers.table;
  int32_t longest = -1;
  for (int32_t i = 0; i < count; ++i) {
    if (longest < 0 || table[i].length > table[longest].length) longest = i;
  }
  if (longest < 0) return 0;
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
  } else if (!noDialog) {
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

  Buffers buffers;
  if (!buffers.Allocate()) {
    notifier.Message(L"Cannot allocate buffers!", kAppTitle, kIconHand, owner);
    host.EndJob(true);
    return 0;
  }

  // The font and the page.
  const DeviceCaps caps = surface->Caps();
  int32_t fontHeight;
  if (settings.autoFontSize) {
    const int32_t width =
        caps.width.value -
        MulDiv(caps.dpiX, settings.margins.left.value + settings.margins.right.value, 100);
    fontHeight = AutoSizePrintFont(*surface, buffers, file, start, settings.format, settings.params,
                                   width, notifier, opener, owner);
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

  LineSupply supply(buffers, file, request.tags, settings.format, params, notifier, opener, owner,
                    start);
  int32_t result = 0;
  bool failed = false;      // a read or formatting error
  bool titlesFull = false;  // the titles leave no room for text
  bool done = false;
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
    if (!surface->Progress((drawn ? L"Printing page " : L"Skipping page ") +
                           std::to_wstring(page))) {
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
        continue;  // takes no room
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

    if (drawn) {
      const int32_t ended = surface->EndPage();
      if (ended <= 0) {
        result = ended;
        break;
      }
      surface->ReselectFont();
    }
    const int64_t next = supply.NextOffset();
    if (next >= end || next >= file.Flen) done = true;
  }

  if (titlesFull) result = 0;
  host.EndJob(result < 0 || titlesFull);
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
