// The screen font: the record it is made from and the helpers that printing
// shares.
#pragma once

#include <windows.h>

#include <string_view>

namespace zorvo {

struct FormatOptions;

// The font record: face, weight and italic come from the view options at
// every UM_FONT; its height is never zoomed. A negative height is a pixel
// height and decides FontSize. To pick one (the font dialog, fitting), set
// it and FontSize 0, then send UM_FONT; a FontSize changed to anything else
// since the last UM_FONT wins over the pixel height.
LOGFONTW& ScreenFontRecord();
// The font the window paints with; null before the first UM_FONT.
HFONT ScreenFont();

// Creates the font of `font` for `dc` zoomed by `zoomSteps`, settling the
// record's height and FontSize against each other first. Null on failure.
HFONT CreateScreenFont(FormatOptions& options, HDC dc, int zoomSteps, LOGFONTW& font);
// The character height, as a negative pixel height from -2 down to -99, of
// the largest font of `font`'s face in which `text` is at most `width`
// pixels wide: one pixel less than the first that is wider. `font`'s
// height is left at the result.
int FitFontToWidth(HDC dc, LOGFONTW& font, std::string_view text, int width);

}  // namespace zorvo
