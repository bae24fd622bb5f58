// The surface of a printer's device context: page layout draws through it.
#pragma once

#include <windows.h>

#include <memory>

#include "viewer/print/print_surface.h"

namespace zorvo {

// Draws on `dc` for the job of the abort dialog; the fonts it makes are
// deleted with it.
// `progressDelay`: milliseconds before skipping shows how far it has come.
std::unique_ptr<PrintSurface> MakeDcSurface(HDC dc, int32_t progressDelay);

}  // namespace zorvo
