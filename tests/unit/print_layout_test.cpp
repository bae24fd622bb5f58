// Page layout of printing on a recording surface: what goes on which page,
// which pages are drawn, in which shades, and what the user is told.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/memory_file.h"
#include "support/whole_pass.h"
#include "viewer/file/carriage_control.h"
#include "viewer/print/print_file_range.h"

namespace zorvo {
namespace {

// The platform side of a job, with a recording surface.
class FakeHost : public PrintJobHost {
 public:
  // Seven lines of 50 pixels: a heading of two lines, then five of text.
  FakeHost() { surface.caps = {DeviceUnits(2400), DeviceUnits(350), 300, 300}; }

  RecordingSurface surface;
  ChosenRange range;
  bool refuse = false;  // the dialog was cancelled
  int starts = 0;
  int ends = 0;
  bool abandoned = false;
  bool endFails = false;  // the document cannot be ended
  JobStart job;

  PrintSurface* StartJob(const JobStart& j, ChosenRange& chosen) override {
    ++starts;
    job = j;
    if (refuse) return nullptr;
    chosen = range;
    return &surface;
  }
  bool EndJob(bool abandon) override {
    ++ends;
    abandoned = abandon;
    return !endFails;
  }
  LocalTime Now() override { return {2024, 3, 5, 0, 7}; }
  RegionalSettings Regional() override { return {}; }
};

class PrintLayout : public testing::Test {
 protected:
  void SetUp() override {
    settings.margins = Margins{};
    settings.params.options = kOptFormFeedPage | kOptExpandTabs;
    settings.colors = DefaultColors();
    request.flags = 0x2 | kPrintNoDialog;  // page numbers
    request.owner = 7;
  }

  void Content(const std::string& bytes) {
    file.bytes = bytes;
    request.file = FileRecord{0, static_cast<int64_t>(bytes.size()), L"C:\\data\\report.txt"};
  }
  void Lines(int count) {
    std::string bytes;
    offsets.clear();
    for (int i = 0; i < count; ++i) {
      offsets.push_back(static_cast<int64_t>(bytes.size()));
      bytes += "line " + std::to_string(i) + "\r\n";
    }
    Content(bytes);
  }
  int32_t Print() { return PrintFileRange(request, settings, host, notifier, file, sides); }

  // The lines of text drawn on the n-th page started.
  std::vector<std::string> Body(int32_t page) const {
    std::vector<std::string> body;
    for (const auto& d : host.surface.drawn) {
      if (d.page == page && d.boxed) body.emplace_back(d.text.begin(), d.text.end());
    }
    return body;
  }
  std::vector<std::vector<std::string>> Pages() const {
    std::vector<std::vector<std::string>> pages;
    for (int32_t p = 1; p <= host.surface.pagesStarted; ++p) pages.push_back(Body(p));
    return pages;
  }
  std::vector<std::wstring> Shown() const {
    std::vector<std::wstring> texts;
    for (const auto& s : notifier.shown) texts.push_back(s.text);
    return texts;
  }

  // The texts drawn outside the text boxes below the heading, as "x:text".
  std::vector<std::wstring> Markers() const {
    std::vector<std::wstring> markers;
    for (const auto& d : host.surface.drawn) {
      if (!d.boxed && d.y > 0) markers.push_back(std::to_wstring(d.x) + L":" + d.text);
    }
    return markers;
  }

