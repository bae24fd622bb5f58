// OEM conversions through the system, which follows the machine's OEM and
// ANSI code pages.
#include <windows.h>
// <winuser.h> keeps old macros with the names of our functions.
#undef AnsiToOem
#undef OemToAnsi

#include <algorithm>

#include "viewer/file/code_tables.h"

namespace zorvo {
namespace {

// The functions take a DWORD length and convert in place when source and
// destination are the same buffer.
constexpr size_t kChunk = 1u << 30;

}  // namespace

void OemToAnsi(unsigned char* bytes, size_t count) {
  while (count > 0) {
    const DWORD n = static_cast<DWORD>(std::min(count, kChunk));
    char* p = reinterpret_cast<char*>(bytes);
    OemToCharBuffA(p, p, n);
    bytes += n;
    count -= n;
  }
}

void AnsiToOem(unsigned char* bytes, size_t count) {
  while (count > 0) {
    const DWORD n = static_cast<DWORD>(std::min(count, kChunk));
    char* p = reinterpret_cast<char*>(bytes);
    CharToOemBuffA(p, p, n);
    bytes += n;
    count -= n;
  }
}

}  // namespace zorvo
