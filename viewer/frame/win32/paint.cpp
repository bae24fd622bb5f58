// The screen font, the layout width and painting. The decisions live in
// screen.cpp; this file measures and draws.
#include <windows.h>

#include <algorithm>
#include <cwchar>

#include "viewer/frame/screen.h"
#include "viewer/frame/view_state.h"
#include "viewer/frame/win32/frame.h"
#include "viewer/frame/win32/screen_font.h"
#include "viewer/settings/colors.h"
#include "viewer/settings/format_options.h"

namespace zorvo {
namespace {

HFONT g_screenFont = nullptr;
bool g_stockFont = false;  // the stock fallback is never deleted
int32_t g_madeFontSize = 0;  // FontSize when the screen font was last made

// Fitting tries character heights from 2 pixels up to 100.
constexpr int kFirstFit = -2;
constexpr int kLastFit = -100;

void RecordFromOptions(const FormatOptions& options, LOGFONTW& font) {
  std::wmemset(font.lfFaceName, 0, LF_FACESIZE);
  std::wcsncpy(font.lfFaceName, options.FontFace.c_str(), LF_FACESIZE - 1);
  font.lfWeight = options.FontWeight;
  font.lfItalic = options.FontItalic;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfPitchAndFamily = FF_MODERN;  // a missing face falls back to a fixed-pitch one
}

void ReleaseFont() {
  if (g_screenFont && !g_stockFont) DeleteObject(g_screenFont);
  g_screenFont = nullptr;
  g_stockFont = false;
}

struct ClientSize {
  int32_t width = 0;
  int32_t height = 0;
};

ClientSize ClientOf(HWND window) {
  Viewer& app = ViewerOf(window);
  RECT rc{};
  if (!GetClientRect(window, &rc)) return {app.doc.view.clientWidth, app.doc.view.clientHeight};
  return {rc.right - rc.left, rc.bottom - rc.top};
}

// One part of a row: its background filled over `clip` and the text on it.
void DrawPart(const ColorTable& table, HDC dc, int x, const RECT& clip, const char* text, int32_t length,
              ColorPair colors) {
  if (clip.left >= clip.right) return;
  SetTextColor(dc, table[colors.text]);
  SetBkColor(dc, table[colors.background]);
  ExtTextOutA(dc, x, clip.top, ETO_CLIPPED | ETO_OPAQUE, &clip, text,
              static_cast<UINT>(std::max(length, 0)), nullptr);
}

void Line(const ColorTable& colors, HDC dc, int style, int x0, int y0, int x1, int y1) {
  HPEN pen = CreatePen(style, 1, colors[kWindowText]);
  if (!pen) return;
  HGDIOBJ old = SelectObject(dc, pen);
  // The gaps of a dotted line leave the row's colours as they are.
  const int mode = SetBkMode(dc, TRANSPARENT);
  MoveToEx(dc, x0, y0, nullptr);
  LineTo(dc, x1, y1);
  SetBkMode(dc, mode);
  SelectObject(dc, old);
  DeleteObject(pen);
}

void PaintTitles(Viewer& app, HDC dc, const LineTable& titles, int32_t split, ClientSize client) {
  const ViewState& view = app.doc.view;
  const int32_t freeze = std::max(app.settings.options.FreezeColumns, 0);
  const int32_t lineHeight = std::max(view.lineHeight, 1);
  const ColorPair heading{kHeadingText, kHeadingBgnd};
  int32_t y = 0;
  for (int32_t i = titles.Acur; i < titles.Alast && y < client.height; ++i, y += lineHeight) {
    const LineEntry& line = titles[i];
    const char* text = titles.TextOf(i);
    if (freeze > 0) {
      const TextSpan frozen = FrozenText(line, freeze);
      const RECT clip{0, y, split - 1, y + lineHeight};
      DrawPart(app.settings.colors, dc, 0, clip, text + frozen.begin, frozen.length, heading);
    }
    const TextSpan visible = VisibleText(line, view.horizontalOffset, freeze);
    const RECT clip{split, y, client.width + 1, y + lineHeight};
    DrawPart(app.settings.colors, dc, split, clip, text + visible.begin, visible.length, heading);
  }
  const int32_t bottom = TitleCount(app.doc.titles) * lineHeight - 1;
  Line(app.settings.colors, dc, PS_SOLID, 0, bottom, client.width + 1, bottom);
}

// Draws the rows the update rectangle touches; returns the bottom of the
// last one drawn.
int32_t PaintRows(Viewer& app, HDC dc, HBRUSH background, const RECT& update, ClientSize client) {
  ViewState& view = app.doc.view;
  const FormatOptions& options = app.settings.options;
  LineTable& table = app.doc.screen;
  const int32_t titleCount = TitleCount(app.doc.titles);
  const int32_t lineHeight = std::max(view.lineHeight, 1);
  RowGeometry geometry;
  geometry.clientWidth = client.width;
  geometry.charWidth = view.charWidth;
  geometry.horizontalOffset = view.horizontalOffset;
  geometry.freezeColumns = std::max(options.FreezeColumns, 0);
  geometry.padLineLength = app.settings.globals.PadLineLength;
  geometry.showBackground = (options.CurrentOptions & kScreenShowBackground) != 0;
  geometry.showMessages = options.ShowMessages != 0;
  const int32_t split = SplitX(geometry.charWidth, geometry.freezeColumns);
  const ColorTable& colors = app.settings.colors;

  view.topOffset = table[table.Acur].offset;
  const int32_t firstRow = FirstTextRow(update.top, lineHeight, titleCount);
  int32_t index = table.Acur + firstRow - titleCount;
  int32_t y = firstRow * lineHeight;
  for (; index < table.Alast && y < update.bottom; ++index, y += lineHeight) {
    const LineEntry& line = table[index];
    const char* text = table.TextOf(index);
    const TextSpan visible = VisibleText(line, geometry.horizontalOffset, geometry.freezeColumns);
    SIZE extent{0, 0};
    if (visible.length > 0) GetTextExtentPoint32A(dc, text + visible.begin, visible.length, &extent);
    const RowPlan plan = PlanRow(line, geometry, extent.cx);

    if (geometry.freezeColumns > 0) {
      const RECT clip{0, y, split - 1, y + lineHeight};
      DrawPart(app.settings.colors, dc, 0, clip, text + plan.frozen.begin, plan.frozen.length,
               {kHeadingText, kHeadingBgnd});
    }
    const RECT fill{split, y, plan.fillRight, y + lineHeight};
    DrawPart(app.settings.colors, dc, split + 1, fill, text + visible.begin, visible.length, plan.colors);
    if (plan.backgroundAfter) {
      const RECT rest{plan.textEnd, y, client.width + 1, y + lineHeight};
      FillRect(dc, &rest, background);
    }
    if (!plan.marker.empty()) {
      SetTextColor(dc, colors[kCommentText]);
      SetBkColor(dc, colors[kCommentBgnd]);
      ExtTextOutA(dc, plan.markerX, y, 0, nullptr, plan.marker.data(),
                  static_cast<UINT>(plan.marker.size()), nullptr);
    }
    if (plan.pageBreak) Line(app.settings.colors, dc, PS_DOT, 0, y, client.width + 1, y);
    if (RowSelected(line.offset, table[index + 1].offset, view.selection)) {
      const RECT row{0, y, client.width + 1, y + lineHeight};
      InvertRect(dc, &row);
    }
  }
  return y;
}

// Changes a bar only when it differs: setting a range can show or hide the
// bar, which resizes the client area and sends WM_SIZE.
void ApplyBar(HWND window, int bar, const ScrollBar& want) {
  SCROLLINFO now{};
  now.cbSize = sizeof now;
  now.fMask = SIF_RANGE | SIF_POS;
  if (!GetScrollInfo(window, bar, &now)) now.nMin = now.nMax = now.nPos = 0;
  if (now.nMin == 0 && now.nMax == want.max && now.nPos == want.pos) return;
  SCROLLINFO set{};
  set.cbSize = sizeof set;
  set.fMask = SIF_RANGE | SIF_POS;
  set.nMin = 0;
  set.nMax = want.max;
  set.nPos = want.pos;
  SetScrollInfo(window, bar, &set, TRUE);
}

void UpdateScrollBars(HWND window) {
  Viewer& app = ViewerOf(window);
  const ViewState& view = app.doc.view;
  const FormatOptions& options = app.settings.options;
  const FileRecord& file = app.doc.file;
  const LineTable& table = app.doc.screen;
  const ClientSize client = ClientOf(window);

  VerticalInput vertical;
  vertical.vertScroll = options.VertScroll;
  vertical.haveFile = !file.path.empty();
  vertical.fileLength = file.Flen;
  vertical.topOffset = view.topOffset;
  vertical.acur = table.Acur;
  vertical.alast = table.Alast;
  vertical.clientHeight = client.height;
  vertical.lineHeight = view.lineHeight;
  vertical.titleCount = TitleCount(app.doc.titles);
  ApplyBar(window, SB_VERT, VerticalBar(vertical));

  HorizontalInput horizontal;
  horizontal.horzScroll = options.HorzScroll;
  horizontal.layoutWidth = view.layoutWidth;
  horizontal.charWidth = view.charWidth;
  horizontal.clientWidth = client.width;
  horizontal.horizontalOffset = view.horizontalOffset;
  ApplyBar(window, SB_HORZ, HorizontalBar(horizontal));
}

}  // namespace

LOGFONTW& ScreenFontRecord() {
  static LOGFONTW record{};
  return record;
}

HFONT ScreenFont() { return g_screenFont; }

HFONT CreateScreenFont(FormatOptions& options, HDC dc, int zoomSteps, LOGFONTW& font) {
  const FontHeight settled =
      ResolveFontHeight(font.lfHeight, options.FontSize, GetDeviceCaps(dc, LOGPIXELSY));
  options.FontSize = settled.fontSize;
  font.lfHeight = ZoomedHeight(settled.height, zoomSteps);
  HFONT created = CreateFontIndirectW(&font);
  font.lfHeight = settled.height;
  return created;
}

int FitFontToWidth(HDC dc, LOGFONTW& font, std::string_view text, int width) {
  int h = kFirstFit;
  for (; h > kLastFit; --h) {
    font.lfHeight = h;
    HFONT trial = CreateFontIndirectW(&font);
    if (!trial) break;
    HGDIOBJ old = SelectObject(dc, trial);
    SIZE extent{};
    const bool measured =
        GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &extent) != 0;
    SelectObject(dc, old);
    DeleteObject(trial);
    if (!measured || extent.cx > width) break;
  }
  // The last height that fitted (one pixel smaller than the first that did
  // not), -99 when even -100 fitted.
  font.lfHeight = h + 1;
  return font.lfHeight;
}

