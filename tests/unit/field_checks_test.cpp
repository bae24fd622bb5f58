#include "viewer/settings/field_checks.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>

namespace zorvo {
namespace {

TEST(FieldChecksTest, SignedDecimalWithBlanksAroundAndNothingElse) {
  EXPECT_EQ(ParseIntField(L"255"), 255);
  EXPECT_EQ(ParseIntField(L"-12"), -12);
  EXPECT_EQ(ParseIntField(L"  +7\t"), 7);
  for (const wchar_t* text : {L"", L"  ", L"-", L"12a", L"1 2", L"0x10", L"1.5", L"--1"}) {
    EXPECT_EQ(ParseIntField(text), std::nullopt) << testing::PrintToString(std::wstring(text));
  }
}

TEST(FieldChecksTest, TheWholeSixtyFourBitRangeAndNoMore) {
  EXPECT_EQ(ParseIntField(L"9223372036854775807"), std::numeric_limits<int64_t>::max());
  EXPECT_EQ(ParseIntField(L"-9223372036854775808"), std::numeric_limits<int64_t>::min());
  EXPECT_EQ(ParseIntField(L"9223372036854775808"), std::nullopt);
  EXPECT_EQ(ParseIntField(L"-9223372036854775809"), std::nullopt);
}

TEST(FieldChecksTest, TheMessageNamesTheFieldOrValue) {
  EXPECT_EQ(RangeMessage(L"Number of columns to lock", 0, 255),
            L"Number of columns to lock must be a number between 0 and 255!");
  EXPECT_EQ(RangeMessage(L"", -5, 8), L"Value must be a number between -5 and 8!");
}

TEST(FieldChecksTest, TheBoundsAreInsideAndNothingWrapsIntoRange) {
  EXPECT_EQ(CheckIntText(L"0", 0, 8, L"Shade").value, 0);
  EXPECT_EQ(CheckIntText(L"8", 0, 8, L"Shade").value, 8);
  EXPECT_TRUE(CheckIntText(L"8", 0, 8, L"Shade").message.empty());
  // 4294967301 is 5 when cut to 32 bits.
  for (const wchar_t* text : {L"9", L"-1", L"", L"x", L"4294967301", L"-4294967291"}) {
    const IntFieldCheck check = CheckIntText(text, 0, 8, L"Shade");
    EXPECT_EQ(check.value, std::nullopt) << testing::PrintToString(std::wstring(text));
    EXPECT_EQ(check.message, L"Shade must be a number between 0 and 8!");
  }
}

}  // namespace
}  // namespace zorvo