  MemoryFile file;
  std::vector<int64_t> offsets;  // of the lines Lines() wrote
  FakeHost host;
  RecordingNotifier notifier;
  PrintRequest request;
  PrintSettings settings;
  SidesRange sides;
};

using PageList = std::vector<std::vector<std::string>>;

TEST_F(PrintLayout, PageBreaksFollowThePageLengthAndMargins) {
  struct Case {
    const char* what;
    int32_t deviceHeight;
    int32_t topBottom;  // hundredths of an inch, at 300 dpi 3 lines each per 50
    uint32_t heading;
    std::vector<size_t> pageSizes;
  };
  const Case cases[] = {
      {"heading and five lines", 350, 0, 0x2, {5, 5, 2}},
      {"no heading: seven lines", 350, 0, 0x0, {7, 5}},
      {"margins of three lines each way", 650, 50, 0x0, {7, 5}},
      {"a file name alone takes the heading's two lines", 350, 0, 0x4, {5, 5, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    host = FakeHost{};
    host.surface.caps.height = DeviceUnits(c.deviceHeight);
    settings.margins.top = settings.margins.bottom = Hundredths(c.topBottom);
    request.flags = c.heading | kPrintNoDialog;
    Lines(12);
    const int32_t printed = Print();
    EXPECT_EQ(printed, static_cast<int32_t>(c.pageSizes.size()));
    std::vector<size_t> sizes;
    int line = 0;
    for (const auto& page : Pages()) {
      sizes.push_back(page.size());
      for (const auto& text : page) EXPECT_EQ(text, "line " + std::to_string(line++));
    }
    EXPECT_EQ(sizes, c.pageSizes);
    EXPECT_EQ(line, 12) << "every line once, in order";
    EXPECT_EQ(host.ends, 1);
    EXPECT_FALSE(host.abandoned);
  }
}

TEST_F(PrintLayout, HeadingAndTitlesOnEveryPage) {
  request.flags = 0x2 | 0x4 | kPrintPageTitles | kPrintShadeTags | kPrintNoDialog;
  request.titles = {"TITLE A", "TITLE B"};
  Lines(7);
  EXPECT_EQ(Print(), 3);
  EXPECT_EQ(Pages(), (PageList{{"TITLE A", "TITLE B", "line 0", "line 1", "line 2"},
                               {"TITLE A", "TITLE B", "line 3", "line 4", "line 5"},
                               {"TITLE A", "TITLE B", "line 6"}}));
  // The file's name at the left margin and the page number at the right,
  // both on the top line; titles in the heading shades.
  for (int32_t page = 1; page <= 3; ++page) {
    std::vector<std::wstring> top;
    for (const auto& d : host.surface.drawn) {
      if (d.page == page && d.y == 0 && !d.boxed) top.push_back(d.text);
    }
    EXPECT_EQ(top,
              (std::vector<std::wstring>{L"report.txt", L"Page " + std::to_wstring(page) + L"  "}));
  }
  const auto& title = host.surface.drawn[2];
  ASSERT_EQ(title.text, L"TITLE A");
  EXPECT_EQ(title.y, 100);
  EXPECT_EQ(title.colors, (TextColors{0x000000, 0xE0E0E0}));
}

TEST_F(PrintLayout, TitlesThatFillThePageStopTheJob) {
  request.flags = kPrintPageTitles | kPrintNoDialog;  // no heading: seven lines
  request.titles = std::vector<std::string>(7, "T");
  Lines(3);
  EXPECT_EQ(Print(), 0);
  EXPECT_EQ(Shown(), std::vector<std::wstring>{L"Page titles fill the entire page!"});
  EXPECT_EQ(notifier.shown[0].style, kIconHand);
  EXPECT_TRUE(host.abandoned);
}

TEST_F(PrintLayout, FormFeedsAndCarriageControlEject) {
  struct Case {
    const char* what;
    std::string bytes;
    uint32_t flags;
    uint32_t carriage;
    PageList pages;
  };
  const std::string feeds = "a\r\nb\fc\r\n\fd\r\ne\r\n";
  const std::string shownFeed = "\xF0";  // a form feed left in the text shows as this
  const Case cases[] = {
      {"a form feed inside a line ends the page after its text",
       feeds,
       kPrintEjectOnFormFeeds,
       0,
       {{"a", "b"}, {"c"}, {"d", "e"}}},
      {"without eject the form feeds stay in the lines",
       feeds,
       0,
       0,
       {{"a", "b" + shownFeed + "c", "d", "e"}}},
      {"ASA 1 starts a page",
       " a\r\n b\r\n1c\r\n d\r\n",
       kPrintEjectOnFormFeeds,
       kOptCarriageControl | kOptCcAsa,
       {{"a", "b"}, {"c", "d"}}},
      {"tags only ignores form feeds", feeds, kPrintEjectOnFormFeeds | kPrintTagsOnly, 0, {{}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    host = FakeHost{};
    Content(c.bytes);
    request.flags = c.flags | kPrintNoDialog;
    settings.params.options = kOptFormFeedPage | c.carriage;
    settings.params.skipCounts = &SkipCountsFor(settings.params.options, PlainSkipCounts());
    Print();
    EXPECT_EQ(Pages(), c.pages);
  }
}

TEST_F(PrintLayout, TagsOnlyPrintsTheTaggedLinesInTheirPlaceOfTheFile) {
  Lines(12);
  TagList tags;
  for (int line : {2, 7, 11}) AddTag(tags, offsets[line], kUserMark);
  request.tags = &tags;
  request.flags = 0x2 | kPrintTagsOnly | kPrintShadeTags | kPrintNoDialog;
  EXPECT_EQ(Print(), 1);
  EXPECT_EQ(Pages(), (PageList{{"line 2", "line 7", "line 11"}}));
  // Tags alone are not shaded: every line of the job is one.
  EXPECT_EQ(host.surface.drawn.back().colors, (TextColors{0x000000, 0xFFFFFF}));
}

TEST_F(PrintLayout, ShadesOfTaggedAndSelectedLines) {
  Lines(4);
  TagList tags;
  AddTag(tags, 8, kUserMark);  // line 1
  request.tags = &tags;
  request.selectionStart = 16;  // line 2
  request.selectionEnd = 24;
  struct Case {
    uint32_t shading;
    std::vector<TextColors> colors;
  };
  const TextColors normal{0x000000, 0xFFFFFF}, tagged{0x000000, 0xC0C0C0};
  const Case cases[] = {
      {0, {normal, normal, normal, normal}},
      {kPrintShadeTags, {normal, tagged, normal, normal}},
      {kPrintShadeTags | kPrintShadeSelection, {normal, tagged, {0xFFFFFF, 0x000000}, normal}},
  };
  for (const Case& c : cases) {
    host = FakeHost{};
    request.flags = c.shading | kPrintNoDialog;
    Print();
    std::vector<TextColors> seen;
    for (const auto& d : host.surface.drawn) {
      if (d.boxed) seen.push_back(d.colors);
    }
    EXPECT_EQ(seen, c.colors) << std::hex << c.shading;
    EXPECT_EQ(host.surface.Colors(), normal) << "the normal shades are back after each line";
  }
}

TEST_F(PrintLayout, RangesOfPagesAndTheSidesPasses) {
  struct Case {
    const char* what;
    uint32_t flags;
    ChosenRange range;
    std::vector<std::wstring> progress;
    std::vector<std::string> firstLines;  // of each page drawn
  };
  const ChosenRange all{};
  const Case cases[] = {
      {"pages 3 to 5",
       0,
       {RangeChoice::kPages, 3, 5},
       {L"Skipping page 1", L"Skipping page 2", L"Printing page 3", L"Printing page 4",
        L"Printing page 5"},
       {"line 10", "line 15", "line 20"}},
      {"from 0 starts at the top of the window",
       0,
       {RangeChoice::kPages, 0, 2},
       {L"Printing page 1", L"Printing page 2"},
       {"line 4", "line 9"}},
      {"even pages",
       kPrintEvenPagesOnly,
       all,
       {L"Skipping page 1", L"Printing page 2", L"Skipping page 3", L"Printing page 4",
        L"Skipping page 5"},
       {"line 5", "line 15"}},
      {"odd pages repeat the even pass's range",
       kPrintOddPagesOnly | kPrintNoDialog,
       all,
       {L"Printing page 1", L"Skipping page 2", L"Printing page 3", L"Skipping page 4",
        L"Printing page 5"},
       {"line 0", "line 10", "line 20"}},
  };
  Lines(23);
  request.viewOffset = 32;  // line 4
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    host = FakeHost{};
    host.range = c.range;
    request.flags = c.flags | 0x2;
    const int32_t printed = Print();
    EXPECT_EQ(host.surface.progress, c.progress);
    std::vector<std::string> firstLines;
    for (const auto& page : Pages()) firstLines.push_back(page.empty() ? "" : page[0]);
    EXPECT_EQ(firstLines, c.firstLines);
    EXPECT_EQ(printed, static_cast<int32_t>(c.firstLines.size()));
  }
}

TEST_F(PrintLayout, TheDialogsSelectionStopsAtItsEndAndIsNotShaded) {
  Lines(12);
  request.start = 16;  // lines 2 to 3
  request.end = 32;
  request.selectionStart = 16;
  request.selectionEnd = 32;
  request.flags = kPrintShadeSelection;
  host.range.choice = RangeChoice::kSelection;
  EXPECT_EQ(Print(), 1);
  EXPECT_TRUE(host.job.selectionAvailable);
  EXPECT_EQ(Pages(), (PageList{{"line 2", "line 3"}}));
  EXPECT_EQ(host.surface.drawn.back().colors, (TextColors{0x000000, 0xFFFFFF}));

  // Without a dialog the command's range prints whole pages.
  host = FakeHost{};
  request.flags = kPrintNoDialog;
  request.firstPage = request.lastPage = 1;
  EXPECT_EQ(Print(), 1);
  EXPECT_EQ(Pages(),
            (PageList{{"line 2", "line 3", "line 4", "line 5", "line 6", "line 7", "line 8"}}));
}

TEST_F(PrintLayout, LongLinesMarkersAndTheLastLine) {
  settings.fixedLength = true;
  settings.maxLineLength = 6000;
  Content(std::string(5000, 'x') + "\r\n" + std::string(7000, 'y') + "\r\nend");
  settings.printMessages = true;
  request.flags = kPrintNoDialog;
  Print();
  const auto body = Body(1);
  ASSERT_EQ(body.size(), 3u);
  EXPECT_EQ(body[0].size(), 4680u) << "one text call draws at most 4680 characters";
  EXPECT_EQ(body[2], "end") << "the last line without a line end is printed once";
  // A marker only after a line narrower than the page.
  EXPECT_EQ(Markers(), std::vector<std::wstring>{L"77: [Incomplete Line...]"});

  host = FakeHost{};
  settings.maxLineLength = 10;
  Content("short\r\n0123456789abc\r\nlast");
  Print();
  EXPECT_EQ(Markers(),
            (std::vector<std::wstring>{L"252: [Truncated...]", L"102: [Incomplete Line...]"}));

  host = FakeHost{};
  settings.printMessages = false;
  Print();
  EXPECT_EQ(Markers(), std::vector<std::wstring>{});
}

TEST_F(PrintLayout, WhatTheUserIsTold) {
  struct Case {
    const char* what;
    ChosenRange range;
    int32_t deviceWidth;
    bool unreadable;
    int32_t failEndPage;  // the spooler's code at the first page end; 0 none
    int32_t cancelAt;     // Progress call that finds Cancel pressed; 0 none
    int32_t result;
    std::vector<std::wstring> messages;
    bool abandoned;
    bool endFails = false;  // the document cannot be ended
  };
  const ChosenRange all{};
  const Case cases[] = {
      {"a range beyond the last page",
       {RangeChoice::kPages, 9, 12},
       2400,
       false,
       0,
       0,
       0,
       {L"Nothing was printed."},
       false},
      {"margins leave no room",
       all,
       140,
       false,
       0,
       0,
       0,
       {L"Invalid page margins, nothing printed!"},
       true},
      {"the file cannot be read",
       all,
       2400,
       true,
       0,
       0,
       -1,
       {L"Cannot open the file", L"File read error", L"Printing error occurred."},
       false},
      {"Cancel after the first page", all, 2400, false, 0, 2, kSpoolUserAbort, {}, true},
      {"a full disk",
       all,
       2400,
       false,
       kSpoolOutOfDisk,
       0,
       kSpoolOutOfDisk,
       {L"Not enough disk space for spooling."},
       true},
      {"no memory to spool",
       all,
       2400,
       false,
       kSpoolOutOfMemory,
       0,
       kSpoolOutOfMemory,
       {L"Not enough memory for spooling."},
       true},
      {"another spooling failure",
       all,
       2400,
       false,
       kSpoolError,
       0,
       kSpoolError,
       {L"Printing error occurred."},
       true},
      {"a document that cannot be ended",
       all,
       2400,
       false,
       0,
       0,
       -1,
       {L"Printing error occurred."},
       false,
       true},
  };
  request.flags = 0x2;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    host = FakeHost{};
    notifier = RecordingNotifier{};
    Lines(12);
    file.fail = c.unreadable;
    host.range = c.range;
    host.surface.caps.width = DeviceUnits(c.deviceWidth);
    host.surface.failEndPageAt = c.failEndPage ? 1 : 0;
    host.surface.endPageResult = c.failEndPage;
    host.surface.cancelAtProgress = c.cancelAt;
    host.endFails = c.endFails;
    EXPECT_EQ(Print(), c.result);
    std::vector<std::wstring> shown = Shown();
    // The system's own words for a file that cannot be opened vary.
    for (auto& text : shown) {
      if (text.rfind(L"Cannot open", 0) == 0) text = L"Cannot open the file";
    }
    EXPECT_EQ(shown, c.messages);
    EXPECT_EQ(host.ends, 1);
    EXPECT_EQ(host.abandoned, c.abandoned);
    for (const auto& s : notifier.shown) {
      if (s.text.rfind(L"Cannot open", 0) != 0) {
        EXPECT_EQ(s.owner, 7u) << s.text;
      }
    }
  }
  // The dialog cancelled: no job, no message.
  host = FakeHost{};
  notifier = RecordingNotifier{};
  host.refuse = true;
  request.flags = 0;
  EXPECT_EQ(Print(), 0);
  EXPECT_EQ(host.ends, 0);
  EXPECT_TRUE(notifier.shown.empty());
}

TEST_F(PrintLayout, TheFontFollowsThePointSizeZoomOrThePaper) {
  Lines(3);
  settings.fontSize = 10;
  settings.zoomSteps = 1;
  Print();
  // 10 points at 300 dpi: 42 pixels, a fifth more for one zoom step.
  EXPECT_EQ(host.surface.fontHeights, std::vector<int32_t>{-50});

  host = FakeHost{};
  settings.autoFontSize = true;
  Content("ab\r\n0123456789\r\nxyz\r\n");
  Print();
  // The recording font's characters are half as wide as it is high: ten of
  // them fit 2400 pixels up to a height of 99, the largest tried.
  EXPECT_EQ(host.surface.fontHeights, std::vector<int32_t>{-99});

  RecordingSurface surface;
  struct Fit {
    int32_t width;
    int32_t height;
  };
  for (const Fit& f : {Fit{200, -41}, Fit{0, -1}, Fit{10, -3}, Fit{100000, -99}}) {
    EXPECT_EQ(FitFontToWidth(surface, "0123456789", f.width), f.height) << f.width;
  }
}

TEST(PageGeometryTest, MarginsInDeviceUnits) {
  struct Case {
    int32_t a, b, c, expected;
  };
  for (const Case& k : {Case{300, 50, 100, 150}, Case{96, 25, 100, 24}, Case{3, 1, 2, 2},
                        Case{-3, 1, 2, -2}, Case{1, 1, 0, -1}}) {
    EXPECT_EQ(MulDiv(k.a, k.b, k.c), k.expected) << k.a << "*" << k.b << "/" << k.c;
  }
  const DeviceCaps caps{DeviceUnits(2550), DeviceUnits(3300), 300, 300};
  const Margins margins{Hundredths(50), Hundredths(75), Hundredths(25), Hundredths(100)};
  const PageGeometry g = ComputeGeometry(caps, margins, {DeviceUnits(50), DeviceUnits(25)}, 0);
  EXPECT_EQ(g.x0, DeviceUnits(225));
  EXPECT_EQ(g.y0, DeviceUnits(150));
  EXPECT_EQ(g.width, DeviceUnits(2250));
  EXPECT_EQ(g.height, DeviceUnits(2850));
  EXPECT_EQ(g.charsPerLine, 90);
  EXPECT_EQ(ComputeGeometry(caps, margins, {DeviceUnits(50), DeviceUnits(25)}, 132).charsPerLine,
            132);
  // A device too small for two lines is taken for 50 lines of 60 characters.
  const PageGeometry tiny = ComputeGeometry({DeviceUnits(10), DeviceUnits(10), 300, 300}, {},
                                            {DeviceUnits(50), DeviceUnits(25)}, 0);
  EXPECT_EQ(tiny.height, DeviceUnits(2500));
  EXPECT_EQ(tiny.width, DeviceUnits(1500));
}

// A wrapped line of a print file that a batch cuts (here where its text
// buffer of 1 MiB is full) is built again from its start, control byte and
// all, in the next batch.
TEST_F(PrintLayout, AWrappedLineAcrossTwoBatches) {
  std::string bytes;
  for (int line = 0; line < 120; ++line) {
    bytes += " " + std::string(10000, static_cast<char>('A' + line % 26)) + "\r\n";
  }
  Content(bytes);
  request.flags = kPrintNoDialog;
  settings.params.options = kOptWrap | kOptCarriageControl | kOptCcAsa;
  settings.params.skipCounts = &SkipCountsFor(settings.params.options, PlainSkipCounts());
  settings.fixedLength = true;
  settings.maxLineLength = 4096;
  Print();
  std::vector<std::string> expected;
  for (int line = 0; line < 120; ++line) {
    const char c = static_cast<char>('A' + line % 26);
    for (size_t length : {4096, 4096, 1808}) expected.emplace_back(length, c);
  }
  std::vector<std::string> printed;
  for (const auto& page : Pages()) printed.insert(printed.end(), page.begin(), page.end());
  ASSERT_EQ(printed.size(), expected.size());
  EXPECT_TRUE(printed == expected);
}

// Random files printed through tiny blocks, line tables and text buffers,
// so that batches end inside CR LF pairs, records with spacing lines and
// wrapped or cut lines: page by page what the file printed as one piece
// gives, and without ejects, the lines of one pass over the whole file.
TEST_F(PrintLayout, TinyPiecesPrintWhatOnePiecePrints) {
  std::mt19937 random(11);
  for (int round = 0; round < 200; ++round) {
    const RandomCase c = MakeRandomCase(random);
    SCOPED_TRACE(testing::Message() << "round " << round);
    Content(c.bytes);
    settings.format = c.format;
    settings.params = c.params;
    settings.fixedLength = true;
    settings.maxLineLength = c.params.lineLength;
    const bool eject = random() % 2;
    request.flags = (eject ? uint32_t{kPrintEjectOnFormFeeds} : 0u) | kPrintNoDialog;
    auto print = [&](const WalkPieces& pieces) {
      host = FakeHost{};
      settings.pieces = pieces;
      Print();
      return Pages();
    };
    const PageList whole = print(WalkPieces{1 << 24, 1 << 17, 1 << 24});
    ASSERT_EQ(print(WalkPieces{static_cast<uint32_t>(64 + random() % 200), 16, 64}), whole);
    if (eject) continue;
    std::vector<std::string> printed, expected;
    for (const auto& page : whole) printed.insert(printed.end(), page.begin(), page.end());
    for (const ShownLine& line : WholePass(c.bytes, c.format, c.params)) {
      expected.push_back(line.text);
    }
    ASSERT_EQ(printed, expected);
  }
  EXPECT_TRUE(notifier.shown.empty());
}

// Records of a print file that fill batch after batch of lines with their
// spacing lines, at the product's sizes: none loses its first letters.
TEST_F(PrintLayout, RecordsAcrossFullBatchesPrintWhole) {
  std::string bytes;
  for (int i = 0; i < 3000; ++i) bytes += "0LINE " + std::to_string(10000 + i) + "\r\n";
  Content(bytes);
  request.flags = kPrintNoDialog;
  settings.params.options = kOptCarriageControl | kOptCcAsa | kOptFormFeedPage;
  settings.params.skipCounts = &AsaSkipCounts();
  Print();
  std::vector<std::string> printed;
  for (const auto& page : Pages()) {
    for (const auto& text : page) {
      if (!text.empty()) printed.push_back(text);
    }
  }
  ASSERT_EQ(printed.size(), 3000u);
  for (int i = 0; i < 3000; ++i) ASSERT_EQ(printed[i], "LINE " + std::to_string(10000 + i));
}

// Print Page from any row the window can have at its top: a record's
// spacing row, its text row, a wrapped line's second row. The page begins
// with that row, and no byte of a record is taken for its control byte.
TEST_F(PrintLayout, APageFromAnyRowOfARecord) {
  std::string bytes;
  for (int i = 0; i < 40; ++i) bytes += "0LINE " + std::to_string(10 + i) + " ABCDEFGHIJ\r\n";
  Content(bytes);
  const int64_t record = static_cast<int64_t>(bytes.find("0LINE 17"));
  settings.params.options = kOptWrap | kOptCarriageControl | kOptCcAsa | kOptFormFeedPage;
  settings.params.skipCounts = &AsaSkipCounts();
  settings.fixedLength = true;
  settings.maxLineLength = 10;
  const struct {
    int64_t top;
    std::vector<std::string> page;
  } cases[] = {
      {record, {"", "LINE 17 AB", "CDEFGHIJ", "", "LINE 18 AB", "CDEFGHIJ", ""}},
      {record + 2, {"LINE 17 AB", "CDEFGHIJ", "", "LINE 18 AB", "CDEFGHIJ", "", "LINE 19 AB"}},
      {record + 11, {"CDEFGHIJ", "", "LINE 18 AB", "CDEFGHIJ", "", "LINE 19 AB", "CDEFGHIJ"}},
  };
  for (const auto& c : cases) {
    host = FakeHost{};
    request.start = request.viewOffset = c.top;
    request.end = 0;
    request.firstPage = request.lastPage = 1;
    request.flags = kPrintNoDialog;
    EXPECT_EQ(Print(), 1);
    EXPECT_EQ(Pages(), PageList{c.page}) << c.top;
  }
}

// Tags only, one tag at the top of a long file: the untagged lines take no
// room, and while they are skipped the abort dialog is still asked about
// Cancel.
TEST_F(PrintLayout, CancelReachesATagsOnlyJobWhileItSkips) {
  Lines(30000);
  TagList tags;
  AddTag(tags, offsets[1], kUserMark);
  request.tags = &tags;
  request.flags = kPrintTagsOnly | kPrintNoDialog;
  host.surface.cancelAtProgress = 3;
  EXPECT_EQ(Print(), kSpoolUserAbort);
  EXPECT_TRUE(host.abandoned);
  EXPECT_EQ(Pages(), (PageList{{"line 1"}}));
  // Each look tells how far into the file the skipping has come.
  const std::vector<int32_t>& skipped = host.surface.skipped;
  ASSERT_EQ(skipped.size(), 2u);
  EXPECT_GT(skipped[0], 0);
  EXPECT_GT(skipped[1], skipped[0]);
  EXPECT_LT(skipped[1], 100);
}

// A job meant to go without the dialog that had to show it: the range the
// user chose there is printed; the preselected selection is the command's.
TEST_F(PrintLayout, AFallbackDialogsChoiceHolds) {
  const struct {
    ChosenRange chosen;
    PageList pages;
  } cases[] = {
      {{RangeChoice::kAll, 0, kNoPageLimit, true},
       {{"line 0", "line 1", "line 2", "line 3", "line 4", "line 5", "line 6"},
        {"line 7", "line 8", "line 9"}}},
      {{RangeChoice::kSelection, 0, kNoPageLimit, true},
       {{"line 4", "line 5", "line 6", "line 7", "line 8", "line 9"}}},
      {{RangeChoice::kPages, 2, 2, true}, {{"line 7", "line 8", "line 9"}}},
  };
  for (const auto& c : cases) {
    host = FakeHost{};
    host.range = c.chosen;
    Lines(10);
    // Print Page from line 4: the page from the top line.
    request.start = request.viewOffset = offsets[4];
    request.end = 0;
    request.firstPage = request.lastPage = 1;
    request.flags = kPrintNoDialog;
    Print();
    EXPECT_EQ(Pages(), c.pages) << static_cast<int>(c.chosen.choice);
  }
}

}  // namespace
}  // namespace zorvo
