// The rules numbers are written in: strtol's automatic base, the profile's
// decimal-or-hex, plain decimal, a dialog field and a command-line value.
#include "common/number_text.h"

#include <gtest/gtest.h>

#include <string>

namespace zorvo {
namespace {

// As the C standard reads with strtol and base 0 (which one C library
// differs from for "0x" without a digit).
TEST(NumberText, AutoBaseReadsLikeStrtol) {
  const struct {
    const char* text;
    int32_t value;
    size_t used;  // 0: nothing read
  } cases[] = {
      {"42", 42, 2},
      {" \t-17x", -17, 5},
      {"+0x1F;", 31, 5},
      {"0X1f", 31, 4},
      {"010", 8, 3},
      {"08", 0, 1},
      {"0x", 0, 1},
      {"0xg", 0, 1},
      {"-", 0, 0},
      {"  ", 0, 0},
      {"", 0, 0},
      {"=5", 0, 0},
      {"0777", 511, 4},
      {"-0x80000000", INT32_MIN, 11},
      {"2147483647", INT32_MAX, 10},
      {"12 34", 12, 2},
      {"4294967537", 241, 10},  // past 32 bits it wraps
  };
  for (const auto& c : cases) {
    size_t pos = 0;
    EXPECT_EQ(ReadAutoBase(c.text, pos), c.value) << c.text;
    EXPECT_EQ(pos, c.used) << c.text;
  }
}

TEST(NumberText, ProfileIntegersAreDecimalUnlessHex) {
  const struct {
    const wchar_t* text;
    int32_t value;
  } cases[] = {
      {L"08", 8},   {L"010", 10},  {L"0x1F", 31},       {L"0X10", 16},
      {L" -7", -7}, {L"12ab", 12}, {L"abc", 0},         {L"0x", 0},
      {L"0xZ", 0},  {L"+0009", 9}, {L"4294967295", -1}, {L"-2147483648", INT32_MIN},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadDecimalOrHex(c.text), c.value) << c.text;
}

TEST(NumberText, DecimalOnly) {
  size_t used = 99;
  EXPECT_EQ(ReadDecimal(L" 12,5", &used), 12u);
  EXPECT_EQ(used, 3u);
  EXPECT_EQ(ReadDecimal(L"0x1F", &used), 0u) << "no hex";
  EXPECT_EQ(used, 1u);
  EXPECT_EQ(ReadDecimal(L"-1"), 0xFFFFFFFFu);
  EXPECT_EQ(ReadDecimal(L"", &used), 0u);
  EXPECT_EQ(used, 0u);
  EXPECT_EQ(ReadDecimal(L" ,", &used), 0u);
  EXPECT_EQ(used, 0u) << "blanks alone are no number";
}

TEST(NumberText, WholeTexts) {
  const struct {
    const wchar_t* text;
    std::optional<int64_t> field;   // a dialog field
    std::optional<int64_t> option;  // a command-line value
  } cases[] = {
      {L"42", 42, 42},
      {L" 42\t", 42, std::nullopt},
      {L"-5", -5, std::nullopt},
      {L"+5", 5, std::nullopt},
      {L"0x10", std::nullopt, 16},
      {L"0x", std::nullopt, std::nullopt},
      {L"", std::nullopt, std::nullopt},
      {L"12a", std::nullopt, std::nullopt},
      {L"9223372036854775807", INT64_MAX, INT64_MAX},
      {L"9223372036854775808", std::nullopt, std::nullopt},
      {L"-9223372036854775808", INT64_MIN, std::nullopt},
      {L"0x7FFFFFFFFFFFFFFF", std::nullopt, INT64_MAX},
      {L"0x8000000000000000", std::nullopt, std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseDecimalField(c.text), c.field) << "field " << std::wstring(c.text).size();
    EXPECT_EQ(ParseWholeNumber(c.text), c.option) << "option " << std::wstring(c.text).size();
  }
}

}  // namespace
}  // namespace zorvo
