#include "viewer/frame/tag_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <iterator>
#include <map>
#include <random>
#include <utility>
#include <vector>

namespace zorvo {
namespace {

std::vector<std::pair<int64_t, uint32_t>> Records(const TagList& list) {
  std::vector<std::pair<int64_t, uint32_t>> out;
  for (uint32_t i = 0; i < list.count; ++i) out.emplace_back(list[i].offset, list[i].flags);
  return out;
}

void Fill(TagList& list, std::initializer_list<int64_t> offsets) {
  for (int64_t offset : offsets) AddTag(list, offset, kUserMark);
}

// --- Adding ---

TEST(TagListAdd, RandomOrderGivesSortedUniqueRecordsWithMergedFlags) {
  std::mt19937 rng(7);
  std::vector<int64_t> offsets(3000);
  for (auto& o : offsets) o = static_cast<int64_t>(rng() % 1000) * 1000003;
  TagList list;
  std::map<int64_t, uint32_t> expected;
  for (size_t k = 0; k < offsets.size(); ++k) {
    const uint32_t flags = 1u << (k % 4);
    AddTag(list, offsets[k], flags);
    expected[offsets[k]] |= flags;
  }
  EXPECT_EQ(Records(list), (std::vector<std::pair<int64_t, uint32_t>>(expected.begin(),
                                                                      expected.end())));
}

TEST(TagListAdd, SecondMarkAtTheSameOffsetMergesAndKeepsTheCount) {
  TagList list;
  EXPECT_EQ(AddTag(list, 500, kSearchMark), 0u);
  EXPECT_EQ(AddTag(list, 900, kSearchMark), 1u);
  EXPECT_EQ(AddTag(list, 500, kUserMark), 0u);
  EXPECT_EQ(list.count, 2u);
  EXPECT_EQ(list[0].flags, kSearchMark | kUserMark);
  EXPECT_EQ(list[1].flags, kSearchMark);
}

TEST(TagListAdd, ReturnsTheIndexWhereTheRecordLands) {
  TagList list;
  Fill(list, {10, 30, 50});
  EXPECT_EQ(AddTag(list, 0, kUserMark), 0u);
  EXPECT_EQ(AddTag(list, 40, kUserMark), 3u);
  EXPECT_EQ(AddTag(list, 60, kUserMark), 5u);
  EXPECT_EQ(AddTag(list, 30, kSearchMark), 2u);
  EXPECT_EQ(Records(list), (std::vector<std::pair<int64_t, uint32_t>>{
                               {0, 2}, {10, 2}, {30, 3}, {40, 2}, {50, 2}, {60, 2}}));
}

TEST(TagListAdd, CapacityMarksFitAndAFullListTakesNothing) {
  TagList list;
  for (uint32_t i = 0; i < TagList::kCapacity; ++i)
    ASSERT_EQ(AddTag(list, 2 * static_cast<int64_t>(i) + 2, kSearchMark), i);
  ASSERT_EQ(list.count, list.capacity);
  const TagRecord last = list[list.count - 1];

  // Past the end, in the middle, and on an existing record.
  EXPECT_EQ(AddTag(list, 1'000'000'000, kUserMark), list.capacity);
  EXPECT_EQ(AddTag(list, 1, kUserMark), list.capacity);
  EXPECT_EQ(AddTag(list, 2, kUserMark), list.capacity);
  EXPECT_EQ(list.count, TagList::kCapacity);
  EXPECT_EQ(list[0].offset, 2);
  EXPECT_EQ(list[0].flags, kSearchMark);
  EXPECT_EQ(list[list.count - 1].offset, last.offset);

  // The sentinel still has its slot when the list is full.
  LineTable table(3, 16);
  table[0].offset = 0;
  table[1].offset = 10;
  table[2].offset = 20;
  table.Alast = 2;
  ApplyTagsToLines(table, list);
  EXPECT_EQ(list.entries()[TagList::kCapacity].offset, kTagSentinel);
  EXPECT_EQ(table[0].flags, kSearchMark);
}

// --- Removing ---

class TagListRemove : public testing::Test {
 protected:
  void SetUp() override { Fill(list_, {10, 20, 30, 40, 50}); }
  std::vector<int64_t> Offsets() const {
    std::vector<int64_t> out;
    for (uint32_t i = 0; i < list_.count; ++i) out.push_back(list_[i].offset);
    return out;
  }
  TagList list_;
};

TEST_F(TagListRemove, RangeInsideTakesOnlyItsRecords) {
  EXPECT_EQ(RemoveTagRange(list_, 15, 41), 3u);
  EXPECT_EQ(Offsets(), (std::vector<int64_t>{10, 50}));
}

TEST_F(TagListRemove, BothEndsAreInclusive) {
  EXPECT_EQ(RemoveTagRange(list_, 20, 40), 3u);
  EXPECT_EQ(Offsets(), (std::vector<int64_t>{10, 50}));
  EXPECT_EQ(RemoveTagRange(list_, 10, 50), 2u);
  EXPECT_EQ(list_.count, 0u);
}

TEST_F(TagListRemove, ReversedEndsMeanTheSameRange) {
  EXPECT_EQ(RemoveTagRange(list_, 40, 20), 3u);
  EXPECT_EQ(Offsets(), (std::vector<int64_t>{10, 50}));
}

TEST_F(TagListRemove, LargestOffsetReachesTheEnd) {
  EXPECT_EQ(RemoveTagRange(list_, 30, kTagSentinel), 3u);
  EXPECT_EQ(Offsets(), (std::vector<int64_t>{10, 20}));
}

TEST_F(TagListRemove, RangesHoldingNoRecordRemoveNothing) {
  EXPECT_EQ(RemoveTagRange(list_, 0, 9), 0u);
  EXPECT_EQ(RemoveTagRange(list_, 21, 29), 0u);
  EXPECT_EQ(RemoveTagRange(list_, 51, kTagSentinel), 0u);
  EXPECT_EQ(list_.count, 5u);
  TagList empty;
  EXPECT_EQ(RemoveTagRange(empty, 0, kTagSentinel), 0u);
  EXPECT_EQ(empty.count, 0u);
}

// Random adds and removes against an ordered map, return values included.
TEST(TagListModel, MatchesAnOrderedMap) {
  std::mt19937 rng(20250311);
  TagList list;
  std::map<int64_t, uint32_t> model;
  for (int step = 0; step < 20000; ++step) {
    const auto offset = static_cast<int64_t>(rng() % 5000);
    if (rng() % 4 != 0) {
      const uint32_t flags = 1u << (rng() % 4);
      const uint32_t got = AddTag(list, offset, flags);
      model[offset] |= flags;
      ASSERT_EQ(got, static_cast<uint32_t>(std::distance(model.begin(), model.find(offset))));
    } else {
      const auto other = static_cast<int64_t>(rng() % 5000);
      const int64_t hi = rng() % 8 == 0 ? kTagSentinel : other;
      const auto from = model.lower_bound(std::min(offset, hi));
      const auto to = model.upper_bound(std::max(offset, hi));
      const auto removed = static_cast<uint32_t>(std::distance(from, to));
      model.erase(from, to);
      ASSERT_EQ(RemoveTagRange(list, offset, hi), removed);
    }
    ASSERT_EQ(list.count, model.size());
  }
  EXPECT_EQ(Records(list), (std::vector<std::pair<int64_t, uint32_t>>(model.begin(),
                                                                      model.end())));
}

// --- Lines ---

// Lines 1..4 valid at 100, 200, 300, 400; the end entry 5 at 500; slot 0
// holds a line before Afirst.
class TagListLines : public testing::Test {
 protected:
  void SetUp() override {
    for (int32_t i = 0; i < 6; ++i) table_[i].offset = 100 * i;
    table_.Afirst = 1;
    table_.Alast = 5;
    table_.Acur = 1;
  }
  LineTable table_{8, 64};
  TagList list_;
};

TEST_F(TagListLines, EachLineCarriesTheMarksItHolds) {
  AddTag(list_, 100, kSearchMark);
  AddTag(list_, 199, kUserMark);
  AddTag(list_, 300, kUserMark);
  ApplyTagsToLines(table_, list_);
  EXPECT_EQ(table_[1].flags, kSearchMark | kUserMark);
  EXPECT_EQ(table_[2].flags, 0u);
  EXPECT_EQ(table_[3].flags, kUserMark);
  EXPECT_EQ(table_[4].flags, 0u);
  EXPECT_EQ(list_.entries()[list_.count].offset, kTagSentinel);
}

TEST_F(TagListLines, MarksOutsideTheValidLinesAreIgnored) {
  table_[0].flags = 0x8;
  table_[5].flags = 0x4;
  AddTag(list_, 0, kSearchMark);
  AddTag(list_, 99, kSearchMark);
  AddTag(list_, 500, kUserMark);
  AddTag(list_, 10'000, kUserMark);
  ApplyTagsToLines(table_, list_);
  for (int32_t i = 1; i < 5; ++i) EXPECT_EQ(table_[i].flags, 0u) << i;
  EXPECT_EQ(table_[0].flags, 0x8u);  // before Afirst: not this pass's line
  EXPECT_EQ(table_[5].flags, 0x4u);  // the end entry is not a line
}

TEST_F(TagListLines, OnlyTheTagBitsChange) {
  table_[1].flags = kTagMask | kMessageLine | kPageBreak;
  table_[2].flags = kSearchMark | uint32_t{kTruncated};
  AddTag(list_, 250, kUserMark | 0x30);  // bits above the tag bits stay in the list
  ApplyTagsToLines(table_, list_);
  EXPECT_EQ(table_[1].flags, static_cast<uint32_t>(kMessageLine | kPageBreak));
  EXPECT_EQ(table_[2].flags, kUserMark | uint32_t{kTruncated});
  EXPECT_EQ(list_[0].flags, kUserMark | 0x30u);
}

TEST_F(TagListLines, OffsetsThatDoNotRiseNeitherLoopNorOverrun) {
  table_[2].offset = 300;
  table_[3].offset = 200;  // goes back
  table_[4].offset = 200;  // stands still
  AddTag(list_, 150, kSearchMark);
  AddTag(list_, 250, kUserMark);
  AddTag(list_, 450, kUserMark);
  ApplyTagsToLines(table_, list_);
  // The walk only moves forward: line 1 takes everything below 300, the lines
  // that do not advance take nothing, line 4 takes what is left below 500.
  EXPECT_EQ(table_[1].flags, kSearchMark | kUserMark);
  EXPECT_EQ(table_[2].flags, 0u);
  EXPECT_EQ(table_[3].flags, 0u);
  EXPECT_EQ(table_[4].flags, kUserMark);
}

TEST_F(TagListLines, EmptyListOrEmptyRangeIsHarmless) {
  table_[2].flags = kSearchMark;
  ApplyTagsToLines(table_, list_);
  EXPECT_EQ(table_[2].flags, 0u);
  table_[2].flags = kSearchMark;
  table_.Alast = table_.Afirst;
  AddTag(list_, 200, kUserMark);
  ApplyTagsToLines(table_, list_);
  EXPECT_EQ(table_[2].flags, kSearchMark);
}

}  // namespace
}  // namespace zorvo
