#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/system_error_text.h"

namespace zorvo {
namespace {

// What a user reads for a few codes: the words of Windows, or of Wine,
// with the line break the system's table ends them with trimmed.
TEST(SystemErrorTextWin32Test, TheSystemsOwnWordsTrimmed) {
  const struct {
    uint32_t code;
    std::vector<std::wstring> texts;
  } cases[] = {
      {112, {L"There is not enough space on the disk.", L"Disk full."}},
      {32,
       {L"The process cannot access the file because it is being used by another process.",
        L"Sharing violation."}},
      {5, {L"Access is denied.", L"Access denied."}},
  };
  for (const auto& c : cases) {
    const std::optional<std::wstring> text = SystemErrorText(c.code);
    ASSERT_TRUE(text.has_value()) << c.code;
    EXPECT_NE(std::find(c.texts.begin(), c.texts.end(), *text), c.texts.end())
        << c.code << ": " << std::string(text->begin(), text->end());
  }
}

TEST(SystemErrorTextWin32Test, ExceptionCodesAlwaysHaveWords) {
  // The system's, when it knows the code; else the name from the tables.
  for (uint32_t code : {0xC0000005u, 0x80000003u, 0xC000013Au}) {
    const std::optional<std::wstring> text = SystemErrorText(code);
    ASSERT_TRUE(text.has_value()) << code;
    ASSERT_FALSE(text->empty()) << code;
    EXPECT_GT(static_cast<uint32_t>(text->back()), 32u) << code << " is trimmed";
  }
  EXPECT_EQ(SystemErrorText(0xC000013A).value_or(L""), L"EXCEPTION - Control-C exit")
      << "a code the system's table lacks";
}

TEST(SystemErrorTextWin32Test, MessageModulesThatAreMissingOrSilentYieldNothing) {
  // Low words in the ranges of the message modules, full codes nobody knows.
  for (uint32_t code : {0xE0000E10u, 0xE0000836u, 0xE000274Du}) {
    EXPECT_EQ(SystemErrorText(code), std::nullopt) << code;
  }
}

}  // namespace
}  // namespace zorvo
