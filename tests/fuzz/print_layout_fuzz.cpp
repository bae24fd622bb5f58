// Fuzzes the page layout of printing. The first bytes choose the job (print
// options, range, margins, page size, display options, and the tiny blocks,
// line batches and text buffers the file is read in, so that every input
// crosses their edges); the rest is the file. Every line drawn must lie inside the printable area, only the pages
// the range and the pass allow may be drawn, and a job that draws every
// page must print every character of the file's lines once, in order, form
// feeds aside.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/fuzz_support.h"
#include "support/memory_file.h"
#include "viewer/file/carriage_control.h"
#include "viewer/print/print_file_range.h"

namespace zorvo {
namespace {

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "print layout invariant broken: %s\n", what);
    std::abort();
  }
}

class Host : public PrintJobHost {
 public:
  RecordingSurface surface;
  ChosenRange range;
  int ends = 0;
  PrintSurface* StartJob(const JobStart&, ChosenRange& chosen) override {
    chosen = range;
    return &surface;
  }
  bool EndJob(bool) override {
    ++ends;
    return true;
  }
  LocalTime Now() override { return {}; }
  RegionalSettings Regional() override { return {}; }
};

// The file's display lines as one pass of the formatter makes them, in a
// table large enough for all of them.
std::string AllLines(const std::string& bytes, int format, const FormatParams& params) {
  const int32_t size = static_cast<int32_t>(bytes.size()) + 16;
  LineTable table(2 * size, 100 * size);
  const Block block{reinterpret_cast<const unsigned char*>(bytes.data()),
                    static_cast<int64_t>(bytes.size()), 0};
  LineCursor lines{table.entries(), table.Acnt, 0};
  TextCursor text{table.chars(), table.Tlen - 1, 0};
  FormatterFor(format)(block, lines, text, 0, Direction::kForward, params);
  std::string all;
  for (int32_t i = 0; i < lines.index; ++i) {
    all.append(table.TextOf(i), static_cast<size_t>(std::max(table[i].length, 0)));
  }
  return all;
}

}  // namespace
}  // namespace zorvo

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zorvo;
  Reader in{data, size};
  const uint8_t job = in.Byte();
  const uint8_t setup = in.Byte();
  const uint8_t rangeByte = in.Byte();
  const uint8_t marginByte = in.Byte();
  const uint8_t pageByte = in.Byte();
  const uint8_t display = in.Byte();
  const uint8_t pieces = in.Byte();

  Host host;
  host.surface.caps.height = DeviceUnits(100 + 50 * (pageByte & 0x1F));
  host.surface.caps.width = DeviceUnits(200 + 25 * (pageByte >> 5) * 8);
  PrintRequest request;
  request.flags = (setup & 0x0F) | (setup & 0xF0) << 4 | kPrintNoDialog;
  if (job & 0x01) request.flags |= kPrintTagsOnly;
  if (job & 0x02) request.flags |= kPrintEjectEvenIfTagsOnly;
  if (job & 0x04) request.flags |= kPrintEvenPagesOnly;
  if (job & 0x08) request.flags |= kPrintOddPagesOnly;
  if (job & 0x10) request.flags &= ~static_cast<uint32_t>(kPrintNoDialog);
  if (job & 0x20) request.titles = {"title one", std::string(30, 'T')};
  host.range =
      ChosenRange{static_cast<RangeChoice>((rangeByte & 3) % 3), (rangeByte >> 2) & 7,
                  (rangeByte >> 5) ? (rangeByte >> 5) + ((rangeByte >> 2) & 7) : kNoPageLimit};
  PrintSettings settings;
  settings.colors = DefaultColors();
  settings.margins = Margins{Hundredths(marginByte & 0x0F), Hundredths(marginByte >> 4),
                             Hundredths(0), Hundredths(marginByte & 0x07)};
  settings.format = display & 0x03;
  settings.params.options = (display & 0x04 ? uint32_t{kOptWrap} : 0u) |
                            (display & 0x08 ? uint32_t{kOptExpandTabs} : 0u) |
                            (display & 0x10 ? uint32_t{kOptFormFeedPage} : 0u);
  if (display & 0x20) {
    settings.params.options |= kOptCarriageControl;
    if (pieces & 0x80) settings.params.skipCounts = &AsaSkipCounts();
  }
  settings.pieces = WalkPieces{64u + (pieces & 0x7Fu) * 3u, 16, 64};
  settings.fixedLength = (display & 0x40) != 0;
  settings.maxLineLength = 8 + (job >> 6) * 40;
  settings.printMessages = (display & 0x80) != 0;

  // Pages of a few kilobytes show every rule; a longer file only costs time.
  in.size = std::min<size_t>(in.size, 0x4000);
  MemoryFile file(std::string(reinterpret_cast<const char*>(in.data), in.size));
  request.file = FileRecord{0, static_cast<int64_t>(in.size), L"C:\\fuzz.txt"};
  TagList tags;
  for (size_t at = 7; at < in.size && tags.count < 64; at += 13)
    AddTag(tags, static_cast<int64_t>(at), kUserMark);
  request.tags = &tags;
  request.start = (job & 0x40) ? static_cast<int64_t>(in.size / 3) : -1;
  request.end = (job & 0x40) ? static_cast<int64_t>(in.size / 2) : -1;
  request.firstPage = rangeByte & 0x40 ? 2 : -1;
  RecordingNotifier notifier;
  SidesRange sides;
  const int32_t result = PrintFileRange(request, settings, host, notifier, file, sides);
  if (in.size == 0) return 0;
  Check(host.ends == 1, "every job that started ends once");
  Check(result <= host.surface.pagesStarted, "no more pages reported than started");

  // Where the lines went.
  const int32_t lineHeight = host.surface.lineHeight;
  const int32_t top = MulDiv(300, settings.margins.top.value, 100);
  const int32_t bottom =
      host.surface.caps.height.value - MulDiv(300, settings.margins.bottom.value, 100);
  for (const auto& d : host.surface.drawn) {
    if (!d.boxed) continue;
    Check(d.y >= top && d.y + lineHeight <= bottom, "a line outside the printable area");
    Check(d.text.size() <= 4680, "a line longer than one text call draws");
  }
  // Which pages were drawn.
  int32_t drawn = 0;
  for (const std::wstring& line : host.surface.progress) {
    const bool printing = line.rfind(L"Printing page ", 0) == 0;
    const int32_t page = std::stoi(line.substr(14));
    if (printing) {
      ++drawn;
      if (request.flags & kPrintEvenPagesOnly) Check(page % 2 == 0, "an odd page in the even pass");
    }
  }
  Check(drawn == host.surface.pagesStarted, "a page started for each page printed");

  // The same file printed whole prints every character once.
  Host whole;
  whole.surface.caps = host.surface.caps;
  request.flags &=
      ~static_cast<uint32_t>(kPrintTagsOnly | kPrintEvenPagesOnly | kPrintOddPagesOnly);
  request.flags |= kPrintNoDialog;
  request.titles.clear();
  request.start = request.end = -1;
  RecordingNotifier quiet;
  const int32_t printed = PrintFileRange(request, settings, whole, quiet, file, sides);
  if (printed > 0 && quiet.shown.empty()) {
    FormatParams params = settings.params;
    const int32_t width =
        whole.surface.caps.width.value -
        MulDiv(300, settings.margins.left.value + settings.margins.right.value, 100);
    params.lineLength = settings.fixedLength ? settings.maxLineLength : std::max(width / 25, 1);
    const bool eject = (request.flags & kPrintEjectOnFormFeeds) != 0;
    if (eject) params.options |= 0x100;
    std::string expected;
    for (char c : AllLines(file.bytes, settings.format, params)) {
      if (!(eject && c == '\f')) expected.push_back(c);
    }
    std::string drawnText;
    bool cut = false;  // a line longer than one text call draws
    for (const auto& d : whole.surface.drawn) {
      if (!d.boxed) continue;
      cut = cut || d.text.size() == 4680;
      for (wchar_t c : d.text) drawnText.push_back(static_cast<char>(c));
    }
    if (!cut && drawnText != expected) {
      size_t k = 0;
      while (k < expected.size() && k < drawnText.size() && expected[k] == drawnText[k]) ++k;
      std::fprintf(stderr, "flags %x opts %x fmt %d len %d eject %d sizes %zu %zu at %zu\nEXP[%s]\nGOT[%s]\n", request.flags, params.options, settings.format, params.lineLength, eject, expected.size(), drawnText.size(), k, expected.substr(k > 40 ? k - 40 : 0, 80).c_str(), drawnText.substr(k > 40 ? k - 40 : 0, 80).c_str());
      for (const auto& d : whole.surface.drawn) if (d.boxed && d.page < 3) std::fprintf(stderr, "p%d y%d [%ls]\n", d.page, d.y, d.text.substr(0,60).c_str());
    }
    if (!cut) Check(drawnText == expected, "the printed characters are not the file's lines");
  }
  return 0;
}
