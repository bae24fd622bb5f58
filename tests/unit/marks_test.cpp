// The decisions of the Mark commands over a small table.
#include <gtest/gtest.h>

#include <string>

#include "viewer/frame/marks.h"

namespace zorvo {
namespace {

// A table of `lines` lines of 10 bytes each from `first` on, Afirst..Alast.
class MarksTest : public testing::Test {
 protected:
  void Fill(int lines, int64_t first = 0) {
    table.Afirst = table.Acur = 0;
    table.Tend = 0;
    for (int i = 0; i < lines; ++i) {
      const std::string text = "line " + std::to_string(first / 10 + i);
      std::copy(text.begin(), text.end(), table.chars() + table.Tend);
      table[i] = LineEntry{first + 10 * i, static_cast<uint32_t>(table.Tend),
                           static_cast<int32_t>(text.size()), 0, 0};
      table.Tend += static_cast<int32_t>(text.size());
    }
    table[lines] = LineEntry{first + 10 * lines, 0, -1, 0, 0};
    table.Alast = lines;
  }
  LineTable table{64, 4096};
  TagList tags;
  Selection none;
};

TEST_F(MarksTest, ToggleActsOnTheSelectedLineOrTheTop) {
  Fill(30);
  table.Acur = 5;
  EXPECT_EQ(ToggleLine(table, none, 10), 5);
  Selection selection{83, 93, 83, 93};
  EXPECT_EQ(ToggleLine(table, selection, 10), 8) << "a match inside a line: that line";
  selection.start = 90;
  EXPECT_EQ(ToggleLine(table, selection, 10), 9) << "a selection from a line's start";
  selection.start = selection.end = 400;  // beyond the rows shown
  EXPECT_EQ(ToggleLine(table, selection, 10), 5);
}

TEST_F(MarksTest, ToggleRemovesOnlyTheMarksInsideItsLine) {
  Fill(10);
  AddTag(tags, 21, kSearchMark);
  AddTag(tags, 25, kSearchMark);
  AddTag(tags, 30, kUserMark);
  ApplyTagsToLines(table, tags);
  EXPECT_EQ(table[2].flags & kTagMask, kSearchMark) << "two search marks give one bit";
  EXPECT_EQ(ToggleMark(table, tags, 2), ToggleResult::kRemoved);
  ASSERT_EQ(tags.count, 1u);
  EXPECT_EQ(tags[0].offset, 30) << "the next line keeps its mark";
  EXPECT_EQ(ToggleMark(table, tags, 4), ToggleResult::kAdded);
  EXPECT_EQ(ToggleMark(table, tags, 4), ToggleResult::kRemoved);
  EXPECT_EQ(tags.count, 1u) << "toggled twice: no mark";
  tags.count = tags.capacity;
  EXPECT_EQ(ToggleMark(table, tags, 5), ToggleResult::kFull);
}

TEST_F(MarksTest, ResetRemovesEveryMarkOfTheRange) {
  Fill(10);
  AddTag(tags, 21, kSearchMark);
  AddTag(tags, 25, kSearchMark);
  AddTag(tags, 50, kUserMark);
  table.Acur = 2;
  EXPECT_EQ(ResetMarks(tags, RangeOf(table, none)), 2u);
  EXPECT_EQ(tags.count, 1u);
}

TEST_F(MarksTest, SetTagsTheTableAndSaysWhereToGoOn) {
  Fill(20, 1000);  // offsets 1000 to 1190, end 1200
  // A selection from before the table to after it: back first.
  Selection selection{500, 1500, 500, 510};
  MarkRange range = RangeOf(table, selection);
  EXPECT_FALSE(SetMarksInTable(table, tags, range));
  EXPECT_EQ(tags.count, 21u) << "the end entry starts the next line: tagged too";
  SetContinuation next = ContinueSet(table, selection, range, 5000);
  EXPECT_EQ(next.at, 500);
  EXPECT_EQ(next.remaining.start, 500);
  EXPECT_EQ(next.remaining.end, 1500);
  // Starting inside the table, ending after it: on from the table's end,
  // with the start narrowed to it.
  selection = Selection{1050, 1500, 1050, 1060};
  next = ContinueSet(table, selection, RangeOf(table, selection), 5000);
  EXPECT_EQ(next.at, 1200);
  EXPECT_EQ(next.remaining.start, 1200);
  // Inside: done.
  selection = Selection{1050, 1100, 1050, 1060};
  EXPECT_FALSE(ContinueSet(table, selection, RangeOf(table, selection), 5000).at);
  // A file that shrank below the selection's end while Set went on: the
  // table reaches the end of the file, and Set stops there.
  selection = Selection{1050, 1500, 1050, 1060};
  EXPECT_FALSE(ContinueSet(table, selection, RangeOf(table, selection), 1200).at);
  // A full list stops at the first line left without a mark.
  tags.count = tags.capacity - 3;
  TagList fresh;
  fresh.count = fresh.capacity - 3;
  EXPECT_EQ(SetMarksInTable(table, fresh, MarkRange{1000, 1200}), 3);
}

TEST_F(MarksTest, NextGoesToTheFollowingMark) {
  Fill(30);
  AddTag(tags, 95, kSearchMark);
  AddTag(tags, 200, kUserMark);
  table.Acur = 3;
  EXPECT_EQ(NextMark(table, tags, none), 95);
  table.Acur = 9;
  EXPECT_EQ(NextMark(table, tags, none), 200) << "a mark inside the top line is passed";
  table.Acur = 25;
  EXPECT_FALSE(NextMark(table, tags, none)) << "none after the last";
  table.Acur = 3;
  EXPECT_EQ(NextMark(table, tags, Selection{150, 160, 150, 160}), 200)
      << "from the selection when it lies further on";
}

TEST_F(MarksTest, FreezeTitleKeepsFifteenLines) {
  Fill(30);
  LineTable titles(kTitleSlots, kTitleText + 1);
  titles.Tlen = kTitleText;
  const Selection selection{0, 200, 0, 10};  // 20 lines
  EXPECT_EQ(FreezeTitles(table, selection, titles), 15);
  EXPECT_EQ(titles.Alast, 15);
  EXPECT_EQ(std::string(titles.TextOf(14), titles[14].length), "line 14");
  EXPECT_EQ(titles[15].offset, 141) << "the sentinel follows the last title";
  // Text that no longer fits ends the copy.
  titles.Tlen = 20;
  EXPECT_EQ(FreezeTitles(table, selection, titles), 3);
}

}  // namespace
}  // namespace zorvo
