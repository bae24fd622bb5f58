// Find Next and Mark All on the real window.
#include "window_fixture.h"

#include "viewer/file/search.h"
#include "viewer/frame/marks.h"

namespace zorvo {
namespace {

class Searching : public WindowTest {
 protected:
  void Look(const char* pattern, uint16_t flags = kSearchDefined) {
    app().search.pattern = pattern;
    app().search.flags = flags;
    app().doc.view.searchPosition = -1;
  }
};

TEST_F(Searching, FindNextWrapsToTheTopAfterTheLastMatch) {
  Start();
  Open(MakeFile(3000));
  Look("LINE 2999");  // letters fold: finds "line 2999"
  Command(IDM_FINDNEXT);
  EXPECT_EQ(Top(), "line 2999") << "the match off screen becomes the top line";
  ASSERT_TRUE(app().doc.view.selection.Any());
  EXPECT_EQ(app().doc.view.selection.end - app().doc.view.selection.start, 9);
  const size_t beeps = notifier.beeps.size();
  Command(IDM_FINDNEXT);
  EXPECT_EQ(notifier.beeps.size(), beeps + 1) << "no match after the last";
  EXPECT_EQ(app().doc.view.searchPosition, 0);
  Look("line 1");
  app().doc.view.searchPosition = 0;
  Command(IDM_FINDNEXT);
  EXPECT_EQ(app().doc.view.selection.start, 8) << "the next search starts at the top";
  // A match on the screen selects it without moving the view.
  const int64_t top = app().doc.screen[app().doc.screen.Acur].offset;
  Command(IDM_FINDNEXT);
  EXPECT_EQ(app().doc.screen[app().doc.screen.Acur].offset, top);
  EXPECT_GT(app().doc.view.selection.start, 8);
}

TEST_F(Searching, FindNextWithoutASearchBeeps) {
  Start();
  Open(MakeFile(10));
  app().search = SearchState{};
  const size_t beeps = notifier.beeps.size();
  Command(IDM_FINDNEXT);
  EXPECT_EQ(notifier.beeps.size(), beeps + 1);
  EXPECT_FALSE(app().doc.view.selection.Any());
}

TEST_F(Searching, AnySearchFlagStartsTheSearch) {
  // A hex search given over DDE carries 0x2 without 0x1.
  Start();
  Open(MakeFile(10));
  for (const int id : {IDM_FINDNEXT, IDM_MARKALL}) {
    SCOPED_TRACE(id);
    app().doc.tags.count = 0;
    Look("line 7", kSearchHexText);
    const size_t beeps = notifier.beeps.size();
    Command(id);
    EXPECT_EQ(notifier.beeps.size(), beeps);
    // Lines 0 to 6 are "line N\r\n", 8 bytes each.
    EXPECT_EQ(id == IDM_FINDNEXT ? app().doc.view.selection.start : app().doc.tags[0].offset, 56);
  }
}

TEST_F(Searching, MarkAllStopsAtTheBookmarkLimit) {
  Start();
  Open(MakeFile(70000, "hit "));
  Look("hit", kSearchDefined | kSearchMarkAll);
  Command(IDM_MARKALL);
  EXPECT_EQ(app().doc.tags.count, TagList::kCapacity);
  ASSERT_FALSE(notifier.shown.empty());
  EXPECT_EQ(notifier.shown.back().text, kTooManyBookmarks);
  EXPECT_EQ(Top(), "hit 0") << "the view goes to the first match";
  EXPECT_EQ(app().doc.screen[app().doc.screen.Acur].flags & kTagMask, kSearchMark);
}

TEST_F(Searching, MarkAllWithoutAMatchGoesToTheEndAndBeeps) {
  Start();
  Open(MakeFile(500));
  Look("absent");
  const size_t beeps = notifier.beeps.size();
  Command(IDM_MARKALL);
  EXPECT_EQ(notifier.beeps.size(), beeps + 1);
  EXPECT_EQ(app().doc.tags.count, 0u);
  EXPECT_EQ(Top(), "line 499");
}

}  // namespace
}  // namespace zorvo
