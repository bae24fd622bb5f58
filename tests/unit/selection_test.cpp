#include "viewer/frame/selection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <random>
#include <utility>
#include <vector>

namespace zorvo {
namespace {

// A table whose lines start at `offsets`; the last one is the end entry.
// The other slots hold stale offsets, as they do after a rebuild.
struct Table {
  LineTable table{64, 16};
  Table(std::initializer_list<int64_t> offsets, int32_t first = 0) {
    for (int32_t k = 0; k < table.Acnt; ++k) table[k].offset = 5000 + k;
    int32_t i = first;
    for (int64_t offset : offsets) table[i++].offset = offset;
    table.Afirst = table.Acur = first;
    table.Alast = i - 1;
    table[table.Alast].length = -1;
  }
};

Selection Range(int64_t start, int64_t end) {
  Selection s;
  s.start = start;
  s.end = end;
  return s;
}

// --- Pointer rows ---

TEST(SelectionPointer, RowsCountFromBelowTheTitles) {
  EXPECT_EQ(RowUnderPointer(0, 16, 2), 0);    // inside the titles
  EXPECT_EQ(RowUnderPointer(31, 16, 2), 0);
  EXPECT_EQ(RowUnderPointer(32, 16, 2), 0);   // the first text row
  EXPECT_EQ(RowUnderPointer(47, 16, 2), 0);
  EXPECT_EQ(RowUnderPointer(48, 16, 2), 1);
  EXPECT_EQ(RowUnderPointer(160, 16, 0), 10);
  EXPECT_EQ(RowUnderPointer(-40, 16, 0), 0);  // above the window while captured
  EXPECT_EQ(RowUnderPointer(100, 0, 0), 0);
}

// --- Starting and extending ---

TEST(SelectionDrag, StartSelectsTheLineAndAnchorsIt) {
  Table t({0, 10, 25, 40, 41});
  Selection s;
  ASSERT_TRUE(SelectStart(s, t.table, 1));
  EXPECT_EQ(s.start, 10);
  EXPECT_EQ(s.end, 25);
  EXPECT_EQ(s.anchorStart, 10);
  EXPECT_EQ(s.anchorEnd, 25);
}

TEST(SelectionDrag, StartBelowTheLastLineChangesNothing) {
  Table t({0, 10, 25});
  Selection s = Range(3, 7);
  EXPECT_FALSE(SelectStart(s, t.table, 2));  // the end entry
  EXPECT_FALSE(SelectStart(s, t.table, 9));
  EXPECT_EQ(s.start, 3);
  EXPECT_EQ(s.end, 7);
}

TEST(SelectionDrag, DraggingDownRunsFromTheAnchorToThePointersLineEnd) {
  Table t({0, 10, 25, 40, 41, 60});
  Selection s;
  ASSERT_TRUE(SelectStart(s, t.table, 1));
  ASSERT_TRUE(SelectExtend(s, t.table, 3));
  EXPECT_EQ(s.start, 10);
  EXPECT_EQ(s.end, 41);
  EXPECT_EQ(s.anchorStart, 10);  // the anchor stays
  EXPECT_EQ(s.anchorEnd, 25);
}

TEST(SelectionDrag, DraggingUpRunsFromThePointersLineToTheAnchorsEnd) {
  Table t({0, 10, 25, 40, 41, 60});
  Selection s;
  ASSERT_TRUE(SelectStart(s, t.table, 3));
  ASSERT_TRUE(SelectExtend(s, t.table, 1));
  EXPECT_EQ(s.start, 10);
  EXPECT_EQ(s.end, 41);
  // Back down past the anchor: the upper part goes again.
  ASSERT_TRUE(SelectExtend(s, t.table, 4));
  EXPECT_EQ(s.start, 40);
  EXPECT_EQ(s.end, 60);
  // Onto the anchor line itself: that line alone.
  ASSERT_TRUE(SelectExtend(s, t.table, 3));
  EXPECT_EQ(s.start, 40);
  EXPECT_EQ(s.end, 41);
}

TEST(SelectionDrag, AnEmptyLineAboveTheAnchorKeepsTheAnchorLine) {
  // A page gap is a line without bytes at the offset of the line after it.
  Table t({0, 10, 10, 20, 30});
  Selection s;
  ASSERT_TRUE(SelectStart(s, t.table, 2));
  ASSERT_TRUE(SelectExtend(s, t.table, 1));
  EXPECT_EQ(s.start, 10);
  EXPECT_EQ(s.end, 20);
  ASSERT_TRUE(SelectExtend(s, t.table, 0));
  EXPECT_EQ(s.start, 0);
  EXPECT_EQ(s.end, 20);
}

TEST(SelectionDrag, ThePointersLineIsHeldInsideTheVisibleLines) {
  Table t({0, 10, 25, 40, 41, 60});
  t.table.Acur = 2;
  Selection s;
  ASSERT_TRUE(SelectStart(s, t.table, 3));
  ASSERT_TRUE(SelectExtend(s, t.table, 30));  // below the last line
  EXPECT_EQ(s.start, 40);
  EXPECT_EQ(s.end, 60);
  ASSERT_TRUE(SelectExtend(s, t.table, 0));  // above the top line
  EXPECT_EQ(s.start, 25);
  EXPECT_EQ(s.end, 41);
}

TEST(SelectionDrag, ShiftClickExtendsAnExistingSelection) {
  Table t({0, 10, 25, 40, 41, 60});
  Selection s;
  ASSERT_TRUE(SelectStart(s, t.table, 0));
  ASSERT_TRUE(SelectExtend(s, t.table, 4));
  EXPECT_EQ(s.start, 0);
  EXPECT_EQ(s.end, 60);
}

TEST(SelectionDrag, ExtendWithoutAnAnchorOrALineDoesNothing) {
  Table t({0, 10, 25});
  Selection s;  // cleared, say by the right button mid-drag
  EXPECT_FALSE(SelectExtend(s, t.table, 1));
  EXPECT_FALSE(s.Any());

  Table empty({0});
  ASSERT_TRUE(SelectStart(s, t.table, 0));
  EXPECT_FALSE(SelectExtend(s, empty.table, 0));
  EXPECT_EQ(s.end, 10);
}

// The end is exclusive: a last line of one byte is selected too.
TEST(SelectionDrag, SelectAllReachesTheLastByte) {
  Selection all = SelectAllRange(100);
  EXPECT_EQ(all.start, 0);
  EXPECT_EQ(all.end, 100);
  EXPECT_EQ(all.anchorStart, 0);
  EXPECT_EQ(all.anchorEnd, 1);
  EXPECT_TRUE(RowSelected(all, 99, 100));
  all = SelectAllRange(1);
  EXPECT_EQ(all.end, 1);
  EXPECT_EQ(all.anchorEnd, 1);
  EXPECT_TRUE(RowSelected(all, 0, 1));
}

// --- Rows to invert ---

TEST(SelectionInvert, OnlyTheRowsThatChangeState) {
  Table t({0, 10, 20, 30, 40, 50, 60});
  const Selection one = Range(10, 20);
  const Selection three = Range(10, 40);
  EXPECT_EQ(RowsToInvert(one, three, t.table, 0, 10), (std::vector<int32_t>{2, 3}));
  EXPECT_EQ(RowsToInvert(three, one, t.table, 0, 10), (std::vector<int32_t>{2, 3}));
  EXPECT_TRUE(RowsToInvert(three, three, t.table, 0, 10).empty());
  // Across the anchor: the lines below go, the lines above come.
  EXPECT_EQ(RowsToInvert(Range(20, 50), Range(0, 30), t.table, 0, 10),
            (std::vector<int32_t>{0, 1, 3, 4}));
}

TEST(SelectionInvert, ClearingInvertsTheVisibleSelectedRows) {
  Table t({0, 10, 20, 30, 40, 50, 60});
  Selection cleared;
  EXPECT_EQ(RowsToInvert(Range(15, 45), cleared, t.table, 0, 10),
            (std::vector<int32_t>{1, 2, 3, 4}));
  // Partial overlap counts as selected: a byte range inside a line.
  EXPECT_EQ(RowsToInvert(cleared, Range(29, 31), t.table, 0, 10), (std::vector<int32_t>{2, 3}));
}

TEST(SelectionInvert, RowsAreCountedFromTheTopLineAndStopAtTheWindowAndTheTable) {
  Table t({100, 110, 120, 130, 140, 150}, 5);
  Selection all = Range(0, 1000);
  EXPECT_EQ(RowsToInvert(Selection{}, all, t.table, 7, 10), (std::vector<int32_t>{0, 1, 2}));
  EXPECT_EQ(RowsToInvert(Selection{}, all, t.table, 5, 2), (std::vector<int32_t>{0, 1}));
  EXPECT_EQ(RowsToInvert(Selection{}, Range(120, 130), t.table, 6, 10),
            (std::vector<int32_t>{1}));
}

TEST(SelectionInvert, InvertingTheRowsTurnsTheOldPictureIntoTheNew) {
  Table t({0, 7, 19, 20, 33, 50, 51, 64, 80, 99, 120});
  const int32_t rows = 12;  // more rows than lines
  auto picture = [&](const Selection& s) {
    std::vector<bool> on;
    for (int32_t i = t.table.Acur; i < t.table.Alast; ++i) {
      on.push_back(RowSelected(s, t.table[i].offset, t.table[i + 1].offset));
    }
    return on;
  };
  std::mt19937 rng(11);
  auto random = [&] {
    if (rng() % 5 == 0) return Selection{};
    const int64_t a = rng() % 130, b = rng() % 130;
    return Range(std::min(a, b), std::max(a, b));
  };
  Selection before = random();
  for (int step = 0; step < 500; ++step) {
    const Selection after = random();
    std::vector<bool> screen = picture(before);
    for (int32_t row : RowsToInvert(before, after, t.table, t.table.Acur, rows)) {
      ASSERT_LT(row, static_cast<int32_t>(screen.size()));
      screen[row] = !screen[row];
    }
    ASSERT_EQ(screen, picture(after)) << "step " << step;
    before = after;
  }
}

// --- Auto-scroll zones and the drag timer ---

TEST(SelectionAutoScroll, ZonesFromTheTitlesToTheBottomEdge) {
  GlobalSettings g;
  g.FastMouseDelay = 5;
  g.FastMouseLines = 12;
  g.SlowMouseDelay = 40;
  g.SlowMouseLines = 2;
  // Titles end at 32, rows are 16 high, the client area 400 high.
  auto zone = [&](int32_t y) {
    const AutoScroll z = AutoScrollZone(y, 32, 16, 400, g);
    return std::vector<int32_t>{z.timer, z.interval, z.lines};
  };
  EXPECT_EQ(zone(-50), (std::vector<int32_t>{1, 5, -12}));
  EXPECT_EQ(zone(32), (std::vector<int32_t>{1, 5, -12}));
  EXPECT_EQ(zone(33), (std::vector<int32_t>{1, 40, -2}));
  EXPECT_EQ(zone(48), (std::vector<int32_t>{1, 40, -2}));
  EXPECT_EQ(zone(49), (std::vector<int32_t>{0, 0, 0}));
  EXPECT_EQ(zone(383), (std::vector<int32_t>{0, 0, 0}));
  EXPECT_EQ(zone(384), (std::vector<int32_t>{2, 40, 2}));
  EXPECT_EQ(zone(398), (std::vector<int32_t>{2, 40, 2}));
  EXPECT_EQ(zone(399), (std::vector<int32_t>{2, 5, 12}));
  EXPECT_EQ(zone(2000), (std::vector<int32_t>{2, 5, 12}));
}

TEST(SelectionAutoScroll, NegativeDelaysBecomeTheShortestTimer) {
  GlobalSettings g;
  g.FastMouseDelay = -3;
  EXPECT_EQ(AutoScrollZone(0, 0, 16, 400, g).interval, 0);
}

TEST(SelectionAutoScroll, TimerStopsAtTheEndsOfTheFileAndWhenTheDragEnded) {
  Table t({0, 10, 20, 30, 40, 50});  // five lines
  EXPECT_EQ(DragTimerTick(1, false, t.table, 3), DragTick::kStop);
  EXPECT_EQ(DragTimerTick(2, false, t.table, 3), DragTick::kStop);
  // Upward: the top of the file shows.
  EXPECT_EQ(DragTimerTick(1, true, t.table, 3), DragTick::kStop);
  t.table.Acur = 1;
  EXPECT_EQ(DragTimerTick(1, true, t.table, 3), DragTick::kScroll);
  // Downward: Acur 1 shows lines 1..3 of 0..4; the end is not yet in view.
  EXPECT_EQ(DragTimerTick(2, true, t.table, 3), DragTick::kScroll);
  t.table.Acur = 2;  // lines 2..4: the last line fills the last row
  EXPECT_EQ(DragTimerTick(2, true, t.table, 3), DragTick::kScroll);
  t.table.Acur = 3;  // the end entry is on screen
  EXPECT_EQ(DragTimerTick(2, true, t.table, 3), DragTick::kStop);
}

TEST(SelectionAutoScroll, TopOfTheTableIsNotTheTopOfTheFile) {
  Table t({500, 510, 520, 530});
  EXPECT_EQ(DragTimerTick(1, true, t.table, 2), DragTick::kScroll);
}

// --- Wheel ---

TEST(SelectionWheel, ForwardScrollsUpTruncatedTowardZero) {
  EXPECT_EQ(WheelLines(120, 3), -3);
  EXPECT_EQ(WheelLines(-120, 3), 3);
  EXPECT_EQ(WheelLines(240, 3), -6);
  EXPECT_EQ(WheelLines(60, 3), -1);   // -1.5
  EXPECT_EQ(WheelLines(-60, 3), 1);
  EXPECT_EQ(WheelLines(30, 3), 0);
  EXPECT_EQ(WheelLines(-32768, 100000), 27306666);  // no overflow
}

// --- Scroll bars ---

TEST(SelectionScrollBar, VerticalCodes) {
  auto request = [](int code, int32_t thumb = 0) {
    const VerticalRequest r = VerticalScroll(code, thumb, 25, 1'000'000'000'000);
    return std::pair<int, int64_t>(r.kind, r.value);
  };
  using R = VerticalRequest;
  EXPECT_EQ(request(kScrollLineBack), std::make_pair(int{R::kLines}, int64_t{-1}));
  EXPECT_EQ(request(kScrollLineForward), std::make_pair(int{R::kLines}, int64_t{1}));
  EXPECT_EQ(request(kScrollPageBack), std::make_pair(int{R::kLines}, int64_t{-25}));
  EXPECT_EQ(request(kScrollPageForward), std::make_pair(int{R::kLines}, int64_t{25}));
  EXPECT_EQ(request(kScrollFirst), std::make_pair(int{R::kOffset}, int64_t{0}));
  EXPECT_EQ(request(kScrollLast), std::make_pair(int{R::kOffset}, int64_t{1'000'000'000'000}));
  EXPECT_EQ(request(kScrollThumbPosition, kThumbRange),
            std::make_pair(int{R::kOffset}, int64_t{1'000'000'000'000}));
  EXPECT_EQ(request(kScrollThumbPosition, 1),
            std::make_pair(int{R::kOffset}, int64_t{30518509}));  // truncated
  EXPECT_EQ(request(kScrollThumbTrack, 100).first, int{R::kNone});
  EXPECT_EQ(request(kScrollEnd).first, int{R::kNone});
}

TEST(SelectionScrollBar, HorizontalCodesStepWithinTheLayout) {
  ViewState v;
  v.layoutWidth = 200;
  v.clientWidth = 800;
  v.charWidth = 8;
  v.horizontalStep = 4;
  v.horizontalPage = 90;
  v.horizontalOffset = 2;
  EXPECT_EQ(HorizontalScroll(v, kScrollLineBack, 0), 0);  // not below 0
  EXPECT_EQ(HorizontalScroll(v, kScrollLineForward, 0), 6);
  EXPECT_EQ(HorizontalScroll(v, kScrollPageForward, 0), 92);
  v.horizontalOffset = 150;
  EXPECT_EQ(HorizontalScroll(v, kScrollPageForward, 0), 199);  // layoutWidth - 1
  EXPECT_EQ(HorizontalScroll(v, kScrollPageBack, 0), 60);
  EXPECT_EQ(HorizontalScroll(v, kScrollThumbPosition, 37), 37);
  EXPECT_EQ(HorizontalScroll(v, kScrollFirst, 0), 0);
  EXPECT_EQ(HorizontalScroll(v, kScrollLast, 0), 100);  // 200 - 800/8
  EXPECT_EQ(HorizontalScroll(v, kScrollThumbTrack, 37), -1);
  EXPECT_EQ(HorizontalScroll(v, kScrollEnd, 0), -1);
}

TEST(SelectionScrollBar, RightEdgeIsNeverNegative) {
  EXPECT_EQ(RightEdgeOffset(50, 800, 8), 0);
  EXPECT_EQ(RightEdgeOffset(101, 800, 8), 1);
  EXPECT_EQ(RightEdgeOffset(70, 800, 0), 70);
  EXPECT_EQ(StepHorizontal(5, 3, 0), 0);   // an empty layout pins column 0
  EXPECT_EQ(StepHorizontal(5, 3, -1), 0);  // a layout not made yet
  EXPECT_EQ(StepHorizontal(INT32_MAX - 1, INT32_MAX, INT32_MAX), INT32_MAX - 1);
}

// --- Keys ---

TEST(SelectionKeys, CuaHomeAndEndMoveAlongTheLines) {
  EXPECT_EQ(KeyActionFor(kKeyHome, false, true), KeyAction::kLineStart);
  EXPECT_EQ(KeyActionFor(kKeyHome, true, true), KeyAction::kTopOfFile);
  EXPECT_EQ(KeyActionFor(kKeyEnd, false, true), KeyAction::kLineEnd);
  EXPECT_EQ(KeyActionFor(kKeyEnd, true, true), KeyAction::kEndOfFile);
}

TEST(SelectionKeys, WithoutCuaHomeAndEndMoveThroughTheFile) {
  EXPECT_EQ(KeyActionFor(kKeyHome, false, false), KeyAction::kTopOfFile);
  EXPECT_EQ(KeyActionFor(kKeyHome, true, false), KeyAction::kLineStart);
  EXPECT_EQ(KeyActionFor(kKeyEnd, false, false), KeyAction::kEndOfFile);
  EXPECT_EQ(KeyActionFor(kKeyEnd, true, false), KeyAction::kLineEnd);
}

TEST(SelectionKeys, OtherKeysIgnoreTheCuaSetting) {
  for (bool cua : {false, true}) {
    EXPECT_EQ(KeyActionFor(kKeyLeft, false, cua), KeyAction::kColumnLeft);
    EXPECT_EQ(KeyActionFor(kKeyLeft, true, cua), KeyAction::kPageLeft);
    EXPECT_EQ(KeyActionFor(kKeyRight, false, cua), KeyAction::kColumnRight);
    EXPECT_EQ(KeyActionFor(kKeyRight, true, cua), KeyAction::kPageRight);
    for (bool ctrl : {false, true}) {
      EXPECT_EQ(KeyActionFor(kKeyPageUp, ctrl, cua), KeyAction::kPageUp);
      EXPECT_EQ(KeyActionFor(kKeyPageDown, ctrl, cua), KeyAction::kPageDown);
      EXPECT_EQ(KeyActionFor(kKeyUp, ctrl, cua), KeyAction::kLineUp);
      EXPECT_EQ(KeyActionFor(kKeyDown, ctrl, cua), KeyAction::kLineDown);
      EXPECT_EQ(KeyActionFor(kKeyEscape, ctrl, cua), KeyAction::kEscape);
      EXPECT_EQ(KeyActionFor(0x2D, ctrl, cua), KeyAction::kNone);  // Insert
      EXPECT_EQ(KeyActionFor('A', ctrl, cua), KeyAction::kNone);
    }
  }
}

TEST(SelectionKeys, HorizontalKeysStepOneColumnOrAPage) {
  ViewState v;
  v.layoutWidth = 120;
  v.clientWidth = 400;
  v.charWidth = 10;
  v.horizontalStep = 8;  // the scroll bar's step; the arrow keys move one column
  v.horizontalPage = 30;
  v.horizontalOffset = 0;
  EXPECT_EQ(HorizontalKey(v, KeyAction::kColumnLeft), 0);
  EXPECT_EQ(HorizontalKey(v, KeyAction::kColumnRight), 1);
  EXPECT_EQ(HorizontalKey(v, KeyAction::kPageRight), 30);
  v.horizontalOffset = 119;
  EXPECT_EQ(HorizontalKey(v, KeyAction::kColumnRight), 119);
  EXPECT_EQ(HorizontalKey(v, KeyAction::kPageLeft), 89);
  EXPECT_EQ(HorizontalKey(v, KeyAction::kLineStart), 0);
  EXPECT_EQ(HorizontalKey(v, KeyAction::kLineEnd), 80);
  EXPECT_EQ(HorizontalKey(v, KeyAction::kTopOfFile), -1);
  EXPECT_EQ(HorizontalKey(v, KeyAction::kLineDown), -1);
}

}  // namespace
}  // namespace zorvo
