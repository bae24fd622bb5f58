// The rebuild of the line table around a position, page padding and the
// positioning protocol, over files kept in memory.
#include "viewer/file/rebuild.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "support/memory_file.h"
#include "viewer/file/carriage_control.h"
#include "viewer/file/code_tables.h"
#include "viewer/file/rebuild.h"
#include "viewer/frame/error_report.h"
#include "viewer/frame/positioning.h"
#include "viewer/frame/tag_list.h"

namespace zorvo {
namespace {

struct Line {
  int64_t offset;
  uint32_t flags;
  std::string text;
  bool operator==(const Line&) const = default;
};
[[maybe_unused]] std::ostream& operator<<(std::ostream& os, const Line& l) {
  return os << "{" << l.offset << ", 0x" << std::hex << l.flags << std::dec << ", \"" << l.text
            << "\"}";
}

std::vector<Line> LinesOf(const LineTable& table, int32_t from, int32_t to) {
  std::vector<Line> lines;
  for (int32_t i = from; i < to; ++i) {
    const int32_t length = std::max(table[i].length, 0);  // the end entry has none
    lines.push_back({table[i].offset, table[i].flags,
                     std::string(table.TextOf(i), static_cast<size_t>(length))});
  }
  return lines;
}

// The whole file assembled forward from its start, the reference.
std::vector<Line> Reference(const std::string& bytes, int format, const FormatParams& params) {
  LineTable table(1 << 16, std::max<int32_t>(1 << 22, 2 * static_cast<int32_t>(bytes.size())));
  Block block{reinterpret_cast<const unsigned char*>(bytes.data()),
              static_cast<int64_t>(bytes.size()), 0};
  LineCursor lines{table.entries(), table.Acnt, 0};
  TextCursor text{table.chars(), table.Tlen, 0};
  FormatterFor(format)(block, lines, text, 0, Direction::kForward, params);
  return LinesOf(table, 0, lines.index + 1);  // with the end entry
}

// Whether the table's lines (with its end entry) are a run of the whole
// file's lines.
bool IsSliceOf(const std::vector<Line>& whole, const LineTable& table) {
  const std::vector<Line> shown = LinesOf(table, table.Afirst, table.Alast + 1);
  if (shown.empty()) return false;
  for (size_t at = 0; at + shown.size() <= whole.size(); ++at) {
    if (whole[at] != shown[0]) continue;
    const std::vector<Line> slice(whole.begin() + at, whole.begin() + at + shown.size() - 1);
    const std::vector<Line> held(shown.begin(), shown.end() - 1);
    if (slice == held && whole[at + shown.size() - 1].offset == shown.back().offset) return true;
  }
  return false;
}

class RebuildTest : public testing::Test {
 public:
  RebuildTest() : context(file, notifier, nullptr, &memory) { file.path = L"memory"; }

  // Opens the file: its length, and an empty table.
  void Open(std::string bytes, int32_t slots = 64, int32_t text = 1 << 16) {
    memory.bytes = std::move(bytes);
    file.Flen = static_cast<int64_t>(memory.bytes.size());
    table = std::make_unique<LineTable>(slots, text);
    (*table)[0] = LineEntry{0, 0, -1, 0, 0};
  }
  unsigned RebuildAt(int64_t target, int32_t rows = 5) {
    request.target = target;
    request.rows = rows;
    return Rebuild(context, *table, request);
  }
  std::vector<Line> Shown() const { return LinesOf(*table, table->Afirst, table->Alast); }