void OnFont(HWND window) {
  Viewer& app = ViewerOf(window);
  HDC dc = GetDC(window);
  if (!dc) return;
  ReleaseFont();
  FormatOptions& options = app.settings.options;
  LOGFONTW& record = ScreenFontRecord();
  // A point size changed since the last font (a setup, the options) wins
  // over an older pixel height; FontSize 0 leaves the choice to the record.
  if (options.FontSize >= 1 && options.FontSize != g_madeFontSize) record.lfHeight = 0;
  if (options.FontSize < 1) options.FontSize = 10;
  RecordFromOptions(app.settings.options, record);
  g_screenFont = CreateScreenFont(app.settings.options, dc, app.doc.view.zoomSteps, record);
  g_madeFontSize = options.FontSize;
  if (!g_screenFont) {
    g_screenFont = static_cast<HFONT>(GetStockObject(ANSI_FIXED_FONT));
    g_stockFont = true;
  }
  HGDIOBJ old = SelectObject(dc, g_screenFont);
  TEXTMETRICW metrics{};
  if (GetTextMetricsW(dc, &metrics)) {
    // Zero would divide every row computation by zero.
    app.doc.view.lineHeight = std::max<int32_t>(metrics.tmHeight, 1);
    app.doc.view.charWidth = std::max<int32_t>(metrics.tmAveCharWidth, 1);
  }
  SelectObject(dc, old);
  ReleaseDC(window, dc);
}

