#include "viewer/frame/screen.h"

#include <gtest/gtest.h>

namespace zorvo {
namespace {

LineEntry Line(int32_t length, uint32_t flags = 0, int64_t offset = 0) {
  LineEntry line;
  line.offset = offset;
  line.length = length;
  line.flags = flags;
  return line;
}

// --- Font heights ---

TEST(ScreenFont, ZoomStepsAreAFifthOfTheHeight) {
  EXPECT_EQ(ZoomedHeight(13, 3), 19);
  EXPECT_EQ(ZoomedHeight(13, 0), 13);
  EXPECT_EQ(ZoomedHeight(13, -3), 7);
  EXPECT_EQ(ZoomedHeight(20, 1), 24);
}

TEST(ScreenFont, NegativeHeightsKeepTheirSign) {
  EXPECT_EQ(ZoomedHeight(-13, 3), -19);
  EXPECT_EQ(ZoomedHeight(-13, -3), -7);
  EXPECT_EQ(ZoomedHeight(-13, 0), -13);
}

TEST(ScreenFont, TinyFontsDoNotZoomAndNothingShrinksBelowOnePixel) {
  EXPECT_EQ(ZoomedHeight(4, 5), 4);
  EXPECT_EQ(ZoomedHeight(-4, -5), -4);
  EXPECT_EQ(ZoomedHeight(10, -9), 1);
  EXPECT_EQ(ZoomedHeight(-10, -9), -1);
}

TEST(ScreenFont, PointsAndPixelsAtCommonResolutions) {
  EXPECT_EQ(HeightForPoints(10, 96), -13);
  EXPECT_EQ(HeightForPoints(10, 120), -17);
  EXPECT_EQ(HeightForPoints(12, 96), -16);
  EXPECT_EQ(HeightForPoints(9, 108), -13);  // 13.98 pixels do not round up
  EXPECT_EQ(PointsForHeight(-13, 96), 10);
  EXPECT_EQ(PointsForHeight(-16, 96), 12);
  EXPECT_EQ(PointsForHeight(-17, 120), 10);
  // To the nearest point, halves upward: 15.75 and 16.5 points.
  EXPECT_EQ(PointsForHeight(-21, 96), 16);
  EXPECT_EQ(PointsForHeight(-22, 96), 17);
}

TEST(ScreenFont, PointSizesSurviveTheRoundTrip) {
  for (int32_t dpi : {72, 96, 120, 144, 192}) {
    for (int32_t points = 4; points <= 72; ++points) {
      EXPECT_EQ(PointsForHeight(HeightForPoints(points, dpi), dpi), points)
          << points << " pt at " << dpi << " dpi";
    }
  }
}

TEST(ScreenFont, PixelHeightDecidesThePointSize) {
  const FontHeight fitted = ResolveFontHeight(-16, 10, 96);
  EXPECT_EQ(fitted.height, -16);
  EXPECT_EQ(fitted.fontSize, 12);
  const FontHeight fromPoints = ResolveFontHeight(0, 10, 96);
  EXPECT_EQ(fromPoints.height, -13);
  EXPECT_EQ(fromPoints.fontSize, 10);
  // A positive height is not a choice of its own.
  EXPECT_EQ(ResolveFontHeight(30, 9, 96).height, HeightForPoints(9, 96));
}

// --- Layout ---

LayoutInput Layout(uint32_t options, int32_t clientWidth, int32_t layoutWidth) {
  LayoutInput in;
  in.options = options;
  in.clientWidth = clientWidth;
  in.charWidth = 8;
  in.layoutWidth = layoutWidth;
  in.maxLineLength = 4096;
  in.sizeReason = true;
  return in;
}

TEST(ScreenLayout, WrappedLinesRebuildAtEveryWidthChange) {
  const LayoutDecision narrower = DecideLayout(Layout(kScreenWrap, 640, 100));
  EXPECT_TRUE(narrower.rebuild);
  EXPECT_EQ(narrower.layoutWidth, 80);
  EXPECT_TRUE(narrower.resetHorizontal);
  const LayoutDecision slightlyNarrower = DecideLayout(Layout(kScreenWrap, 792, 100));
  EXPECT_TRUE(slightlyNarrower.rebuild);
  EXPECT_EQ(slightlyNarrower.layoutWidth, 99);
  const LayoutDecision wider = DecideLayout(Layout(kScreenWrap, 960, 100));
  EXPECT_TRUE(wider.rebuild);
  EXPECT_EQ(wider.layoutWidth, 120);
}

TEST(ScreenLayout, ResizeToTheSameColumnCountDoesNotRebuild) {
  const LayoutDecision same = DecideLayout(Layout(kScreenWrap, 805, 100));
  EXPECT_FALSE(same.rebuild);
  EXPECT_EQ(same.layoutWidth, 100);
  // A layout request (not a resize) rebuilds wrapped lines anyway.
  LayoutInput request = Layout(kScreenWrap, 805, 100);
  request.sizeReason = false;
  EXPECT_TRUE(DecideLayout(request).rebuild);
}

TEST(ScreenLayout, UnwrappedLinesKeepTheMaximumLengthThroughResizes) {
  const LayoutDecision first = DecideLayout(Layout(0, 640, -1));
  EXPECT_TRUE(first.rebuild);
  EXPECT_EQ(first.layoutWidth, 4096);
  EXPECT_FALSE(first.resetHorizontal);
  for (int32_t width : {100, 640, 2000, 0}) {
    const LayoutDecision resized = DecideLayout(Layout(0, width, 4096));
    EXPECT_FALSE(resized.rebuild) << width;
    EXPECT_EQ(resized.layoutWidth, 4096);
  }
}

TEST(ScreenLayout, FixedLineLengthWinsOverWrapping) {
  const LayoutDecision fixed = DecideLayout(Layout(kScreenWrap | kScreenFixedLength, 640, 80));
  EXPECT_TRUE(fixed.rebuild);
  EXPECT_EQ(fixed.layoutWidth, 4096);
  EXPECT_TRUE(fixed.resetHorizontal);
  EXPECT_FALSE(DecideLayout(Layout(kScreenWrap | kScreenFixedLength, 300, 4096)).rebuild);
}

TEST(ScreenLayout, ForcedRequestRebuildsEvenWhenNothingChanged) {
  LayoutInput in = Layout(0, 640, 4096);
  in.sizeReason = false;
  EXPECT_FALSE(DecideLayout(in).rebuild);
  in.forced = true;
  const LayoutDecision forced = DecideLayout(in);
  EXPECT_TRUE(forced.rebuild);
  EXPECT_EQ(forced.layoutWidth, 4096);
}

TEST(ScreenLayout, ShrinkingBelowHalfTheWidthRebuilds) {
  // A smaller maximum line length: rebuilt only once the table is more
  // than twice as wide as needed.
  LayoutInput in = Layout(0, 640, 4096);
  in.sizeReason = false;
  in.maxLineLength = 2048;
  EXPECT_FALSE(DecideLayout(in).rebuild);
  in.maxLineLength = 2047;
  const LayoutDecision shrunk = DecideLayout(in);
  EXPECT_TRUE(shrunk.rebuild);
  EXPECT_EQ(shrunk.layoutWidth, 2047);
}

TEST(ScreenLayout, HorizontalPageIsAThirdOfTheWindowInColumns) {
  EXPECT_EQ(DecideLayout(Layout(0, 640, 4096)).horizontalPage, 26);
  EXPECT_EQ(DecideLayout(Layout(0, 10, 4096)).horizontalPage, 1);
  LayoutInput noFont = Layout(kScreenWrap, 90, -1);
  noFont.charWidth = 0;
  const LayoutDecision d = DecideLayout(noFont);
  EXPECT_EQ(d.horizontalPage, 30);
  EXPECT_EQ(d.layoutWidth, 90);
}

// --- Rows ---

TEST(ScreenRows, MessageLinesWinOverTagsAndTagsOverText) {
  EXPECT_EQ(RowColors(0).text, kWindowText);
  EXPECT_EQ(RowColors(0).background, kWindowBgnd);
  EXPECT_EQ(RowColors(0x4).text, kTagText);
  EXPECT_EQ(RowColors(0x4).background, kTagBgnd);
  EXPECT_EQ(RowColors(kMessageLine | 0xF).text, kMessageText);
  EXPECT_EQ(RowColors(kMessageLine | 0xF).background, kMessageBgnd);
  // Markers and page marks do not colour the text.
  EXPECT_EQ(RowColors(kTruncated | kPageBreak).text, kWindowText);
}

TEST(ScreenRows, NotesFollowTheLineKindOnlyWhenMessagesAreShown) {
  EXPECT_EQ(MarkerText(kTruncated, true), " [Truncated...] ");
  EXPECT_EQ(MarkerText(kIncomplete, true), " [Incomplete Line...] ");
  EXPECT_EQ(MarkerText(kTruncated | kIncomplete, true), " [Truncated...] ");
  EXPECT_EQ(MarkerText(0x400, true), " [Incomplete Line...] ");
  EXPECT_TRUE(MarkerText(kTruncated, false).empty());
  EXPECT_TRUE(MarkerText(kTagMask | kMessageLine | kPageBreak, true).empty());
}

TEST(ScreenRows, VisiblePartStartsPastTheOffsetAndTheFrozenColumns) {
  const LineEntry line = Line(100);
  EXPECT_EQ(VisibleText(line, 0, 0).begin, 0);
  EXPECT_EQ(VisibleText(line, 0, 0).length, 100);
  EXPECT_EQ(VisibleText(line, 10, 5).begin, 15);
  EXPECT_EQ(VisibleText(line, 10, 5).length, 85);
  EXPECT_EQ(VisibleText(line, 99, 0).length, 1);
  EXPECT_EQ(VisibleText(line, 100, 0).length, 0);
  EXPECT_EQ(VisibleText(line, 60, 50).length, 0);
}

TEST(ScreenRows, OneTextCallDrawsAtMostTheCap) {
  EXPECT_EQ(VisibleText(Line(20000), 0, 0).length, kMaxDrawnChars);
  EXPECT_EQ(VisibleText(Line(20000), 19000, 0).length, 1000);
  EXPECT_EQ(VisibleText(Line(kMaxDrawnChars + 3), 2, 0).length, kMaxDrawnChars);
}

TEST(ScreenRows, FrozenColumnsShowAtMostTheLine) {
  EXPECT_EQ(FrozenText(Line(100), 8).length, 8);
  EXPECT_EQ(FrozenText(Line(3), 8).length, 3);
  EXPECT_EQ(FrozenText(Line(0), 8).length, 0);
  EXPECT_EQ(SplitX(8, 0), 0);
  EXPECT_EQ(SplitX(8, 10), 83);
}

TEST(ScreenRows, FirstRowNeverLiesAmongTheTitles) {
  EXPECT_EQ(FirstTextRow(0, 16, 2), 2);
  EXPECT_EQ(FirstRowIndex(40, 0, 16, 2), 40);
  EXPECT_EQ(FirstRowIndex(40, 31, 16, 2), 40);
  EXPECT_EQ(FirstRowIndex(40, 32, 16, 2), 40);
  EXPECT_EQ(FirstRowIndex(40, 48, 16, 2), 41);
  EXPECT_EQ(FirstRowIndex(40, 100, 16, 0), 46);
  EXPECT_EQ(FirstTextRow(100, 16, 0), 6);
}

RowGeometry Geometry() {
  RowGeometry g;
  g.clientWidth = 800;
  g.charWidth = 8;
  return g;
}

TEST(ScreenRowPlan, PlainRowFillsToTheRightEdge) {
  const RowPlan plan = PlanRow(Line(10), Geometry(), 80);
  EXPECT_EQ(plan.split, 0);
  EXPECT_EQ(plan.visible.length, 10);
  EXPECT_EQ(plan.frozen.length, 0);
  EXPECT_EQ(plan.textEnd, 82);
  EXPECT_EQ(plan.fillRight, 801);
  EXPECT_FALSE(plan.backgroundAfter);
  EXPECT_TRUE(plan.marker.empty());
  EXPECT_FALSE(plan.pageBreak);
}

TEST(ScreenRowPlan, ShowBackgroundEndsTheFillAtTheText) {
  RowGeometry g = Geometry();
  g.showBackground = true;
  const RowPlan plan = PlanRow(Line(10), g, 80);
  EXPECT_EQ(plan.fillRight, 83);
  EXPECT_TRUE(plan.backgroundAfter);
  // An empty line has no border after it.
  const RowPlan empty = PlanRow(Line(0), g, 0);
  EXPECT_EQ(empty.textEnd, 0);
  EXPECT_EQ(empty.fillRight, 1);
  // Text reaching the edge leaves no background to show.
  EXPECT_FALSE(PlanRow(Line(200), g, 1600).backgroundAfter);
}

TEST(ScreenRowPlan, PaddingWidensShortLinesOnly) {
  RowGeometry g = Geometry();
  g.padLineLength = 40;
  g.horizontalOffset = 5;
  g.freezeColumns = 3;
  // (40 - 5 - 3) * 8 = 256 beats the 16 measured pixels.
  const RowPlan padded = PlanRow(Line(20), g, 16);
  EXPECT_EQ(padded.split, 27);
  EXPECT_EQ(padded.textEnd, 27 + 256 + 2);
  EXPECT_EQ(PlanRow(Line(100), g, 700).textEnd, 27 + 700 + 2);
  // A padding wider than any window stays a width, not an overflow.
  g.padLineLength = INT32_MAX;
  g.charWidth = 100;
  const RowPlan wide = PlanRow(Line(20), g, 16);
  EXPECT_EQ(wide.textEnd, wide.split + kMaxRowWidth + 2);
  EXPECT_FALSE(wide.backgroundAfter);
}

TEST(ScreenRowPlan, PageGapShowsOnlyItsFrozenColumns) {
  RowGeometry g = Geometry();
  g.freezeColumns = 4;
  g.padLineLength = 80;
  g.showBackground = true;
  const RowPlan gap = PlanRow(Line(12, kPageGap | kTruncated), g, 0);
  EXPECT_EQ(gap.visible.length, 0);
  EXPECT_EQ(gap.frozen.length, 4);
  EXPECT_EQ(gap.textEnd, gap.split);
  EXPECT_EQ(gap.fillRight, gap.split + 1);
}

TEST(ScreenRowPlan, NoteGoesAfterTheTextWhileItEndsInsideTheWindow) {
  RowGeometry g = Geometry();
  const RowPlan truncated = PlanRow(Line(50, kTruncated), g, 400);
  EXPECT_EQ(truncated.marker, " [Truncated...] ");
  EXPECT_EQ(truncated.markerX, 404);
  EXPECT_TRUE(PlanRow(Line(100, kTruncated), g, 800).marker.empty());
  g.showMessages = false;
  EXPECT_TRUE(PlanRow(Line(50, kIncomplete), g, 400).marker.empty());
}

TEST(ScreenRowPlan, PageBreakAndColoursComeFromTheFlags) {
  const RowPlan plan = PlanRow(Line(5, kPageBreak | 0x2), Geometry(), 40);
  EXPECT_TRUE(plan.pageBreak);
  EXPECT_EQ(plan.colors.text, kTagText);
}

TEST(ScreenRows, SelectionCoversTheLinesItOverlaps) {
  Selection selection;
  EXPECT_FALSE(RowSelected(0, 10, selection));
  selection.start = 10;
  selection.end = 30;
  EXPECT_FALSE(RowSelected(0, 10, selection));
  EXPECT_TRUE(RowSelected(10, 20, selection));
  EXPECT_TRUE(RowSelected(25, 40, selection));
  EXPECT_TRUE(RowSelected(0, 11, selection));
  EXPECT_FALSE(RowSelected(30, 40, selection));
}

TEST(ScreenRows, BlankAreaOnlyWhenTheLinesEndAboveTheBottom) {
  EXPECT_EQ(BlankAreaTop(1, 0, 5, 16, 400), 96);
  EXPECT_EQ(BlankAreaTop(0, 10, 15, 16, 400), 80);
  EXPECT_EQ(BlankAreaTop(0, 0, 25, 16, 400), -1);
  EXPECT_EQ(BlankAreaTop(0, 0, 24, 16, 400), 384);
  EXPECT_EQ(BlankAreaTop(0, 0, 0, 16, 400), 0);
}

// --- Scroll bars ---

VerticalInput Vertical() {
  VerticalInput in;
  in.vertScroll = 2;
  in.haveFile = true;
  in.fileLength = 1000;
  in.clientHeight = 400;  // 25 rows
  in.lineHeight = 16;
  in.alast = 30;
  return in;
}

TEST(ScreenScrollBars, AutomaticBarHidesWhileTheFileFits) {
  VerticalInput in = Vertical();
  in.alast = 25;
  EXPECT_EQ(VerticalBar(in).max, 0);
  in.titleCount = 1;  // one row less for text
  EXPECT_EQ(VerticalBar(in).max, kScrollScale);
  in.titleCount = 0;
  in.acur = 1;
  EXPECT_EQ(VerticalBar(in).max, kScrollScale);
  in.acur = 0;
  in.vertScroll = 1;
  EXPECT_EQ(VerticalBar(in).max, kScrollScale);
}

TEST(ScreenScrollBars, NoVerticalBarWithoutAFileOrWhenTurnedOff) {
  VerticalInput in = Vertical();
  in.vertScroll = 0;
  EXPECT_EQ(VerticalBar(in), ScrollBar{});
  in = Vertical();
  in.haveFile = false;
  in.vertScroll = 1;
  EXPECT_EQ(VerticalBar(in), ScrollBar{});
  in = Vertical();
  in.fileLength = 0;
  in.vertScroll = 1;
  EXPECT_EQ(VerticalBar(in), ScrollBar{});
}

TEST(ScreenScrollBars, VerticalPositionIsTheTopOffsetsShare) {
  VerticalInput in = Vertical();
  in.topOffset = 500;
  EXPECT_EQ(VerticalBar(in).pos, 16383);
  in.topOffset = 1000;
  EXPECT_EQ(VerticalBar(in).pos, kScrollScale);
  in.fileLength = int64_t{1} << 40;  // files past 4 GiB must not overflow
  in.topOffset = int64_t{1} << 39;
  EXPECT_EQ(VerticalBar(in).pos, 16383);
}

HorizontalInput Horizontal(int mode, int32_t layoutWidth, int32_t offset) {
  HorizontalInput in;
  in.horzScroll = mode;
  in.layoutWidth = layoutWidth;
  in.charWidth = 8;
  in.clientWidth = 800;
  in.horizontalOffset = offset;
  return in;
}

TEST(ScreenScrollBars, AutomaticHorizontalBarOnlyWhileNeeded) {
  EXPECT_EQ(HorizontalBar(Horizontal(2, 100, 0)).max, 0);
  EXPECT_EQ(HorizontalBar(Horizontal(2, 101, 0)), (ScrollBar{100, 0}));
  // Scrolled sideways the bar stays, so the view can come back.
  EXPECT_EQ(HorizontalBar(Horizontal(2, 80, 5)), (ScrollBar{79, 5}));
  EXPECT_EQ(HorizontalBar(Horizontal(1, 80, 0)), (ScrollBar{79, 0}));
  EXPECT_EQ(HorizontalBar(Horizontal(0, 4096, 10)), ScrollBar{});
}

TEST(ScreenScrollBars, HorizontalPositionStaysInsideTheRange) {
  EXPECT_EQ(HorizontalBar(Horizontal(1, 4096, 5000)).pos, 4095);
  EXPECT_EQ(HorizontalBar(Horizontal(1, -1, 0)), ScrollBar{});
}

}  // namespace
}  // namespace zorvo