  MemoryFile memory;
  FileRecord file;
  RecordingNotifier notifier;
  RebuildContext context;
  RebuildRequest request;
  std::unique_ptr<LineTable> table;
};

std::string Numbered(int lines, const char* end = "\n") {
  std::string text;
  for (int i = 0; i < lines; ++i) text += "line " + std::to_string(i) + end;
  return text;
}

TEST_F(RebuildTest, AtTheStartFillsForwardFromSlotZero) {
  Open(Numbered(200));
  EXPECT_EQ(RebuildAt(0), 0u);
  EXPECT_EQ(table->Afirst, 0);
  EXPECT_EQ(table->Acur, 0);
  EXPECT_EQ(table->Alast, 63) << "every slot but the end entry";
  EXPECT_EQ(Shown().front().text, "line 0");
}

TEST_F(RebuildTest, AtTheEndShowsTheLastLinesAtTheBottom) {
  Open(Numbered(200));
  RebuildAt(file.Flen);
  EXPECT_EQ(table->Alast, 63);
  EXPECT_EQ((*table)[63].offset, file.Flen);
  EXPECT_EQ(Shown().back().text, "line 199");
  EXPECT_EQ(table->Acur, 62);
}

TEST_F(RebuildTest, InsideALineTheLineStartsAtItsTrueStart) {
  Open(Numbered(200, "\r\n"));
  const int64_t inside = memory.bytes.find("line 100") + 3;
  RebuildAt(inside);
  EXPECT_EQ((*table)[table->Acur].offset, inside - 3);
  EXPECT_EQ(std::string((*table).TextOf(table->Acur), 8), "line 100");
  EXPECT_EQ(Shown()[table->Acur - table->Afirst - 1].text, "line 99");
  // On the LF of a CR LF pair the line is the one the pair ends.
  const int64_t lf = memory.bytes.find("\n", inside);
  RebuildAt(lf);
  EXPECT_EQ(std::string((*table).TextOf(table->Acur), 8), "line 100");
}

TEST_F(RebuildTest, ACtrlZEndingTheFileBelongsToTheLastLine) {
  Open("one\r\ntwo\r\n\x1a");
  RebuildAt(10);  // the Ctrl-Z
  EXPECT_EQ(Shown(), (std::vector<Line>{{0, 0, "one"}, {5, 0, "two"}}));
  EXPECT_EQ((*table)[table->Acur].offset, 5);
}

TEST_F(RebuildTest, ScrollAboveTheTableAnchorsAWindowBelow) {
  Open(Numbered(500));
  RebuildAt(memory.bytes.find("line 300"), 10);
  const int32_t first = table->Afirst;
  const int64_t top = (*table)[first].offset;
  // The window asks for the line ten rows above the first one held.
  table->Acur = first - 10;
  request.target = -1;
  EXPECT_EQ(Rebuild(context, *table, request), 0u);
  EXPECT_EQ(table->Acur, (64 - 10) / 2) << "the requested top line lands at the start index";
  EXPECT_EQ((*table)[table->Acur + 10].offset, top);
}

TEST_F(RebuildTest, AFailingReadReportsFailure) {
  Open(Numbered(50));
  memory.fail = true;
  EXPECT_EQ(RebuildAt(10) & kStatusFailed, kStatusFailed);
  ASSERT_EQ(notifier.shown.size(), 1u);
  EXPECT_NE(notifier.shown[0].text.find(L"Cannot open"), std::wstring::npos);
}

TEST_F(RebuildTest, TagsAreCopiedIntoTheLines) {
  Open(Numbered(100));
  TagList tags;
  const int64_t line40 = memory.bytes.find("line 40");
  AddTag(tags, line40 + 2, kSearchMark);
  AddTag(tags, line40 + 3, kUserMark);
  TagMarker marks(tags);
  context.marks = &marks;
  RebuildAt(line40);
  EXPECT_EQ((*table)[table->Acur].flags & kTagMask, 0x3u);
  EXPECT_EQ((*table)[table->Acur + 1].flags & kTagMask, 0u);
}

// How far back a rebuild must look to see what a whole-file assembly sees:
// the most bytes between two line ends, or in a run of alternating CR and
// LF bytes, whose start decides how they pair.
int64_t LongestLine(const std::string& bytes) {
  int64_t longest = 0;
  int64_t line = 0;
  int64_t run = 0;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const bool end = bytes[i] == '\r' || bytes[i] == '\n';
    line = end ? 0 : line + 1;
    run = !end ? 0 : i > 0 && run > 0 && bytes[i - 1] != bytes[i] ? run + 1 : 1;
    longest = std::max({longest, line, run});
  }
  return longest;
}

// Random files of short lines, form feeds, control bytes and now and then
// a long line or a long run of blank CR LF lines.
std::string RandomFile(std::mt19937& rng, bool longRuns) {
  const std::string alphabet = "abcd efg\t\r\n\n\n\f\x1a" "01-+";
  std::string bytes(rng() % 3000, '\0');
  for (char& c : bytes) c = alphabet[rng() % alphabet.size()];
  if (!longRuns) return bytes;
  for (int k = static_cast<int>(rng() % 4); k > 0; --k) {
    const size_t at = rng() % (bytes.size() + 1);
    if (rng() % 2) {
      bytes.insert(at, 100 + rng() % 300, static_cast<char>('h' + rng() % 7));
    } else {
      std::string run;
      for (size_t n = 40 + rng() % 100; n > 0; --n) run += "\r\n";
      bytes.insert(at, run);
    }
  }
  return bytes;
}

// For random files, options and targets, the table holds exactly the lines
// that a forward assembly of the whole file makes around the target. With
// `smallBlocks` the file is read in blocks of some 64 bytes, looking back
// no more than a few hundred, so that lines cross block edges all the time.
void ExpectSlicesOfTheWholeFile(RebuildTest& t, uint32_t seed, int rounds, bool smallBlocks) {
  std::mt19937 rng(seed);
  static const SkipCounts counts = [] {
    SkipCounts c = PlainSkipCounts();
    c['0'] = 2;
    c['-'] = 3;
    c['1'] = 255;
    c['+'] = 0;
    return c;
  }();
  for (int round = 0; round < rounds; ++round) {
    const std::string bytes = RandomFile(rng, smallBlocks);
    const int32_t slots = 8 + static_cast<int32_t>(rng() % 60);
    t.Open(bytes, slots, 1 << 16);
    RebuildRequest& request = t.request;
    request = RebuildRequest{};
    request.format = static_cast<int>(rng() % 3);
    request.params.lineLength = 24 + static_cast<int32_t>(rng() % 40);
    request.params.tabLength = 1 + static_cast<int32_t>(rng() % 8);
    for (uint32_t bit : {kOptWrap, kOptExpandTabs, kOptFormFeedPage, kOptPageGaps,
                         kOptCarriageControl}) {
      if (rng() % 2) request.params.options |= bit;
    }
    request.params.skipCounts = &counts;
    if (smallBlocks) {
      // Lines take at most a quarter of a block; a hex line needs 24 columns.
      if (request.format != kFormatHex) request.params.lineLength = 4 + rng() % 13;
      t.context.piece = std::max<uint32_t>(64, 4 * request.params.lineLength) + rng() % 64;
      t.context.reach = LongestLine(bytes) + 64 + rng() % 1024;
      if (rng() % 2) request.params.skipCounts = &AsaSkipCounts();
      if (rng() % 3 == 0) request.params.options |= rng() % 2 ? kOptEbcdic : kOptAscii;
    }
    const std::vector<Line> whole = Reference(bytes, request.format, request.params);
    int64_t per = 1;
    if (request.format == kFormatRaw) per = request.params.lineLength;
    if (request.format == kFormatHex) per = whole.size() > 1 ? whole[1].offset : 1;
    for (int k = 0; k < 5; ++k) {
      // Hex and raw lines align on the target: aim at the start of a full
      // line (at the last, short one they align on the end of the file).
      int64_t target = static_cast<int64_t>(rng() % (bytes.size() + 1));
      if (request.format != kFormatText) {
        target -= target % per;
        if (target + per > t.file.Flen) target = std::max<int64_t>(target - per, 0);
      }
      const LineTable& table = *t.table;
      ASSERT_EQ(t.RebuildAt(target, 1 + static_cast<int32_t>(rng() % 6)) & kStatusFailed, 0u);
      ASSERT_TRUE(IsSliceOf(whole, table))
          << "round " << round << " target " << target << " format " << request.format
          << " options 0x" << std::hex << request.params.options << std::dec << " piece "
          << t.context.piece << " reach " << t.context.reach;
      ASSERT_GE(table.Acur, table.Afirst);
      ASSERT_LT(table.Acur, std::max(table.Alast, table.Afirst + 1));
      if (!(request.params.options & (kOptCarriageControl | kOptPageGaps)) &&
          target < t.file.Flen && table.Alast > table.Afirst) {
        // The top line holds the target.
        ASSERT_LE(table[table.Acur].offset, target);
        ASSERT_GT(table[table.Acur + 1].offset, target);
      }
    }
  }
}

TEST_F(RebuildTest, TablesAreSlicesOfTheWholeFile) {
  ExpectSlicesOfTheWholeFile(*this, 4242, 400, false);
}

TEST_F(RebuildTest, TablesAreSlicesOfTheWholeFileReadInSmallBlocks) {
  ExpectSlicesOfTheWholeFile(*this, 4243, 1500, true);
}

// ------------------------------------------------------------- padding ----

TEST(PagePadding, FillsEachPageToItsLength) {
  // 60 lines, a form feed, then 10 more lines.
  std::string text;
  for (int i = 0; i < 60; ++i) text += "a\n";
  text += "\fpage two\n";
  for (int i = 0; i < 9; ++i) text += "b\n";
  LineTable table(4096, 1 << 20);
  Block block{reinterpret_cast<const unsigned char*>(text.data()),
              static_cast<int64_t>(text.size()), 0};
  LineCursor lines{table.entries(), table.Acnt, 0};
  TextCursor chars{table.chars(), table.Tlen, 0};
  FormatParams params;
  params.options = kOptFormFeedPage;
  FormatText(block, lines, chars, 0, Direction::kForward, params);
  table.Alast = lines.index;
  PadPages(table, 66, static_cast<int64_t>(text.size()));
  // Six empty lines before the page-break line; the last page padded to 66
  // before the gap line that closes it.
  ASSERT_EQ(table[66].flags, static_cast<uint32_t>(kPageBreak));
  for (int i = 60; i < 66; ++i) {
    EXPECT_EQ(table[i].length, 0) << i;
    EXPECT_EQ(table[i].pageLine, i + 1);
  }
  EXPECT_EQ(table[66].pageLine, 1);
  EXPECT_EQ(table[table.Alast - 1].flags, static_cast<uint32_t>(kPageGap));
  EXPECT_EQ(table.Alast, 66 * 2 + 1);
  EXPECT_EQ(table[table.Alast].offset, static_cast<int64_t>(text.size()));
}

TEST(PagePadding, BlankLinesAtTheEndGiveWayToAGapLine) {
  const std::string text = "x\ny\n   \n\n";
  LineTable table(64, 4096);
  Block block{reinterpret_cast<const unsigned char*>(text.data()),
              static_cast<int64_t>(text.size()), 0};
  LineCursor lines{table.entries(), table.Acnt, 0};
  TextCursor chars{table.chars(), table.Tlen, 0};
  FormatText(block, lines, chars, 0, Direction::kForward, FormatParams{});
  table.Alast = lines.index;
  PadPages(table, 3, static_cast<int64_t>(text.size()));
  ASSERT_EQ(table.Alast, 4);
  EXPECT_EQ(table[2].length, 0) << "the page padded to three lines";
  EXPECT_EQ(table[3].flags, static_cast<uint32_t>(kPageGap));
  EXPECT_EQ(table[3].offset, static_cast<int64_t>(text.size()) - 1);
  EXPECT_EQ(table[4].length, -1);
}

TEST(PagePadding, AFullTableKeepsTheCurrentLineAndItsLastSlot) {
  // Pages of 2 lines padded to 5: insertions after the current line push
  // lines off the end; those before it push lines off the start.
  std::string text;
  for (int i = 0; i < 20; ++i) text += "\fp\nq\n";
  LineTable table(16, 4096);
  Block block{reinterpret_cast<const unsigned char*>(text.data()),
              static_cast<int64_t>(text.size()), 0};
  LineCursor lines{table.entries(), table.Acnt, 0};
  TextCursor chars{table.chars(), table.Tlen, 0};
  FormatParams params;
  params.options = kOptFormFeedPage;
  FormatText(block, lines, chars, 0, Direction::kForward, params);
  table.Alast = lines.index;
  table.Acur = 4;
  const int64_t current = table[4].offset;
  PadPages(table, 5, static_cast<int64_t>(text.size()));
  EXPECT_EQ(table[4].offset, current) << "the current line keeps its index";
  EXPECT_EQ(table.Afirst, 0);
  EXPECT_EQ(table.Alast, 15);
  EXPECT_EQ(table[15].length, -1) << "the last slot ends the table";
  EXPECT_LE(table[15].offset, static_cast<int64_t>(text.size()));
}

// --------------------------------------------------------- positioning ----

class PositioningTest : public RebuildTest {
 public:
  PositionOutcome Send(PositionKind kind, int64_t value) {
    ViewPosition view{context, *table, request.format, request.params, rows, pad, false};
    return Position(view, PositionMessage{kind, value}, [this](bool on) { busy.push_back(on); });
  }
  int64_t TopOffset() const { return (*table)[table->Acur].offset; }
  int32_t rows = 10;
  int32_t pad = 0;         // PadPageLength
  std::vector<bool> busy;  // what the window was told around rebuilds
  std::string Top() const {
    return std::string(table->TextOf(table->Acur), static_cast<size_t>((*table)[table->Acur].length));
  }
};

TEST_F(PositioningTest, LineDownOnTheLastScreenDoesNotRebuild) {
  Open(Numbered(30), 64);
  Send(PositionKind::kReload, 0);
  Send(PositionKind::kGotoOffset, memory.bytes.find("line 29"));
  EXPECT_EQ(Top(), "line 29");
  const int opens = memory.opens;
  const PositionOutcome down = Send(PositionKind::kScrollLines, 1);
  EXPECT_FALSE(down.rebuilt);
  EXPECT_EQ(Top(), "line 29") << "the top line stops at the last line";
  EXPECT_EQ(memory.opens, opens + 1) << "only to see whether the file grew";
}

TEST_F(PositioningTest, LineUpAtTheTopDoesNothing) {
  Open(Numbered(300), 64);
  Send(PositionKind::kReload, 0);
  const PositionOutcome up = Send(PositionKind::kScrollLines, -1);
  EXPECT_FALSE(up.rebuilt);
  EXPECT_EQ(Top(), "line 0");
}

TEST_F(PositioningTest, ScrollingPastTheTableContinuesSeamlessly) {
  Open(Numbered(1000), 64);
  Send(PositionKind::kReload, 0);
  int rebuilds = 0;
  for (int expected = 1; expected < 400; ++expected) {
    const PositionOutcome step = Send(PositionKind::kScrollLines, 1);
    rebuilds += step.rebuilt;
    ASSERT_EQ(Top(), "line " + std::to_string(expected));
    if (!step.rebuilt) {
      ASSERT_EQ(step.repaint, Repaint::kScrollUp);
    }
  }
  EXPECT_GT(rebuilds, 5);
  EXPECT_LT(rebuilds, 40) << "a rebuild leaves room for many more lines";
  for (int expected = 398; expected > 100; --expected) {
    Send(PositionKind::kScrollLines, -1);
    ASSERT_EQ(Top(), "line " + std::to_string(expected));
  }
}

TEST_F(PositioningTest, GoToAnOffsetInsideTheTableMovesWithoutARebuild) {
  Open(Numbered(300), 64);
  Send(PositionKind::kReload, 0);
  const int64_t offset = memory.bytes.find("line 20") + 2;
  busy.clear();
  const PositionOutcome go = Send(PositionKind::kGotoOffset, offset);
  EXPECT_FALSE(go.rebuilt);
  EXPECT_EQ(Top(), "line 20");
  EXPECT_EQ(go.repaint, Repaint::kFull);
  EXPECT_TRUE(busy.empty()) << "no wait cursor for a move";
  const PositionOutcome again = Send(PositionKind::kGotoOffsetReload, offset);
  EXPECT_TRUE(again.rebuilt);
  EXPECT_EQ(Top(), "line 20");
  EXPECT_EQ(busy, (std::vector<bool>{true, false})) << "the wait cursor around the rebuild";
}

TEST_F(PositioningTest, AFailingRebuildShowsTheReportAndHomeRestores) {
  Open(Numbered(300), 64);
  Send(PositionKind::kReload, 0);
  memory.fail = true;
  const PositionOutcome failed = Send(PositionKind::kGotoOffsetReload, 2000);
  EXPECT_TRUE(failed.errorReport);
  EXPECT_EQ(table->Alast, 10) << "ten report lines";
  EXPECT_EQ((*table)[0].flags, static_cast<uint32_t>(kMessageLine));
  memory.fail = false;
  const PositionOutcome home = Send(PositionKind::kGotoOffset, 0);
  EXPECT_TRUE(home.rebuilt);
  EXPECT_FALSE(home.errorReport);
  EXPECT_EQ(Top(), "line 0");
}

// The report's lines stand at offset 1 and its end at the file's length, so
// a target in between looked like a line of it and the view stayed there.
TEST_F(PositioningTest, AnyOffsetLeavesTheReportLikeTheTop) {
  Open(Numbered(300), 64);
  const int64_t line150 = memory.bytes.find("line 150");
  const int64_t end = static_cast<int64_t>(memory.bytes.size());
  const std::pair<int64_t, const char*> targets[] = {
      {line150, "line 150"}, {line150 + 3, "line 150"}, {1, "line 0"}, {end, "line 299"}};
  for (const auto& [offset, top] : targets) {
    SCOPED_TRACE(offset);
    Send(PositionKind::kReload, 0);
    memory.fail = true;
    ASSERT_TRUE(Send(PositionKind::kGotoOffsetReload, 2000).errorReport);
    memory.fail = false;
    const PositionOutcome go = Send(PositionKind::kGotoOffset, offset);
    EXPECT_TRUE(go.rebuilt);
    EXPECT_FALSE(HoldsProgramError(*table));
    EXPECT_EQ(Top(), top);
  }
}

TEST_F(PositioningTest, WithoutAFileNothingHappens) {
  Open(Numbered(10), 64);
  file.path.clear();
  EXPECT_EQ(Send(PositionKind::kReload, 0).repaint, Repaint::kNone);
  EXPECT_EQ(memory.opens, 0);
}

}  // namespace
}  // namespace zorvo

