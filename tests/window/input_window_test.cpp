// The mouse, the wheel and the keys on the real window.
#include "window_fixture.h"

namespace zorvo {
namespace {

class Input : public WindowTest {
 protected:
  int64_t LineOffset(int line) const {
    // "line N\r\n": 8 bytes for 0-9, 9 for 10-99, 10 for 100-999.
    if (line < 10) return 8 * line;
    if (line < 100) return 80 + 9 * (line - 10);
    return 80 + 810 + 10 * (line - 100);
  }
  void Press(UINT message, int row, WPARAM keys = 0) {
    SendMessageW(window, message, keys, Point(100, RowY(row)));
    Pump();
  }
};

TEST_F(Input, DragSelectsFromTheAnchorInBothDirections) {
  Start();
  Open(MakeFile(500));
  Press(WM_LBUTTONDOWN, 5, MK_LBUTTON);
  Press(WM_MOUSEMOVE, 8, MK_LBUTTON);
  Press(WM_LBUTTONUP, 8);
  EXPECT_EQ(app().doc.view.selection.start, LineOffset(5));
  EXPECT_EQ(app().doc.view.selection.end, LineOffset(9));
  // Downward from row 8 back above the anchor.
  Press(WM_LBUTTONDOWN, 8, MK_LBUTTON);
  Press(WM_MOUSEMOVE, 3, MK_LBUTTON);
  Press(WM_LBUTTONUP, 3);
  EXPECT_EQ(app().doc.view.selection.start, LineOffset(3));
  EXPECT_EQ(app().doc.view.selection.end, LineOffset(9));
  // Shift+click extends from the anchor; a right click clears.
  Press(WM_LBUTTONDOWN, 12, MK_LBUTTON | MK_SHIFT);
  Press(WM_LBUTTONUP, 12);
  EXPECT_EQ(app().doc.view.selection.end, LineOffset(13));
  Press(WM_RBUTTONDOWN, 12);
  EXPECT_FALSE(app().doc.view.selection.Any());
}

TEST_F(Input, ClickBelowTheLastLineBeepsAndSelectsNothing) {
  Start();
  Open(MakeFile(3));
  Press(WM_LBUTTONDOWN, 20, MK_LBUTTON);
  Press(WM_LBUTTONUP, 20);
  EXPECT_FALSE(app().doc.view.selection.Any());
  EXPECT_EQ(notifier.beeps, std::vector<uint32_t>{kIconExclamation});
}

TEST_F(Input, AutoScrollStopsAtBothEndsOfTheFile) {
  Start();
  Open(MakeFile(200));
  // Drag below the window: the view scrolls down until the end is in view.
  Press(WM_LBUTTONDOWN, 2, MK_LBUTTON);
  SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, Point(100, app().doc.view.clientHeight + 20));
  for (int i = 0; i < 100 && app().doc.view.autoScrollTimer; ++i) {
    SendMessageW(window, WM_TIMER, kTimerBelow, 0);
    Pump();
  }
  EXPECT_EQ(app().doc.view.autoScrollTimer, 0) << "the timer stopped by itself";
  EXPECT_LT(app().doc.screen.Alast,
            app().doc.screen.Acur + LinesPerPage(app().doc.view, TitleCount(app().doc.titles)));
  EXPECT_EQ(app().doc.view.selection.end, app().doc.file.Flen)
      << "the selection followed to the end";
  // And above the window back to the top.
  SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(100, static_cast<WORD>(-30)));
  for (int i = 0; i < 100 && app().doc.view.autoScrollTimer; ++i) {
    SendMessageW(window, WM_TIMER, kTimerAbove, 0);
    Pump();
  }
  EXPECT_EQ(app().doc.view.autoScrollTimer, 0);
  EXPECT_EQ(Top(), "line 0");
  Press(WM_LBUTTONUP, 2);
}

TEST_F(Input, TheWheelScrollsThreeLinesANotch) {
  Start();
  Open(MakeFile(500));
  SendMessageW(window, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), Point(100, 100));
  Pump();
  EXPECT_EQ(Top(), "line 3");
  SendMessageW(window, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), Point(100, 100));
  Pump();
  EXPECT_EQ(Top(), "line 0");
}

TEST_F(Input, KeysMoveTheView) {
  Start();
  Open(MakeFile(500));
  SendMessageW(window, WM_KEYDOWN, VK_NEXT, 0);
  Pump();
  EXPECT_EQ(Top(),
            "line " + std::to_string(LinesPerPage(app().doc.view, TitleCount(app().doc.titles))));
  SendMessageW(window, WM_KEYDOWN, VK_DOWN, 0);
  SendMessageW(window, WM_KEYDOWN, VK_UP, 0);
  SendMessageW(window, WM_KEYDOWN, VK_UP, 0);
  Pump();
  EXPECT_EQ(Top(), "line " + std::to_string(
                                 LinesPerPage(app().doc.view, TitleCount(app().doc.titles)) - 1));
  SendMessageW(window, WM_KEYDOWN, VK_RIGHT, 0);
  Pump();
  EXPECT_EQ(app().doc.view.horizontalOffset, 1);
}

TEST_F(Input, EscapeMinimisesWhenItDoesNotExit) {
  Start();
  ASSERT_EQ(app().settings.options.EscExit, 0);
  SendMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
  Pump();
  EXPECT_TRUE(IsIconic(window));
  EXPECT_TRUE(IsWindow(window));
}

}  // namespace
}  // namespace zorvo
