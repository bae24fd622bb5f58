// Without a system palette the classic Windows scheme stands in.
#include "viewer/settings/colors.h"

#include <iterator>

namespace zorvo {

ColorRef SystemColor(int index) {
  // COLOR_SCROLLBAR (0) to COLOR_BTNHIGHLIGHT (20), as 0x00BBGGRR.
  static constexpr ColorRef kClassic[] = {
      0xC0C0C0, 0x808000, 0x800000, 0x808080, 0xC0C0C0, 0xFFFFFF, 0x000000,
      0x000000, 0x000000, 0xFFFFFF, 0xC0C0C0, 0xC0C0C0, 0x808080, 0x800000,
      0xFFFFFF, 0xC0C0C0, 0x808080, 0x808080, 0x000000, 0xC0C0C0, 0xFFFFFF,
  };
  if (index < 0 || index >= static_cast<int>(std::size(kClassic))) return 0;
  return kClassic[index];
}

}  // namespace zorvo