void OnLayout(HWND window, bool forced, bool sizeReason) {
  Viewer& app = ViewerOf(window);
  ViewState& view = app.doc.view;
  const ClientSize client = ClientOf(window);
  view.clientWidth = client.width;
  view.clientHeight = client.height;
  const FormatOptions& options = app.settings.options;
  LayoutInput in;
  in.options = options.CurrentOptions;
  in.clientWidth = view.clientWidth;
  in.charWidth = view.charWidth;
  in.layoutWidth = view.layoutWidth;
  in.maxLineLength = options.MaxLineLength;
  in.sizeReason = sizeReason;
  in.forced = forced;
  const LayoutDecision decision = DecideLayout(in);
  if (decision.resetHorizontal) view.horizontalOffset = 0;
  if (decision.rebuild) {
    view.layoutWidth = decision.layoutWidth;
    PostMessageW(window, UM_RELOAD, 0, -1);  // keeps the top line
  }
  view.horizontalStep = 1;
  view.horizontalPage = decision.horizontalPage;
}

void OnPaint(HWND window) {
  Viewer& app = ViewerOf(window);
  PAINTSTRUCT ps{};
  HDC dc = BeginPaint(window, &ps);
  if (!dc) return;
  const ClientSize client = ClientOf(window);
  const ViewState& view = app.doc.view;
  const int32_t lineHeight = std::max(view.lineHeight, 1);
  const int32_t freeze = std::max(app.settings.options.FreezeColumns, 0);
  const int32_t split = SplitX(view.charWidth, freeze);
  const int32_t titleCount = TitleCount(app.doc.titles);

  HGDIOBJ oldFont = g_screenFont ? SelectObject(dc, g_screenFont) : nullptr;
  HBRUSH background = CreateSolidBrush(app.settings.colors[kBackground]);
  HGDIOBJ oldBrush = background ? SelectObject(dc, background) : nullptr;
  HGDIOBJ defaultPen = SelectObject(dc, GetStockObject(NULL_PEN));

  const std::unique_ptr<LineTable>& titles = app.doc.titles;
  if (titles && titleCount > 0 && ps.rcPaint.top < titleCount * lineHeight) {
    PaintTitles(app, dc, *titles, split, client);
  }

  if (!app.doc.file.path.empty()) {
    const int32_t bottom = PaintRows(app, dc, background, ps.rcPaint, client);
    if (freeze > 0) Line(app.settings.colors, dc, PS_SOLID, split - 1, 0, split - 1, bottom);
    const LineTable& table = app.doc.screen;
    const int32_t blank =
        BlankAreaTop(titleCount, table.Acur, table.Alast, lineHeight, client.height);
    if (blank >= 0) {
      // Only the top edge of this rectangle lies inside the window.
      SelectObject(dc, defaultPen);
      Rectangle(dc, -1, blank, client.width + 1, client.height + 1);
    }
  }

  SelectObject(dc, defaultPen);
  if (oldBrush) SelectObject(dc, oldBrush);
  if (background) DeleteObject(background);
  if (oldFont) SelectObject(dc, oldFont);
  EndPaint(window, &ps);
  // After EndPaint: a bar that appears or goes resizes the window, and that
  // paint is better started afresh.
  UpdateScrollBars(window);
}