namespace zorvo {
namespace {

TEST_F(PositioningTest, MovesLargerThanTheTableGoOnInANewOne) {
  Open(Numbered(3000), 64);
  Send(PositionKind::kReload, 0);
  Send(PositionKind::kScrollLines, 1000);
  EXPECT_EQ(Top(), "line 1000");
  Send(PositionKind::kScrollLines, -700);
  EXPECT_EQ(Top(), "line 300");
  Send(PositionKind::kScrollLines, 1500);
  EXPECT_EQ(Top(), "line 1800");
  Send(PositionKind::kScrollLines, 2000);
  EXPECT_EQ(Top(), "line 2999") << "stops at the last line";
  Send(PositionKind::kScrollLines, -1500);
  EXPECT_EQ(Top(), "line 1499");
  Send(PositionKind::kScrollLines, 100000);
  EXPECT_GT(table->Alast, table->Afirst);
  EXPECT_FALSE(Top().empty() || Top()[0] == '*') << "never the error report";
  Send(PositionKind::kScrollLines, -100000);
  EXPECT_FALSE(Top().empty() || Top()[0] == '*');
}

}  // namespace
}  // namespace zorvo

// ------------------------------------------------- long lines and blocks ----

namespace zorvo {
namespace {

// Display line k of a wrapped line shows one letter, so a wrong boundary
// shows at once.
std::string LetteredLine(int64_t length, int32_t lineLength) {
  std::string line(static_cast<size_t>(length), ' ');
  for (int64_t i = 0; i < length; ++i) line[i] = static_cast<char>('a' + (i / lineLength) % 26);
  return line;
}

TEST_F(PositioningTest, ALongWrappedLineDoesNotTrapTheView) {
  for (uint32_t piece : {kRebuildPiece, 4096u}) {
    SCOPED_TRACE(piece);
    Open(LetteredLine(1'000'000, 80) + "\nlast\n", kScreenLines, kScreenText);
    context.piece = piece;
    request.params.options = kOptWrap;
    request.params.lineLength = 80;
    Send(PositionKind::kReload, 0);
    // Deep into the line, beyond what a table assembled from its start holds.
    Send(PositionKind::kGotoOffset, 500'017);
    ASSERT_EQ(TopOffset(), 500'000);
    EXPECT_EQ(Top(), std::string(80, static_cast<char>('a' + (500'000 / 80) % 26)));
    for (int64_t k = 1; k <= 2500; ++k) {  // on past the end of the table
      Send(PositionKind::kScrollLines, 1);
      ASSERT_EQ(TopOffset(), 500'000 + 80 * k);
    }
    for (int64_t k = 2499; k >= -2500; --k) {  // and back above where it began
      Send(PositionKind::kScrollLines, -1);
      ASSERT_EQ(TopOffset(), 500'000 + 80 * k);
    }
    Send(PositionKind::kGotoOffset, 999'990);
    EXPECT_EQ(TopOffset(), 999'920);
    Send(PositionKind::kScrollLines, 2);
    EXPECT_EQ(Top(), "last");
  }
}

TEST_F(PositioningTest, ScrollingUpReadsEveryControlByteAsOne) {
  // Spacing lines take offsets inside their text line; a rebuild anchored on
  // one must begin at the line's control byte, not on a letter of its text.
  std::string file;
  for (int i = 0; i < 500; ++i) file += (i % 2 ? "0Line" : " Line") + std::to_string(i) + "\n";
  for (uint32_t piece : {kRebuildPiece, 256u}) {
    SCOPED_TRACE(piece);
    Open(file, 64);
    context.piece = piece;
    request.params.options = kOptCarriageControl | kOptCcAsa;
    request.params.skipCounts = &AsaSkipCounts();
    const std::vector<Line> whole = Reference(file, kFormatText, request.params);
    Send(PositionKind::kGotoOffset, file.find("Line300"));
    for (int step = 0; step < 300; ++step) {
      ASSERT_FALSE(Send(PositionKind::kScrollLines, -1).errorReport);
      ASSERT_TRUE(IsSliceOf(whole, *table)) << "step " << step;
    }
    EXPECT_EQ(Top(), "Line100") << "two display lines for every other input line";
  }
}

// Random files and moves, read in small blocks so that lines cross block
// edges all the time: the table always holds lines a whole-file assembly
// makes, and without carriage control the top line is where the move said.
// With `variety` also Hex Dump and Raw Text, other character codes, long
// runs of blank CR LF lines and a reach not much longer than the longest
// line.
void ExpectSlicesWhileScrolling(PositioningTest& t, uint32_t seed, int rounds, bool variety) {
  std::mt19937 rng(seed);
  const std::string alphabet =
      "abcd efg\t\r\n\n\f"
      "01-+";
  for (int round = 0; round < rounds; ++round) {
    std::string bytes;
    while (bytes.size() < 4000) {
      // Mostly short pieces, now and then a line several blocks long.
      const size_t run = rng() % 10 == 0 ? 300 + rng() % 900 : rng() % 12;
      for (size_t k = 0; k < run; ++k) {
        bytes += run > 100 ? static_cast<char>('h' + k % 7) : alphabet[rng() % alphabet.size()];
      }
      if (variety && rng() % 40 == 0) {
        for (size_t n = 40 + rng() % 100; n > 0; --n) bytes += "\r\n";
      }
    }
    t.Open(bytes, 8 + static_cast<int32_t>(rng() % 40), 1 << 16);
    RebuildRequest& request = t.request;
    t.context.piece = 64 + static_cast<uint32_t>(rng() % 200);
    request = RebuildRequest{};
    request.params.lineLength = 4 + static_cast<int32_t>(rng() % 12);
    request.params.tabLength = 1 + static_cast<int32_t>(rng() % 8);
    for (uint32_t bit :
         {kOptWrap, kOptExpandTabs, kOptFormFeedPage, kOptPageGaps, kOptCarriageControl}) {
      if (rng() % 2) request.params.options |= bit;
    }
    if (request.params.options & kOptCarriageControl) {
      request.params.options |= kOptCcAsa;
      request.params.skipCounts = &AsaSkipCounts();
    }
    t.rows = 1 + static_cast<int32_t>(rng() % 5);
    if (variety) {
      request.format = rng() % 5 < 3 ? kFormatText : rng() % 2 ? kFormatHex : kFormatRaw;
      if (request.format == kFormatHex) {
        // A hex line needs 24 columns; lines take at most a quarter of a block.
        request.params.lineLength = 24 + static_cast<int32_t>(rng() % 40);
        t.context.piece = std::max<uint32_t>(t.context.piece, 4 * request.params.lineLength);
      }
      if (rng() % 3 == 0) request.params.options |= rng() % 2 ? kOptEbcdic : kOptAscii;
      t.context.reach = LongestLine(bytes) + 64 + rng() % 1024;
    }
    const std::vector<Line> whole = Reference(bytes, request.format, request.params);
    const bool exact = request.format != kFormatText ||
                       !(request.params.options & (kOptCarriageControl | kOptPageGaps));
    // Hex and raw lines align on a target: aim at the start of a line.
    const int64_t per = request.format == kFormatText ? 1 : whole.size() > 1 ? whole[1].offset : 1;
    t.Send(PositionKind::kReload, 0);
    size_t top = 0;  // index of the top line in `whole`
    for (int move = 0; move < 40; ++move) {
      const int kind = static_cast<int>(rng() % 4);
      if (kind == 0) {
        int64_t target = static_cast<int64_t>(rng() % (bytes.size() + 1));
        target -= target % per;
        ASSERT_FALSE(t.Send(PositionKind::kGotoOffset, target).errorReport);
        top = whole.size() - 2;
        while (top > 0 && whole[top].offset > target) --top;
      } else {
        const int32_t delta = static_cast<int32_t>(rng() % 60) - 30;
        ASSERT_FALSE(t.Send(PositionKind::kScrollLines, delta).errorReport);
        top = static_cast<size_t>(std::clamp<int64_t>(static_cast<int64_t>(top) + delta, 0,
                                                      static_cast<int64_t>(whole.size()) - 2));
      }
      ASSERT_TRUE(IsSliceOf(whole, *t.table))
          << "round " << round << " move " << move << " format " << request.format << " options 0x"
          << std::hex << request.params.options;
      if (exact && whole.size() > 1) {
        ASSERT_EQ(t.TopOffset(), whole[top].offset) << "round " << round << " move " << move;
      }
    }
  }
}

TEST_F(PositioningTest, TablesStaySlicesWhileScrollingInSmallBlocks) {
  ExpectSlicesWhileScrolling(*this, 777, 150, false);
}

TEST_F(PositioningTest, TablesStaySlicesWhileScrollingAnyFormatInSmallBlocks) {
  ExpectSlicesWhileScrolling(*this, 778, 300, true);
}

// A file larger than three blocks, with lines of every length and a few
// longer than a block: rebuilds around each block edge give the lines of
// the whole file.
TEST_F(RebuildTest, RebuildsAcrossBlockEdgesAtTheRealBlockSize) {
  std::mt19937 rng(99);
  std::string bytes;
  int64_t longLine = -1;  // a line longer than a block, across the second edge
  while (bytes.size() < 3 * kRebuildPiece + kRebuildPiece / 2) {
    if (longLine < 0 && bytes.size() > 2 * kRebuildPiece - 100'000) {
      longLine = static_cast<int64_t>(bytes.size());
      bytes += std::string(kRebuildPiece + 12'345, 'L') + "\r\n";
    } else {
      bytes += std::string(rng() % 200, 'x') + (rng() % 3 ? "\n" : "\r\n");
    }
  }
  Open(bytes, kScreenLines, kScreenText);
  for (bool wrap : {false, true}) {
    request = RebuildRequest{};
    request.params.options = kOptExpandTabs | (wrap ? kOptWrap : 0u);
    request.params.lineLength = wrap ? 100 : 4096;
    LineTable whole(1 << 20, static_cast<int32_t>(bytes.size() / 2 + (1 << 24)));
    Block block{reinterpret_cast<const unsigned char*>(bytes.data()),
                static_cast<int64_t>(bytes.size()), 0};
    LineCursor lines{whole.entries(), whole.Acnt, 0};
    TextCursor text{whole.chars(), whole.Tlen, 0};
    FormatText(block, lines, text, 0, Direction::kForward, request.params);
    const std::vector<Line> reference = LinesOf(whole, 0, lines.index + 1);
    for (int64_t edge : {int64_t{kRebuildPiece}, 2 * int64_t{kRebuildPiece}, file.Flen,
                         longLine + kRebuildPiece / 2}) {
      for (int64_t delta : {-70'000, -1, 0, 1, 70'000}) {
        const int64_t target = std::clamp<int64_t>(edge + delta, 0, file.Flen);
        ASSERT_EQ(RebuildAt(target, 50) & kStatusFailed, 0u);
        ASSERT_TRUE(IsSliceOf(reference, *table)) << "wrap " << wrap << " target " << target;
        EXPECT_GT(table->Alast - table->Afirst, 1000) << "both passes filled the table";
      }
    }
  }
}

// ---------------------------------------------------- padding and ends ----

TEST_F(PositioningTest, PagePaddingOfAnEmptyOrBlankFileStaysInTheFile) {
  pad = 66;
  for (const char* bytes : {"", "\n\n\n", "\f"}) {
    SCOPED_TRACE(testing::PrintToString(std::string(bytes)));
    Open(bytes, 64);
    request.params.options = kOptFormFeedPage;
    for (auto [kind, value] : {std::pair{PositionKind::kReload, int64_t{0}},
                               {PositionKind::kReload, int64_t{1}},
                               {PositionKind::kScrollLines, int64_t{-1}},
                               {PositionKind::kScrollLines, int64_t{1}},
                               {PositionKind::kScrollLines, int64_t{-10}},
                               {PositionKind::kGotoOffset, int64_t{0}},
                               {PositionKind::kGotoOffset, file.Flen},
                               {PositionKind::kReload, int64_t{1}}}) {
      ASSERT_FALSE(Send(kind, value).errorReport);
      for (int32_t i = table->Afirst; i <= table->Alast; ++i) {
        ASSERT_GE((*table)[i].offset, 0) << i;
        ASSERT_LE((*table)[i].offset, file.Flen) << i;
      }
    }
  }
}

TEST(PagePadding, NeverMakesMoreLinesThanTheTableHolds) {
  std::string text;
  for (int i = 0; i < 50; ++i) text += "\fpage\nline\n";
  for (int32_t length : {20'000'000, 2'000'000'000}) {
    LineTable table(64, 4096);
    Block block{reinterpret_cast<const unsigned char*>(text.data()),
                static_cast<int64_t>(text.size()), 0};
    LineCursor lines{table.entries(), table.Acnt, 0};
    TextCursor chars{table.chars(), table.Tlen, 0};
    FormatParams params;
    params.options = kOptFormFeedPage;
    FormatText(block, lines, chars, 0, Direction::kForward, params);
    table.Alast = lines.index;
    table.Acur = 20;
    const LineEntry current = table[20];
    PadPages(table, length, static_cast<int64_t>(text.size()));
    EXPECT_EQ(table[20].offset, current.offset) << "the current line keeps its index";
    EXPECT_EQ(table[20].pageLine, 1) << "it begins a page";
    EXPECT_EQ(table[19].pageLine, length) << "the page before ends padded to its length";
    EXPECT_EQ(table[21].pageLine, 2);
    EXPECT_EQ(table[22].pageLine, 3) << "the padding of its own page follows";
    EXPECT_EQ(table[62].pageLine, 43);
    EXPECT_EQ(table.Afirst, 0);
    EXPECT_EQ(table.Alast, 63) << "the table ends in its last slot";
  }
}

// ------------------------------------------------ files that change ----

TEST_F(PositioningTest, AGrowingFileShowsItsNewLines) {
  Open(Numbered(100), 256);  // the table holds the whole file
  Send(PositionKind::kReload, 0);
  // The new user's way: another program appends, then Ctrl+End (at the end
  // the window knew), Page Down, Ctrl+Home, Ctrl+End.
  memory.bytes += "line 100\n";
  for (int i = 101; i < 200; ++i) memory.bytes += "line " + std::to_string(i) + "\n";
  Send(PositionKind::kGotoOffset, file.Flen);
  EXPECT_EQ(Top(), "line 199");
  Send(PositionKind::kScrollLines, 10);
  EXPECT_EQ(Top(), "line 199");
  Send(PositionKind::kGotoOffset, 0);
  EXPECT_EQ(Top(), "line 0");
  memory.bytes += "line 200\n";
  Send(PositionKind::kGotoOffset, file.Flen);
  EXPECT_EQ(Top(), "line 200");
  // At the last line, a line down shows what was appended since.
  memory.bytes += "line 201\n";
  Send(PositionKind::kScrollLines, 1);
  EXPECT_EQ(Top(), "line 201");
  EXPECT_TRUE(notifier.shown.empty());
}

TEST_F(PositioningTest, AFileCutToZeroOrReplacedShowsWhatItHoldsNow) {
  Open(Numbered(300), 64);
  Send(PositionKind::kReload, 0);
  Send(PositionKind::kGotoOffset, memory.bytes.find("line 250"));
  memory.bytes.clear();  // rotated away
  // Ctrl+End (at the end the window knew), a reload, a line down.
  for (auto [kind, value] : {std::pair{PositionKind::kGotoOffset, file.Flen},
                             {PositionKind::kReload, int64_t{1}},
                             {PositionKind::kScrollLines, int64_t{1}}}) {
    const PositionOutcome cut = Send(kind, value);
    EXPECT_FALSE(cut.errorReport);
    EXPECT_EQ(table->Alast, table->Afirst) << "no lines";
    EXPECT_EQ((*table)[table->Alast].offset, 0);
  }
  memory.bytes = "fresh 0\nfresh 1\n";
  Send(PositionKind::kGotoOffset, file.Flen);
  EXPECT_EQ(Top(), "fresh 1");
  Send(PositionKind::kGotoOffset, 0);
  EXPECT_EQ(Top(), "fresh 0");
  // Replaced by a shorter file, below what the table holds: Ctrl+End, a
  // line down, a line up show its own lines only.
  memory.bytes = "again\nmore\n";
  for (auto [kind, value, top] : {std::tuple{PositionKind::kGotoOffset, file.Flen, "more"},
                                  {PositionKind::kScrollLines, int64_t{1}, "more"},
                                  {PositionKind::kScrollLines, int64_t{-1}, "again"}}) {
    ASSERT_FALSE(Send(kind, value).errorReport);
    EXPECT_EQ(Top(), top);
    EXPECT_EQ(Shown().size(), 2u) << "no line of the old content";
  }
  EXPECT_TRUE(notifier.shown.empty());
}

TEST_F(PositioningTest, AFileDeletedWhileViewedSaysSoOnceAndAnotherOpens) {
  Open(Numbered(300), 64);
  Send(PositionKind::kReload, 0);
  Send(PositionKind::kGotoOffset, memory.bytes.find("line 280"));
  memory.fail = true;
  const PositionOutcome gone = Send(PositionKind::kGotoOffset, file.Flen);
  EXPECT_TRUE(gone.errorReport);
  ASSERT_EQ(notifier.shown.size(), 1u) << "one message for one move";
  EXPECT_NE(notifier.shown[0].text.find(L"Cannot open"), std::wstring::npos);
  // Another file opened in its place.
  memory.fail = false;
  memory.bytes = "other\n";
  file.path = L"other";
  EXPECT_FALSE(Send(PositionKind::kReload, 0).errorReport);
  EXPECT_EQ(Top(), "other");
}

}  // namespace
}  // namespace zorvo

// ------------------------------------------ blocks, reach and line widths ----

namespace zorvo {
namespace {

// The block a rebuild reads into, with guard bytes behind it that no read
// may touch.
constexpr size_t kGuard = 64;
void GuardBlock(RebuildContext& context, uint32_t piece) {
  context.piece = piece;
  context.block.reset(new unsigned char[piece + kGuard]);
  context.blockSize = piece;
  std::memset(context.block.get() + piece, 0xA5, kGuard);
}
bool GuardIntact(const RebuildContext& context) {
  const unsigned char* guard = context.block.get() + context.blockSize;
  return std::all_of(guard, guard + kGuard, [](unsigned char b) { return b == 0xA5; });
}

TEST_F(RebuildTest, ALongLineAfterAControlByteAndAFormFeedIsReadWithinTheBlock) {
  // The first display line of the long line also holds its control byte and
  // its form feed, two bytes more than the line length.
  for (auto [piece, lineLength] : {std::pair{64u, 16}, {kRebuildPiece, 4096}}) {
    SCOPED_TRACE(piece);
    const std::string bytes = "x\n1\f" + std::string(piece - 2, 'A') + "\nafter\n";
    Open(bytes, kScreenLines, kScreenText);
    GuardBlock(context, piece);
    request.params.options = kOptCarriageControl | kOptCcAsa | kOptFormFeedPage | kOptWrap;
    request.params.skipCounts = &AsaSkipCounts();
    request.params.lineLength = lineLength;
    ASSERT_EQ(RebuildAt(file.Flen) & kStatusFailed, 0u);
    EXPECT_TRUE(GuardIntact(context));
    EXPECT_EQ((*table)[table->Alast].offset, file.Flen);
    // The lines above the last one, up to the first, which the full text
    // buffer may cut short, are those of the whole file.
    const std::vector<Line> shown = Shown();
    const std::vector<Line> whole = Reference(bytes, kFormatText, request.params);
    ASSERT_GT(shown.size(), 2u);
    ASSERT_LT(shown.size(), whole.size());
    EXPECT_TRUE(std::equal(shown.begin() + 1, shown.end(), whole.end() - shown.size()));
    EXPECT_EQ(shown.back().text, "fter") << "its first byte is its control byte";
  }
}

TEST_F(RebuildTest, TheWidestLineLengthShowsALineAndMovesOnPastIt) {
  const std::string bytes = std::string(kScreenText + 100'000, 'a') + "\nsecond\n";
  for (auto [format, next] : {std::pair{kFormatText, int64_t{kScreenText} + 100'001},
                              {kFormatRaw, int64_t{kScreenText}}}) {
    SCOPED_TRACE(format);
    Open(bytes, kScreenLines, kScreenText);
    request.format = format;
    request.params.lineLength = kScreenText;
    RebuildAt(0);
    ASSERT_GT(table->Alast, table->Afirst);
    EXPECT_EQ((*table)[table->Afirst].length, kScreenText);
    EXPECT_EQ((*table)[table->Alast].offset, next);
    RebuildAt(next);
    EXPECT_EQ((*table)[table->Acur].offset, next);
  }
}

TEST_F(RebuildTest, FarIntoAWrappedLineTheLinesAboveAreWholeAndComplete) {
  // The line began further back than a rebuild looks: it is shown from the
  // target, and the lines above it end there, none of them incomplete.
  std::string tabbed = LetteredLine(3000, 15);
  for (size_t i = 0; i < tabbed.size(); i += 7) tabbed[i] = '\t';
  for (const auto& [line, options] : {std::pair{LetteredLine(3000, 15), uint32_t{kOptWrap}},
                                      {tabbed, kOptWrap | kOptExpandTabs}}) {
    const std::string bytes = "head\n" + line + "\nend\n";
    for (int64_t target : {1005, 1013, 2000, 2999}) {
      SCOPED_TRACE(testing::Message() << "options " << options << " target " << target);
      Open(bytes, 64);
      context.piece = 64;
      context.reach = 512;
      request.params.options = options;
      request.params.lineLength = 15;
      ASSERT_EQ(RebuildAt(target) & kStatusFailed, 0u);
      ASSERT_EQ((*table)[table->Acur].offset, target);
      ASSERT_GT(table->Acur, table->Afirst);
      const std::vector<Line> shown = Shown();
      EXPECT_EQ(std::count_if(shown.begin(), shown.end(), [](const Line& l) { return l.flags; }),
                0);
      if (!(options & kOptExpandTabs)) {
        EXPECT_EQ(shown[table->Acur - table->Afirst - 1],
                  (Line{target - 15, 0, bytes.substr(static_cast<size_t>(target) - 15, 15)}));
      }
    }
  }
}

TEST_F(RebuildTest, ALongRunOfBlankCrLfLinesKeepsItsPairs) {
  // Where the run began decides which byte of a CR LF pair a position is;
  // a run that began further back than a rebuild looks is taken for CR LF.
  for (auto [pair, reach] : {std::pair{"\r\n", 4096}, {"\n\r", 4096}, {"\r\n", 200}}) {
    SCOPED_TRACE(reach);
    std::string bytes = "text";
    for (int i = 0; i < 300; ++i) bytes += pair;
    bytes += "end\n";
    Open(bytes, 16);
    context.piece = 64;
    context.reach = reach;
    const std::vector<Line> whole = Reference(bytes, kFormatText, request.params);
    for (int64_t target = 0; target < 605; target += 7) {
      ASSERT_EQ(RebuildAt(target) & kStatusFailed, 0u);
      ASSERT_TRUE(IsSliceOf(whole, *table)) << "target " << target;
      ASSERT_EQ((*table)[table->Acur].offset, target < 6 ? 0 : target - target % 2) << target;
    }
  }
}

TEST_F(RebuildTest, HexAndRawLinesAreWholeAcrossBlockEdges) {
  std::string bytes;
  for (int i = 0; i < 1000; ++i) bytes += static_cast<char>('a' + i % 26);
  for (auto [format, lineLength] : {std::pair{kFormatRaw, 10}, {kFormatHex, 40}}) {
    SCOPED_TRACE(format);
    Open(bytes, 64);
    context.piece = 64 + 4 * lineLength;
    request.format = format;
    request.params.lineLength = lineLength;
    for (int64_t target : {int64_t{0}, int64_t{480}, file.Flen}) {
      ASSERT_EQ(RebuildAt(target) & kStatusFailed, 0u);
      EXPECT_TRUE(IsSliceOf(Reference(bytes, format, request.params), *table)) << target;
      EXPECT_GT(table->Alast - table->Afirst, 40) << "both passes read on over block edges";
    }
  }
}

TEST_F(PositioningTest, ScrollingUpFromTheLastHexOrRawLineKeepsTheirAlignment) {
  // A table too short for the window: the scroll anchors on its end.
  const std::string bytes(1005, 'z');
  for (auto [format, lineLength, per] : {std::tuple{kFormatRaw, 10, 10}, {kFormatHex, 40, 8}}) {
    SCOPED_TRACE(format);
    Open(bytes, 8);
    request.format = format;
    request.params.lineLength = lineLength;
    const int64_t last = (file.Flen - 1) / per * per;
    Send(PositionKind::kGotoOffset, last);
    ASSERT_EQ(TopOffset(), last);
    Send(PositionKind::kScrollLines, -2);
    EXPECT_EQ(TopOffset(), last - 2 * per);
    EXPECT_TRUE(IsSliceOf(Reference(bytes, format, request.params), *table));
  }
}

TEST_F(PositioningTest, ScrollingThroughLinesLongerThanALookBack) {
  // Lines so long that a few fill what a pass reads: every move down and up
  // still goes as far as it says, also past a truncated line the table
  // ended in.
  std::string bytes;
  for (int i = 0; i < 60; ++i) {
    bytes += std::to_string(i) + std::string(i % 3 ? 5 : 300, 'x') + "\n";
  }
  Open(bytes, 64);
  context.piece = 64;
  context.reach = 400;
  request.params.lineLength = 10;
  const std::vector<Line> whole = Reference(bytes, kFormatText, request.params);
  const int64_t last = static_cast<int64_t>(whole.size()) - 2;
  for (int32_t step : {1, 4}) {
    SCOPED_TRACE(step);
    rows = 5;
    Send(PositionKind::kReload, 0);
    for (int64_t k = step; k <= last; k += step) {
      Send(PositionKind::kScrollLines, step);
      ASSERT_EQ(TopOffset(), whole[k].offset) << "down to " << k;
    }
    Send(PositionKind::kGotoOffset, file.Flen);
    for (int64_t k = last - step; k >= 0; k -= step) {
      Send(PositionKind::kScrollLines, -step);
      ASSERT_EQ(TopOffset(), whole[k].offset) << "up to " << k;
    }
  }
}

}  // namespace
}  // namespace zorvo
