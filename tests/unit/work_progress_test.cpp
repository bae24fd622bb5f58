// Long work over the whole file: how far it has come, shown only after the
// delay and only when it changes; the look for a stop paced by the clock;
// a stopped search, Mark All and Copy Tags; the percent of a tags-only
// print's skipping. And the decisions of Follow End.
#include "viewer/file/work_progress.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/memory_file.h"
#include "viewer/file/clipboard_text.h"
#include "viewer/file/search.h"
#include "viewer/frame/follow_end.h"

namespace zorvo {
namespace {

// The clock the test moves; a base of its own, made before PacedProgress
// reads it.
struct TestClock {
  int64_t now = 0;
};

// Progress on a clock the test moves, stopping at the look `stopAt`
// (1-based; 0 never).
class Recorded : public TestClock, public PacedProgress {
 public:
  explicit Recorded(Timing timing, int stopAt = 0)
      : PacedProgress(timing, [this] { return now; }), stopAt_(stopAt) {}
  std::vector<int32_t> percents;
  int looks = 0;

 protected:
  void Show(int32_t percent) override { percents.push_back(percent); }
  bool StopAsked() override { return ++looks == stopAt_; }

 private:
  int stopAt_;
};

TEST(PacedProgress, ShowsAfterTheDelayAndLooksForAStopAtMostEveryInterval) {
  Recorded progress({100, 30});
  EXPECT_TRUE(progress.Reached(10, 100));
  EXPECT_EQ(progress.looks, 1) << "the first report looks at once";
  progress.now = 29;
  progress.Reached(20, 100);
  EXPECT_EQ(progress.looks, 1);
  EXPECT_TRUE(progress.percents.empty()) << "nothing before the delay";
  progress.now = 100;
  progress.Reached(30, 100);
  progress.Reached(30, 100);
  progress.Reached(31, 100);
  EXPECT_EQ(progress.percents, (std::vector<int32_t>{30, 31})) << "each percent once";
  EXPECT_EQ(progress.looks, 2);
  EXPECT_TRUE(progress.shown());
}

TEST(PacedProgress, AStopIsFinal) {
  Recorded progress({0, 0}, 2);
  EXPECT_TRUE(progress.Reached(1, 10));
  EXPECT_FALSE(progress.Reached(2, 10));
  EXPECT_FALSE(progress.Reached(3, 10));
  EXPECT_EQ(progress.looks, 2);
  EXPECT_TRUE(progress.stopped());
}

TEST(PacedProgress, PercentOfTheFile) {
  const struct {
    int64_t done, total;
    int32_t percent;
  } cases[] = {{0, 100, 0},
               {99, 100, 99},
               {100, 100, 100},
               {5, 0, 100},
               {-1, 10, 0},
               {1, 3, 33},
               {1LL << 62, INT64_MAX, 50},
               {50LL << 30, 100LL << 30, 50}};
  for (const auto& c : cases) EXPECT_EQ(PercentOf(c.done, c.total), c.percent) << c.done;
}

// A search in pieces of a few bytes reports after each, with what it has
// read of the file; stopped, it returns kSearchStopped after the matches of
// the pieces it finished.
TEST(StoppedWork, SearchAndMarkAllStopBetweenPieces) {
  MemoryFile memory(std::string(40, '.') + "ab" + std::string(40, '.') + "ab" +
                    std::string(40, '.'));
  RecordingNotifier notifier;
  const int64_t size = static_cast<int64_t>(memory.bytes.size());
  {
    Recorded watch({0, 0});
    FileRecord file{0, size, L"memory"};
    std::vector<int64_t> found;
    EXPECT_EQ(FindAll(
                  file, "ab", true, notifier,
                  [&](int64_t m) {
                    found.push_back(m);
                    return true;
                  },
                  memory, SearchWork{7, &watch}),
              2);
    EXPECT_EQ(found, (std::vector<int64_t>{40, 82})) << "tiny pieces find what one would";
    ASSERT_FALSE(watch.percents.empty());
    EXPECT_TRUE(std::is_sorted(watch.percents.begin(), watch.percents.end()));
    EXPECT_LT(watch.percents.back(), 100) << "no report after the last piece";
  }
  {
    Recorded stop({0, 0}, 10);  // the tenth piece ends at byte 70
    FileRecord file{0, size, L"memory"};
    std::vector<int64_t> found;
    EXPECT_EQ(FindAll(
                  file, "ab", true, notifier,
                  [&](int64_t m) {
                    found.push_back(m);
                    return true;
                  },
                  memory, SearchWork{7, &stop}),
              kSearchStopped);
    EXPECT_EQ(found, (std::vector<int64_t>{40})) << "the marks made before the stop";
  }
  {
    Recorded stop({0, 0}, 1);
    FileRecord file{0, size, L"memory"};
    EXPECT_EQ(FindForward(file, "ab", true, notifier, memory, SearchWork{7, &stop}),
              kSearchStopped);
    EXPECT_EQ(FindForward(file, "ab", true, notifier, memory, SearchWork{64, nullptr}), 40);
  }
}

TEST(StoppedWork, CopyTagsStoppedLeavesNoText) {
  std::string bytes;
  for (int i = 0; i < 300; ++i) bytes += "line " + std::to_string(i) + "\n";
  MemoryFile memory(bytes);
  RecordingNotifier notifier;
  auto copy = [&](WorkProgress* progress, std::string& text) {
    FileRecord file{0, static_cast<int64_t>(bytes.size()), L"memory"};
    FormatParams params;
    params.lineLength = 80;
    CopySource source{file, kFormatText, params, notifier, 0, &memory, WalkPieces{256, 16, 512}};
    source.progress = progress;
    return CopyTaggedText(
        source,
        [](LineTable& table) {
          for (int32_t i = table.Afirst; i < table.Alast; ++i) table[i].flags |= 0x2;
        },
        300, text);
  };
  std::string all, watched, stopped;
  Recorded watch({0, 0});
  Recorded stop({0, 0}, 3);
  EXPECT_EQ(copy(nullptr, all), 300);
  EXPECT_EQ(copy(&watch, watched), 300);
  EXPECT_EQ(watched, all);
  EXPECT_GT(watch.percents.size(), 3u) << "a report after each batch";
  EXPECT_EQ(copy(&stop, stopped), 0);
  EXPECT_TRUE(stopped.empty()) << "a stopped copy puts nothing on the clipboard";
  EXPECT_TRUE(notifier.shown.empty());
}

void Fill(LineTable& table, int32_t count, int32_t top) {
  for (int32_t i = 0; i <= count; ++i) table[i] = LineEntry{i * 10, 0, i < count ? 9 : -1, 0, 0};
  table.Afirst = 0;
  table.Alast = count;
  table.Acur = top;
}

TEST(FollowEnd, TheEndInViewAndHowToShowTheLastLine) {
  const struct {
    int32_t lines, top, rows;
    int64_t fileLength;
    bool inView;
    EndMove move;
  } cases[] = {
      // 30 lines of 10 bytes, 10 rows: the last screenful shows lines 20-29.
      {30, 20, 10, 300, true, {false, 0}}, {30, 19, 10, 300, false, {false, 1}},
      {30, 29, 10, 300, true, {false, 0}},  // the last line on top, as the bottom puts it
      {30, 25, 10, 400, true, {true, -9}},  // the file went on beyond the table
      {0, 0, 10, 0, true, {false, 0}},      // an empty file
      {5, 0, 10, 50, true, {false, 0}},     // fewer lines than rows
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.lines << " lines, top " << c.top);
    LineTable table(64, 4096);
    Fill(table, c.lines, c.top);
    EXPECT_EQ(EndInView(table, c.rows), c.inView);
    // A look is due when the table's end shows and is the file's end;
    // where following left it, the view follows whether the end shows or not.
    const bool endOfFile = c.inView && !c.move.toEnd;
    EXPECT_EQ(FollowDue(table, c.rows, c.fileLength, -1), endOfFile);
    EXPECT_TRUE(FollowDue(table, c.rows, c.fileLength, table[c.top].offset));
    EXPECT_EQ(FollowDue(table, c.rows, c.fileLength, table[c.top].offset + 1), endOfFile);
    const EndMove move = MoveToShowEnd(table, c.fileLength, c.rows);
    EXPECT_EQ(move.toEnd, c.move.toEnd);
    EXPECT_EQ(move.lines, c.move.lines);
  }
  EXPECT_EQ(FollowChangeOf(300, 300, true), FollowChange::kNone);
  EXPECT_EQ(FollowChangeOf(300, 310, true), FollowChange::kGrown);
  EXPECT_EQ(FollowChangeOf(300, 20, true), FollowChange::kRestart);
  EXPECT_EQ(FollowChangeOf(300, 300, false), FollowChange::kRestart) << "another file, same size";
  EXPECT_EQ(FollowChangeOf(300, 900, false), FollowChange::kRestart);
}

}  // namespace
}  // namespace zorvo
