#include <windows.h>

#include "viewer/settings/colors.h"

namespace zorvo {

ColorRef SystemColor(int index) { return GetSysColor(index); }

}  // namespace zorvo
