// OEM conversions without the Windows functions: the code page 437 data they
// would give, so both builds show the same characters.
#include "viewer/file/code_tables.h"
#include "viewer/file/cp437_table.h"

namespace zorvo {

void OemToAnsi(unsigned char* bytes, size_t count) {
  for (size_t i = 0; i < count; ++i) bytes[i] = kOem437ToAnsi[bytes[i]];
}

void AnsiToOem(unsigned char* bytes, size_t count) {
  for (size_t i = 0; i < count; ++i) bytes[i] = kAnsiToOem437[bytes[i]];
}

}  // namespace zorvo
