// The Mark menu on the real window: Toggle, Set across table windows, Next,
// Reset, the bookmark limit, frozen titles.
#include "window_fixture.h"

#include "viewer/frame/marks.h"

namespace zorvo {
namespace {

class Marks : public WindowTest {
 protected:
  // Runs posted commands too (Set posts itself until it is done).
  void RunCommand(int id) {
    SendMessageW(window, WM_COMMAND, id, 0);
    for (int i = 0; i < 10000; ++i) {
      MSG message;
      if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) break;
      DispatchMessageW(&message);
    }
  }
  void Select(int64_t start, int64_t end) {
    app().doc.view.selection = Selection{start, end, start, end};
  }
  // Offsets of "line N\r\n" lines with N < 100000.
  static int64_t LineOffset(int64_t n) {
    int64_t offset = 0;
    int64_t width = 8, from = 0, to = 10;
    while (n >= to) {
      offset += (to - from) * width;
      from = to;
      to *= 10;
      ++width;
    }
    return offset + (n - from) * width;
  }
};

TEST_F(Marks, ToggleTwiceLeavesNoMark) {
  Start();
  Open(MakeFile(100));
  Scroll(10);
  RunCommand(IDM_TOGGLE);
  ASSERT_EQ(app().doc.tags.count, 1u);
  EXPECT_EQ(app().doc.tags[0].offset, LineOffset(10));
  EXPECT_EQ(app().doc.screen[app().doc.screen.Acur].flags & kTagMask, kUserMark);
  RunCommand(IDM_TOGGLE);
  EXPECT_EQ(app().doc.tags.count, 0u);
}

TEST_F(Marks, SetOverTenThousandLinesTagsThemAllAndReturns) {
  Start();
  Open(MakeFile(30000));
  Scroll(20);
  const int64_t top = app().doc.screen[app().doc.screen.Acur].offset;
  Select(LineOffset(1000), LineOffset(11000));
  RunCommand(IDM_SETMARKS);
  EXPECT_EQ(app().doc.tags.count, 10000u) << "more lines than one table holds";
  EXPECT_EQ(app().doc.tags[0].offset, LineOffset(1000));
  EXPECT_EQ(app().doc.tags[9999].offset, LineOffset(10999));
  EXPECT_EQ(app().doc.screen[app().doc.screen.Acur].offset, top) << "the view is back where it was";
  EXPECT_FALSE(app().doc.view.selection.Any());
  // Next goes from mark to mark; after the last, to the end with a beep.
  SendMessageW(window, UM_GOTO_OFFSET, 0, LineOffset(10998));
  Pump();
  RunCommand(IDM_NEXTMARK);
  EXPECT_EQ(Top(), "line 10999");
  const size_t beeps = notifier.beeps.size();
  RunCommand(IDM_NEXTMARK);
  EXPECT_EQ(Top(), "line 29999");
  EXPECT_EQ(notifier.beeps.size(), beeps + 1);
}

TEST_F(Marks, SetStopsWhenTheFileCannotBeRead) {
  Start();
  const std::wstring path = MakeFile(30000);
  Open(path);
  // Viewed from the middle, so that Set starts with the lines before the
  // table.
  SendMessageW(window, UM_GOTO_OFFSET_RELOAD, 0, LineOffset(20000));
  Pump();
  Select(0, LineOffset(30000));
  SendMessageW(window, PG_CANCEL, 0, 0);  // the page index lets go of the file
  ASSERT_TRUE(std::filesystem::remove(path));
  const size_t shown = notifier.shown.size();
  RunCommand(IDM_SETMARKS);
  MSG message;
  EXPECT_FALSE(PeekMessageW(&message, window, WM_COMMAND, WM_COMMAND, PM_NOREMOVE))
      << "Set goes on although every rebuild fails";
  EXPECT_EQ(notifier.shown.size(), shown + 1) << "the failure is reported once";
  EXPECT_FALSE(app().doc.view.selection.Any());
}

TEST_F(Marks, SetWithoutASelectionTagsTheTopLine) {
  Start();
  Open(MakeFile(100));
  Scroll(7);
  RunCommand(IDM_SETMARKS);
  ASSERT_EQ(app().doc.tags.count, 1u);
  EXPECT_EQ(app().doc.tags[0].offset, LineOffset(7));
}

TEST_F(Marks, ResetRemovesBothMarksOfALine) {
  Start();
  Open(MakeFile(100));
  AddTag(app().doc.tags, LineOffset(3) + 1, kSearchMark);
  AddTag(app().doc.tags, LineOffset(3) + 4, kSearchMark);
  SendMessageW(window, UM_GOTO_OFFSET_RELOAD, 0, LineOffset(3));
  Pump();
  EXPECT_EQ(app().doc.screen[app().doc.screen.Acur].flags & kTagMask, kSearchMark);
  RunCommand(IDM_RESETMARKS);
  EXPECT_EQ(app().doc.tags.count, 0u);
}

TEST_F(Marks, TheBookmarkLimit) {
  Start();
  Open(MakeFile(70000));
  Select(0, LineOffset(70000));
  RunCommand(IDM_SETMARKS);
  EXPECT_EQ(app().doc.tags.count, TagList::kCapacity);
  ASSERT_FALSE(notifier.shown.empty());
  EXPECT_EQ(notifier.shown.back().text, kTooManyBookmarks);
  EXPECT_EQ(notifier.shown.back().caption, kBookmarkCaption);
  // The view stands just before the first line left without a mark.
  EXPECT_EQ(Top(), "line 65534");
  Select(LineOffset(68000), LineOffset(68001));
  RunCommand(IDM_TOGGLE);
  EXPECT_EQ(notifier.shown.back().text, kTooManyBookmarks);
  // Unmark All empties the list.
  RunCommand(IDM_UNMARKALL);
  EXPECT_EQ(app().doc.tags.count, 0u);
}

TEST_F(Marks, FrozenTitlesStayAcrossScrollingAndFiles) {
  Start();
  Open(MakeFile(100));
  const int32_t rows = LinesPerPage(app().doc.view, 0);
  Select(0, LineOffset(20));
  RunCommand(IDM_FREEZETITLE);
  EXPECT_EQ(TitleCount(app().doc.titles), 15);
  EXPECT_EQ(LinesPerPage(app().doc.view, TitleCount(app().doc.titles)), rows - 15);
  Scroll(50);
  EXPECT_EQ(TitleCount(app().doc.titles), 15);
  FormatOptions& options = app().settings.options;
  options.FreezeColumns = 4;
  app().doc.tags.count = 0;
  AddTag(app().doc.tags, 0, kUserMark);
  Open(MakeFile(10, "other "));
  EXPECT_EQ(TitleCount(app().doc.titles), 15) << "titles survive another file";
  EXPECT_EQ(options.FreezeColumns, 4) << "and so do the frozen columns";
  EXPECT_EQ(app().doc.tags.count, 0u) << "the marks do not";
  RunCommand(IDM_CLEARTITLE);
  EXPECT_EQ(TitleCount(app().doc.titles), 0);
  options.FreezeColumns = 0;
  // Without a selection Freeze Title only beeps.
  const size_t beeps = notifier.beeps.size();
  RunCommand(IDM_FREEZETITLE);
  EXPECT_EQ(notifier.beeps.size(), beeps + 1);
  EXPECT_EQ(TitleCount(app().doc.titles), 0);
}

}  // namespace
}  // namespace zorvo
