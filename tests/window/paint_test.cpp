// Painting, read back from the window's pixels.
#include "window_fixture.h"

#include "viewer/frame/screen.h"
#include "viewer/frame/win32/screen_font.h"

#include <cstring>

namespace zorvo {
namespace {

constexpr COLORREF kText = RGB(0, 0, 128), kBgnd = RGB(250, 250, 200), kTagT = RGB(0, 128, 0),
                   kTagB = RGB(200, 250, 250), kHeadT = RGB(128, 0, 0), kHeadB = RGB(220, 220, 220),
                   kBack = RGB(60, 60, 90), kCmtT = RGB(255, 255, 255), kCmtB = RGB(200, 0, 200),
                   kMsgT = RGB(1, 2, 3), kMsgB = RGB(240, 200, 150);

class Paint : public WindowTest {
 protected:
  void Colorize() {
    ColorTable& c = app().settings.colors;
    c[kWindowText] = kText; c[kWindowBgnd] = kBgnd; c[kTagText] = kTagT; c[kTagBgnd] = kTagB;
    c[kHeadingText] = kHeadT; c[kHeadingBgnd] = kHeadB; c[kBackground] = kBack;
    c[kCommentText] = kCmtT; c[kCommentBgnd] = kCmtB; c[kMessageText] = kMsgT; c[kMessageBgnd] = kMsgB;
  }
  void Redraw() {
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
    Pump();
  }
  COLORREF At(int x, int y) {
    HDC dc = GetDC(window);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return c;
  }
  int Client(bool height) {
    RECT rc; GetClientRect(window, &rc); return height ? rc.bottom : rc.right;
  }
  bool HasBar(int bar) {
    SCROLLINFO si{sizeof si, SIF_RANGE, 0, 0, 0, 0, 0};
    if (!GetScrollInfo(window, bar, &si)) return false;
    return si.nMax > si.nMin;
  }
};

TEST_F(Paint, RowsTagsAndTheBlankArea) {
  Start();
  Colorize();
  Open(MakeFile(5));
  app().doc.screen[app().doc.screen.Acur + 1].flags |= 0x2;
  Redraw();
  const int lh = app().doc.view.lineHeight;
  const int w = Client(false);
  EXPECT_EQ(At(w - 2, lh / 2), kBgnd);
  EXPECT_EQ(At(w - 2, lh + lh / 2), kTagB);
  // Some text pixels on row 0.
  int text = 0;
  for (int x = 0; x < 60; ++x) for (int y = 0; y < lh; ++y) text += At(x, y) == kText;
  EXPECT_GT(text, 10);
  // Below the 5 lines: the background, its top edge outlined.
  EXPECT_EQ(At(w / 2, 5 * lh + 3), kBack);
  EXPECT_EQ(At(w / 2, 5 * lh), RGB(0, 0, 0));
  EXPECT_EQ(At(w / 2, Client(true) - 1), kBack);
  EXPECT_FALSE(HasBar(SB_VERT)) << "the file fits";
}

TEST_F(Paint, ShowBackgroundNotesAndPageBreaks) {
  Start();
  Colorize();
  Open(MakeFile(40));
  app().settings.options.CurrentOptions |= kScreenShowBackground;
  app().doc.screen[app().doc.screen.Acur].flags |= kTruncated;
  app().doc.screen[app().doc.screen.Acur + 2].flags |= kPageBreak;
  Redraw();
  const int lh = app().doc.view.lineHeight;
  const int w = Client(false);
  EXPECT_EQ(At(w - 2, lh + 2), kBack) << "the background after the text";
  // "line 1": its text ends 2 pixels after the characters.
  HDC dc = GetDC(window);
  HGDIOBJ old = SelectObject(dc, ScreenFont());
  SIZE size{};
  GetTextExtentPoint32A(dc, "line 1", 6, &size);
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  const int textEnd = size.cx + 2;
  EXPECT_EQ(At(textEnd - 1, lh + lh / 2), kBgnd);
  EXPECT_EQ(At(textEnd, lh + lh / 2), kBack);
  int note = 0;
  for (int x = 0; x < w; ++x) note += At(x, lh / 2) == kCmtB;
  EXPECT_GT(note, 20) << "the truncation note";
  int dots = 0;
  for (int x = 0; x < 100; ++x) dots += At(x, 2 * lh) == kText;
  EXPECT_GT(dots, 20);
  EXPECT_LT(dots, 80) << "dotted";
  EXPECT_TRUE(HasBar(SB_VERT));
}

TEST_F(Paint, FrozenColumnsTitlesAndSelection) {
  Start();
  Colorize();
  app().settings.options.FreezeColumns = 4;
  LineTable& titles = *CreateTitleBuffers(app().doc.titles, true, notifier);
  std::memcpy(titles.chars(), "TITLE LINE", 10);
  titles[0] = LineEntry{0, 0, 10, 0, 0};
  titles[1] = LineEntry{1, 0, -1, 0, 0};
  titles.Alast = 1;
  Open(MakeFile(50));
  app().doc.view.selection.start = app().doc.screen[app().doc.screen.Acur + 1].offset;
  app().doc.view.selection.end = app().doc.screen[app().doc.screen.Acur + 2].offset;
  Redraw();
  const int lh = app().doc.view.lineHeight;
  const int split = SplitX(app().doc.view.charWidth, 4);
  const int w = Client(false);
  EXPECT_EQ(At(w - 2, 2), kHeadB) << "title row";
  EXPECT_EQ(At(w / 2, lh - 1), kText) << "the line under the titles";
  EXPECT_EQ(At(split - 1, 3 * lh), kText) << "frozen border";
  EXPECT_EQ(At(split - 2, 3 * lh + lh - 1), kHeadB) << "frozen columns";
  EXPECT_EQ(At(w - 2, lh + lh / 2), kBgnd);
  const COLORREF inverted = RGB(255 - GetRValue(kBgnd), 255 - GetGValue(kBgnd), 255 - GetBValue(kBgnd));
  EXPECT_EQ(At(w - 2, 2 * lh + lh / 2), inverted) << "selected row";
  EXPECT_EQ(TextArea(window).top, lh);
}

TEST_F(Paint, FitZoomAndLayout) {
  Start();
  Open(MakeFile(30, std::string(60, 'x')));
  app().doc.view.layoutWidth = 123;
  Command(IDM_FITFONT);
  EXPECT_EQ(app().doc.view.layoutWidth, app().settings.options.MaxLineLength)
      << "laid out again, as a zoom does";
  const int w = Client(false);
  EXPECT_LE((60 + 2) * app().doc.view.charWidth, w);
  EXPECT_GT((60 + 2) * (app().doc.view.charWidth + 2), w) << "not much smaller than needed";
  EXPECT_GT(app().settings.options.FontSize, 0);
  const int lh = app().doc.view.lineHeight;
  app().doc.view.zoomSteps = 3;
  SendMessageW(window, UM_FONT, 0, 0);
  EXPECT_GT(app().doc.view.lineHeight, lh);
  app().doc.view.zoomSteps = 0;
  SendMessageW(window, UM_FONT, 0, 0);
  EXPECT_EQ(app().doc.view.lineHeight, lh) << "zoom never changes the stored height";
  // A new point size wins over the fitted pixel height.
  app().settings.options.FontSize = 24;
  SendMessageW(window, UM_FONT, 0, 0);
  EXPECT_EQ(app().settings.options.FontSize, 24);
  EXPECT_GT(app().doc.view.lineHeight, lh);
  // Wrap: the layout follows the width.
  app().settings.options.CurrentOptions |= kScreenWrap;
  SendMessageW(window, UM_LAYOUT, 0, kLayoutRebuild);
  Pump();
  EXPECT_EQ(app().doc.view.layoutWidth, Client(false) / app().doc.view.charWidth);
  app().settings.options.CurrentOptions &= ~kScreenWrap;
  SendMessageW(window, UM_LAYOUT, 0, kLayoutRebuild);
  Pump();
  EXPECT_EQ(app().doc.view.layoutWidth, app().settings.options.MaxLineLength);
}

TEST_F(Paint, OnlyTheUpdatedRowsAreDrawnAndBarsFollowTheOptions) {
  Start();
  Colorize();
  app().settings.options.HorzScroll = 1;
  Open(MakeFile(200, std::string(9000, 'y')));
  Redraw();
  const int lh = app().doc.view.lineHeight;
  const int w = Client(false);
  EXPECT_TRUE(HasBar(SB_HORZ));
  EXPECT_TRUE(HasBar(SB_VERT));
  app().settings.colors[kWindowBgnd] = kTagB;
  app().settings.colors[kWindowText] = kTagB;
  const RECT row3{0, 3 * lh + 2, w, 3 * lh + 4};
  InvalidateRect(window, &row3, FALSE);
  UpdateWindow(window);
  EXPECT_EQ(At(w / 2, 3 * lh + 3), kTagB);
  EXPECT_NE(At(w / 2, 2 * lh + 3), kTagB);
  EXPECT_NE(At(w / 2, 4 * lh + 3), kTagB);
  SendMessageW(window, UM_SCROLL_LINES, 100, -1);
  Pump();
  UpdateWindow(window);
  SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
  GetScrollInfo(window, SB_VERT, &si);
  EXPECT_EQ(si.nMax, 32767);
  EXPECT_NEAR(si.nPos, 16383, 400);
  app().settings.options.HorzScroll = 0;
  Redraw();
  EXPECT_FALSE(HasBar(SB_HORZ));
}

}  // namespace
}  // namespace zorvo
