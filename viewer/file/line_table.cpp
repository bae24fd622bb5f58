#include "viewer/file/line_table.h"

namespace zorvo {

LineTable::LineTable(int32_t slots, int32_t textCapacity)
    : Acnt(slots),
      Tlen(textCapacity),
      entries_(new LineEntry[slots]()),
      chars_(new char[textCapacity > 0 ? textCapacity : 1]) {}

}  // namespace zorvo
