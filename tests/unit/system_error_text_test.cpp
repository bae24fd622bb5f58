#include "common/system_error_text.h"

#include <gtest/gtest.h>

namespace zorvo {
namespace {

TEST(ErrorNameFromTablesTest, FullCodeLooksUpExceptionsThenSockets) {
  EXPECT_EQ(ErrorNameFromTables(0xC0000005), L"EXCEPTION - Access violation");
  EXPECT_EQ(ErrorNameFromTables(0x40000005), L"EXCEPTION - Segment notification");
  EXPECT_EQ(ErrorNameFromTables(0xC000013A), L"EXCEPTION - Control-C exit");
  EXPECT_EQ(ErrorNameFromTables(0), L"SOCKETS - NO_ERROR");
  EXPECT_EQ(ErrorNameFromTables(0xC0000007), std::nullopt);
  EXPECT_EQ(ErrorNameFromTables(0x00000005), std::nullopt);  // low word of a listed code
}

TEST(TrimTrailingBlanksTest, RemovesControlsAndSpacesAtTheEndOnly) {
  std::wstring text = L" a b.\r\n \t\x01";
  TrimTrailingBlanks(text);
  EXPECT_EQ(text, L" a b.");
  text = L"\r\n ";
  TrimTrailingBlanks(text);
  EXPECT_EQ(text, L"");
  text = L"x!";
  TrimTrailingBlanks(text);
  EXPECT_EQ(text, L"x!");
}

TEST(SystemErrorTextTest, KnownCodeHasTrimmedText) {
  std::optional<std::wstring> text = SystemErrorText(2);
  ASSERT_TRUE(text.has_value());
  ASSERT_FALSE(text->empty());
  EXPECT_GT(static_cast<uint32_t>(text->back()), 32u);
#ifndef _WIN32
  EXPECT_EQ(*text, L"No such file or directory");
#endif
}

TEST(SystemErrorTextTest, UnknownCodesFallBackToTablesOrNothing) {
#ifndef _WIN32
  // Codes the C library does not know go to the tables.
  EXPECT_EQ(SystemErrorText(0xC0000005), L"EXCEPTION - Access violation");
  EXPECT_EQ(SystemErrorText(99999), std::nullopt);
#endif
  EXPECT_EQ(SystemErrorText(0xE0000001), std::nullopt);
}

}  // namespace
}  // namespace zorvo
