#include <windows.h>

#include <gtest/gtest.h>

#include "common/system_error_text.h"

namespace zorvo {
namespace {

// The system table's own text, trimmed; empty when it has none.
std::wstring FormatFromSystem(uint32_t code) {
  wchar_t* buffer = nullptr;
  DWORD length = FormatMessageW(0x13FF, nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0,
                                nullptr);
  std::wstring text;
  if (buffer != nullptr) {
    text.assign(buffer, length);
    LocalFree(buffer);
  }
  TrimTrailingBlanks(text);
  return text;
}

TEST(SystemErrorTextWin32Test, SystemTextComesFirstAndIsTrimmed) {
  for (uint32_t code : {2u, 32u, 10061u}) {
    const std::wstring expected = FormatFromSystem(code);
    ASSERT_FALSE(expected.empty()) << code;
    EXPECT_EQ(SystemErrorText(code), expected) << code;
  }
}

TEST(SystemErrorTextWin32Test, ExceptionCodesFallBackToTheirNames) {
  // Windows may know an exception code itself; the tables answer otherwise.
  for (uint32_t code : {0xC0000005u, 0x80000003u, 0xC000013Au}) {
    const std::wstring system = FormatFromSystem(code);
    EXPECT_EQ(SystemErrorText(code), system.empty() ? ErrorNameFromTables(code) : system) << code;
  }
}

TEST(SystemErrorTextWin32Test, MessageModulesThatAreMissingOrSilentYieldNothing) {
  // Low words in the ranges of the message modules, full codes nobody knows.
  for (uint32_t code : {0xE0000E10u, 0xE0000836u, 0xE000274Du}) {
    EXPECT_EQ(SystemErrorText(code), std::nullopt) << code;
  }
}

}  // namespace
}  // namespace zorvo
