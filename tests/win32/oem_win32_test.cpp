// The native build shows OEM text through embedded data; these tests keep
// that data equal to what the Windows conversion functions give here.
#include <windows.h>
// <winuser.h> keeps old macros with the names of our functions.
#undef AnsiToOem
#undef OemToAnsi

#include <gtest/gtest.h>

#include "viewer/file/code_tables.h"
#include "viewer/file/cp437_table.h"

namespace zorvo {
namespace {

CodeTable AllBytes() {
  CodeTable t{};
  for (int i = 0; i < 256; ++i) t[i] = static_cast<unsigned char>(i);
  return t;
}

TEST(OemWin32, CodePages) {
  EXPECT_EQ(GetOEMCP(), 437u);
  EXPECT_EQ(GetACP(), 1252u);
}

TEST(OemWin32, SystemConversionsMatchEmbeddedData) {
  const CodeTable in = AllBytes();
  CodeTable toAnsi{};
  CodeTable toOem{};
  OemToCharBuffA(reinterpret_cast<const char*>(in.data()), reinterpret_cast<char*>(toAnsi.data()),
                 256);
  CharToOemBuffA(reinterpret_cast<const char*>(in.data()), reinterpret_cast<char*>(toOem.data()),
                 256);
  for (int i = 0; i < 256; ++i) {
    EXPECT_EQ(toAnsi[i], kOem437ToAnsi[i]) << "OEM byte " << i;
    EXPECT_EQ(toOem[i], kAnsiToOem437[i]) << "ANSI byte " << i;
  }
}

// Our wrappers convert in place.
TEST(OemWin32, InPlaceConversionsMatchEmbeddedData) {
  CodeTable t = AllBytes();
  OemToAnsi(t.data(), t.size());
  EXPECT_EQ(t, kOem437ToAnsi);
  t = AllBytes();
  AnsiToOem(t.data(), t.size());
  EXPECT_EQ(t, kAnsiToOem437);
}

}  // namespace
}  // namespace zorvo
