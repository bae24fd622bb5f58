// The screen font: the record it is made from and the helpers that printing
// shares.
#pragma once

#include <windows.h>

namespace zorvo {

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
HFONT CreateScreenFont(HDC dc, int zoomSteps, LOGFONTW& font);
// The largest negative pixel height at which `characters` average
// characters of `font`'s face fit `width` pixels; the smallest tried when
// none does. `font`'s height is left at the result.
int FitFontToWidth(HDC dc, LOGFONTW& font, int characters, int width);

}  // namespace zorvo