void FitFontSize(HWND window) {
  Viewer& app = ViewerOf(window);
  // The longest line of the table; the first of equal lengths.
  const LineTable& table = app.doc.screen;
  int32_t longest = -1;
  for (int32_t i = table.Afirst; i < table.Alast; ++i) {
    if (longest < 0 || table[i].length > table[longest].length) longest = i;
  }
  if (longest < 0 || table[longest].length < 1) return;  // nothing to fit: any size would do
  app.doc.view.zoomSteps = 0;
  app.settings.options.FontSize = 0;  // the fitted pixel height decides it at UM_FONT
  LOGFONTW& record = ScreenFontRecord();
  RecordFromOptions(app.settings.options, record);
  HDC dc = GetDC(window);
  if (dc) {
    // The text starts one pixel in, and frozen columns add their border.
    const int32_t border = SplitX(0, std::max(app.settings.options.FreezeColumns, 0)) + 1;
    FitFontToWidth(
        dc, record,
        std::string_view(table.TextOf(longest), static_cast<size_t>(table[longest].length)),
        ClientOf(window).width - border);
    ReleaseDC(window, dc);
  }
  // As a zoom does: the new font, and the lines laid out again for it.
  SendMessageW(window, UM_FONT, 0, 0);
  app.doc.view.layoutWidth = -1;
  SendMessageW(window, UM_LAYOUT, 0, kLayoutRebuild);
  InvalidateRect(window, nullptr, TRUE);
}

void DestroyScreenFont() { ReleaseFont(); }

RECT TextArea(HWND window) {
  Viewer& app = ViewerOf(window);
  RECT rc{};
  GetClientRect(window, &rc);
  rc.top = std::min<LONG>(
      static_cast<LONG>(TitleCount(app.doc.titles)) * std::max(app.doc.view.lineHeight, 1),
      rc.bottom);
  return rc;
}

}  // namespace zorvo
