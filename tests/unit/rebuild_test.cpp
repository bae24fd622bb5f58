// The rebuild of the line table around a position, page padding and the
// positioning protocol, over files kept in memory.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "viewer/file/carriage_control.h"
#include "viewer/file/rebuild.h"
#include "viewer/frame/error_report.h"
#include "viewer/frame/positioning.h"
#include "viewer/frame/tag_list.h"
#include "support/memory_file.h"

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
  LineTable table(1 << 16, 1 << 22);
  Block block{reinterpret_cast<const unsigned char*>(bytes.data()),
              static_cast<int64_t>(bytes.size()), 0};
  LineCursor lines{table.entries(), table.Acnt, 0};
  TextCursor text{table.chars(), table.Tlen, 0};
  FormatterFor(format)(block, lines, text, 0, Direction::kForward, params);
  return LinesOf(table, 0, lines.index + 1);  // with the end entry
}

class RebuildTest : public testing::Test {
 protected:
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
  context.tags = &tags;
  RebuildAt(line40);
  EXPECT_EQ((*table)[table->Acur].flags & kTagMask, 0x3u);
  EXPECT_EQ((*table)[table->Acur + 1].flags & kTagMask, 0u);
}

// For random files, options and targets, the table holds exactly the lines
// that a forward assembly of the whole file makes around the target.
TEST_F(RebuildTest, TablesAreSlicesOfTheWholeFile) {
  std::mt19937 rng(4242);
  static const SkipCounts counts = [] {
    SkipCounts c = PlainSkipCounts();
    c['0'] = 2;
    c['-'] = 3;
    c['1'] = 255;
    c['+'] = 0;
    return c;
  }();
  const std::string alphabet = "abcd efg\t\r\n\n\n\f\x1a" "01-+";
  for (int round = 0; round < 400; ++round) {
    std::string bytes(rng() % 3000, '\0');
    for (char& c : bytes) c = alphabet[rng() % alphabet.size()];
    const int32_t slots = 8 + static_cast<int32_t>(rng() % 60);
    Open(bytes, slots, 1 << 16);
    request = RebuildRequest{};
    request.format = static_cast<int>(rng() % 3);
    request.params.lineLength = 24 + static_cast<int32_t>(rng() % 40);
    request.params.tabLength = 1 + static_cast<int32_t>(rng() % 8);
    for (uint32_t bit : {kOptWrap, kOptExpandTabs, kOptFormFeedPage, kOptPageGaps,
                         kOptCarriageControl}) {
      if (rng() % 2) request.params.options |= bit;
    }
    request.params.skipCounts = &counts;
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
        if (target + per > file.Flen) target = std::max<int64_t>(target - per, 0);
      }
      ASSERT_EQ(RebuildAt(target, 1 + static_cast<int32_t>(rng() % 6)) & kStatusFailed, 0u);
      const std::vector<Line> shown = LinesOf(*table, table->Afirst, table->Alast + 1);
      ASSERT_GE(shown.size(), 1u);
      // Find the slice that starts like the table and compare it whole.
      bool found = false;
      for (size_t at = 0; at + shown.size() <= whole.size() && !found; ++at) {
        if (whole[at] != shown[0]) continue;
        const std::vector<Line> slice(whole.begin() + at, whole.begin() + at + shown.size() - 1);
        const std::vector<Line> held(shown.begin(), shown.end() - 1);
        if (slice != held) continue;
        found = whole[at + shown.size() - 1].offset == shown.back().offset;
      }
      ASSERT_TRUE(found) << "round " << round << " target " << target << " format "
                         << request.format << " options 0x" << std::hex
                         << request.params.options;
      ASSERT_GE(table->Acur, table->Afirst);
      ASSERT_LT(table->Acur, std::max(table->Alast, table->Afirst + 1));
      if (!(request.params.options & (kOptCarriageControl | kOptPageGaps)) && target < file.Flen &&
          table->Alast > table->Afirst) {
        // The top line holds the target.
        ASSERT_LE((*table)[table->Acur].offset, target);
        ASSERT_GT((*table)[table->Acur + 1].offset, target);
      }
    }
  }
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
 protected:
  PositionOutcome Send(PositionKind kind, int64_t value) {
    ViewPosition view{context, *table, kFormatText, request.params, 10, 0, false};
    return Position(view, PositionMessage{kind, value});
  }
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
  EXPECT_EQ(memory.opens, opens);
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
  const PositionOutcome go = Send(PositionKind::kGotoOffset, offset);
  EXPECT_FALSE(go.rebuilt);
  EXPECT_EQ(Top(), "line 20");
  EXPECT_EQ(go.repaint, Repaint::kFull);
  const PositionOutcome again = Send(PositionKind::kGotoOffsetReload, offset);
  EXPECT_TRUE(again.rebuilt);
  EXPECT_EQ(Top(), "line 20");
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
