// The rules numbers are written in; the callers' own tests cover the rest
// (the carriage-control parser, the field checks, zorvo-dump's options).
#include "common/number_text.h"

#include <gtest/gtest.h>

namespace zorvo {
namespace {

// As the C standard has strtol read with base 0 (one C library stops before
// the 0 of a "0x" without a digit); the value wraps past 32 bits.
TEST(NumberText, AutoBase) {
  const struct {
    const char* text;
    int32_t value;
    size_t used;  // 0: nothing read
  } cases[] = {{" \t-17x", -17, 5}, {"+0x1F;", 31, 5}, {"010", 8, 3},          {"08", 0, 1},
               {"0xg", 0, 1},       {"-", 0, 0},       {"4294967537", 241, 10}};
  for (const auto& c : cases) {
    size_t pos = 0;
    EXPECT_EQ(ReadAutoBase(c.text, pos), c.value) << c.text;
    EXPECT_EQ(pos, c.used) << c.text;
  }
}

// A hand-typed leading zero in the profile is no octal prefix.
TEST(NumberText, ProfileIntegersAreDecimalUnlessHex) {
  const std::pair<const wchar_t*, int32_t> cases[] = {
      {L"08", 8}, {L"010", 10}, {L"0x1F", 31}, {L" -7", -7}, {L"0xZ", 0}, {L"4294967295", -1}};
  for (auto [text, value] : cases) EXPECT_EQ(ReadDecimalOrHex(text), value) << text;
  size_t used = 99;
  EXPECT_EQ(ReadDecimal(L"0x1F", &used), 0u) << "decimal only";
  EXPECT_EQ(used, 1u);
  EXPECT_EQ(ReadDecimal(L" ,", &used), 0u);
  EXPECT_EQ(used, 0u) << "blanks alone are no number";
}

TEST(NumberText, WholeTexts) {
  EXPECT_EQ(ParseDecimalField(L" -42\t"), -42);
  EXPECT_EQ(ParseDecimalField(L"0x10"), std::nullopt);
  EXPECT_EQ(ParseDecimalField(L"-9223372036854775808"), INT64_MIN);
  EXPECT_EQ(ParseWholeNumber(L"0x7FFFFFFFFFFFFFFF"), INT64_MAX);
  EXPECT_EQ(ParseWholeNumber(L"0x8000000000000000"), std::nullopt);
  EXPECT_EQ(ParseWholeNumber(L" 42"), std::nullopt);
  EXPECT_EQ(ParseWholeNumber(L"-5"), std::nullopt);
}

}  // namespace
}  // namespace zorvo
