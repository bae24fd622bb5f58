#include "viewer/frame/screen.h"

#include <algorithm>
#include <cstdlib>

namespace zorvo {

int32_t ZoomedHeight(int32_t height, int32_t zoomSteps) {
  if (zoomSteps == 0) return height;
  const int32_t size = std::abs(height);
  const int32_t step = size / 5;
  const int32_t zoomed = std::max(size + step * zoomSteps, 1);
  return height < 0 ? -zoomed : zoomed;
}

int32_t HeightForPoints(int32_t points, int32_t dpi) {
  return -((points * dpi + 35) / 72);
}

int32_t PointsForHeight(int32_t height, int32_t dpi) {
  if (dpi < 1) dpi = 96;
  return -((height * 72 - dpi / 2) / dpi);
}

FontHeight ResolveFontHeight(int32_t recordHeight, int32_t fontSize, int32_t dpi) {
  if (recordHeight < 0) return {recordHeight, PointsForHeight(recordHeight, dpi)};
  return {HeightForPoints(fontSize, dpi), fontSize};
}

LayoutDecision DecideLayout(const LayoutInput& in) {
  LayoutDecision out;
  const bool wrap = (in.options & kScreenWrap) != 0;
  const int32_t charWidth = std::max(in.charWidth, 1);
  // Without wrapping the table is built at the longest line length; the
  // width below only matters for wrapped lines.
  const int32_t width = wrap ? in.clientWidth : (in.clientWidth + in.charWidth) * 3;
  int32_t n = width / charWidth;
  if ((in.options & kScreenFixedLength) != 0 || !wrap) n = in.maxLineLength;
  out.resetHorizontal = wrap;
  out.layoutWidth = in.layoutWidth;
  if (!(in.sizeReason && n == in.layoutWidth) &&
      (n > in.layoutWidth || n < in.layoutWidth / 2 || wrap || in.forced)) {
    out.rebuild = true;
    out.layoutWidth = n;
  }
  out.horizontalPage = std::max(in.clientWidth / (3 * charWidth), 1);
  return out;
}

ColorPair RowColors(uint32_t flags) {
  if (flags & kMessageLine) return {kMessageText, kMessageBgnd};
  if (flags & kTagMask) return {kTagText, kTagBgnd};
  return {kWindowText, kWindowBgnd};
}

std::string_view MarkerText(uint32_t flags, bool showMessages) {
  if (!showMessages || (flags & kMarkerMask) == 0) return {};
  return (flags & kTruncated) ? std::string_view(" [Truncated...] ")
                              : std::string_view(" [Incomplete Line...] ");
}

int32_t SplitX(int32_t charWidth, int32_t freezeColumns) {
  return freezeColumns > 0 ? charWidth * freezeColumns + 3 : 0;
}

TextSpan VisibleText(const LineEntry& line, int32_t horizontalOffset, int32_t freezeColumns) {
  if (line.flags & kPageGap) return {};
  const int32_t begin = std::max(horizontalOffset, 0) + std::max(freezeColumns, 0);
  if (line.length <= begin) return {};
  return {begin, std::min(line.length - begin, kMaxDrawnChars)};
}

TextSpan FrozenText(const LineEntry& line, int32_t freezeColumns) {
  return {0, std::clamp(line.length, 0, std::max(freezeColumns, 0))};
}

int32_t FirstTextRow(int32_t updateTop, int32_t lineHeight, int32_t titleCount) {
  const int32_t row = std::max(updateTop, 0) / std::max(lineHeight, 1);
  return std::max(row, titleCount);
}

int32_t FirstRowIndex(int32_t acur, int32_t updateTop, int32_t lineHeight, int32_t titleCount) {
  return acur + FirstTextRow(updateTop, lineHeight, titleCount) - titleCount;
}

RowPlan PlanRow(const LineEntry& line, const RowGeometry& g, int32_t extent) {
  RowPlan plan;
  plan.colors = RowColors(line.flags);
  plan.split = SplitX(g.charWidth, g.freezeColumns);
  if (g.freezeColumns > 0) plan.frozen = FrozenText(line, g.freezeColumns);
  plan.visible = VisibleText(line, g.horizontalOffset, g.freezeColumns);
  int32_t width = 0;
  if ((line.flags & kPageGap) == 0) {
    // Padding makes short lines as wide as the longest the file may have;
    // wider than any window is as wide as needed.
    const int64_t padded =
        (int64_t{g.padLineLength} - g.horizontalOffset - g.freezeColumns) * g.charWidth;
    width =
        static_cast<int32_t>(std::max<int64_t>(extent, std::min<int64_t>(padded, kMaxRowWidth)));
  }
  plan.textEnd = plan.split + width + (width > 0 ? 2 : 0);
  plan.fillRight = g.showBackground ? plan.textEnd + 1 : g.clientWidth + 1;
  const bool endInside = plan.textEnd < g.clientWidth;
  plan.backgroundAfter = g.showBackground && endInside;
  if (endInside) {
    plan.marker = MarkerText(line.flags, g.showMessages);
    plan.markerX = plan.textEnd + 2;
  }
  plan.pageBreak = (line.flags & kPageBreak) != 0;
  return plan;
}

bool RowSelected(int64_t offset, int64_t nextOffset, const Selection& selection) {
  return selection.start < nextOffset && offset < selection.end;
}

int32_t BlankAreaTop(int32_t titleCount, int32_t acur, int32_t alast, int32_t lineHeight,
                     int32_t clientHeight) {
  const int64_t top = static_cast<int64_t>(titleCount + std::max(alast - acur, 0)) * lineHeight;
  return top < clientHeight ? static_cast<int32_t>(top) : -1;
}

ScrollBar VerticalBar(const VerticalInput& in) {
  if (in.vertScroll == 0 || !in.haveFile || in.fileLength <= 0) return {};
  if (in.vertScroll == 2 && in.acur == 0 &&
      in.alast <= in.clientHeight / std::max(in.lineHeight, 1) - in.titleCount) {
    return {};
  }
  const double fraction = static_cast<double>(in.topOffset) / static_cast<double>(in.fileLength);
  const int32_t pos = static_cast<int32_t>(fraction * kScrollScale);
  return {kScrollScale, std::clamp(pos, 0, kScrollScale)};
}

ScrollBar HorizontalBar(const HorizontalInput& in) {
  if (in.horzScroll == 0) return {};
  if (in.horzScroll == 2 &&
      static_cast<int64_t>(in.layoutWidth) * in.charWidth <= in.clientWidth &&
      in.horizontalOffset == 0) {
    return {};
  }
  const int32_t max = std::max(in.layoutWidth - 1, 0);
  return {max, std::clamp(in.horizontalOffset, 0, max)};
}

}  // namespace zorvo
