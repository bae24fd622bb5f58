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

namespace zorvo {
namespace {

// Decimal numbers, 64-bit offsets and the messages of the dialogs' checks,
// at their boundaries.
TEST(FieldChecksTest, DecimalConversionBothWays) {
  // Two decimals and the separator "." unless the row says otherwise; an
  // error position past the end means no number at all.
  const struct {
    const wchar_t* text;
    int64_t value;
    int errorPosition;
    int decimals = 2;
  } parsed[] = {
      // clang-format off
      {L"2.54", 254, 0}, {L"2.5", 250, 0}, {L"3", 300, 0}, {L".05", 5, 0}, {L"  0.5  ", 50, 0},
      {L"3.019", 301, 0} /* cut, not rounded */, {L"-1.25", -125, 0}, {L"3.", 300, 0},
      {L"12", 12, 0, 0}, {L"1,5", 0, 2}, {L"2.5x", 0, 4}, {L"+1", 0, 1}, {L"1 2", 0, 3},
      {L"", 0, 1}, {L"   ", 0, 4}, {L"-", 0, 2}, {L" .", 0, 3},
      {L"99999999999999999999", INT64_MAX, 0}, {L"-99999999999999999999", INT64_MIN, 0, 0},
      // clang-format on
  };
  for (const auto& p : parsed) {
    const DecimalParse result = ParseDecimal(p.text, p.decimals, L'.');
    EXPECT_EQ(result.errorPosition, p.errorPosition)
        << testing::PrintToString(std::wstring(p.text));
    if (p.errorPosition == 0) {
      EXPECT_EQ(result.value, p.value) << testing::PrintToString(std::wstring(p.text));
    }
  }
  EXPECT_EQ(ParseDecimal(L"7,5", 1, L',').value, 75);
  const struct {
    int64_t value;
    int decimals;
    const wchar_t* text;
  } formatted[] = {
      // clang-format off
      {254, 2, L"2.54"}, {250, 2, L"2.5"}, {300, 2, L"3"}, {5, 2, L"0.05"}, {0, 2, L"0"},
      {75, 1, L"7.5"}, {-125, 2, L"-1.25"}, {-5, 1, L"-0.5"}, {12, 0, L"12"},
      {INT64_MIN, 0, L"-9223372036854775808"},
      // clang-format on
  };
  for (const auto& f : formatted) {
    EXPECT_EQ(FormatDecimal(f.value, f.decimals, L'.'), f.text);
    EXPECT_EQ(ParseDecimal(f.text, f.decimals, L'.').value, f.value) << "reads back";
  }
  EXPECT_EQ(FormatDecimal(254, 2, L','), L"2,54");
}

TEST(FieldChecksTest, DecimalAndOffsetFieldsAcceptTheirBoundsAndNameWhatIsWrong) {
  const std::wstring margin = L"Page top margin must be a number between 0 and 3!";
  const std::wstring offset = L"File Offset must be a number between 0 and 4096!";
  const auto bad = [](wchar_t c, const wchar_t* name) {
    return L"Invalid character \"" + std::wstring(1, c) + L"\" in " + name + L".";
  };
  struct Case {
    const wchar_t* text;
    std::optional<int64_t> value;
    std::wstring message;
  };
  const Case margins[] = {
      // clang-format off
      {L"0", 0, L""}, {L"3", 300, L""}, {L"3.00", 300, L""}, {L"0.5", 50, L""},
      {L"3.01", {}, margin}, {L"-0.01", {}, margin}, {L"", {}, margin}, {L"-", {}, margin},
      {L"1,5", {}, bad(L',', L"Page top margin")},
      // clang-format on
  };
  for (const Case& m : margins) {
    const FieldCheck check = CheckDecimalText(m.text, 2, 300, L"Page top margin", L'.');
    EXPECT_EQ(check.value, m.value) << testing::PrintToString(std::wstring(m.text));
    EXPECT_EQ(check.message, m.message) << testing::PrintToString(std::wstring(m.text));
  }
  EXPECT_EQ(CheckDecimalText(L"7.6", 1, 75, L"", L'.').message,
            L"Value must be a number between 0 and 7.5!");

  const Case offsets[] = {
      // clang-format off
      {L"0x10", 16, L""}, {L"0X1000", 4096, L""}, {L"4096", 4096, L""}, {L"010", 8, L""},
      {L" 0 ", 0, L""}, {L"+12", 12, L""}, {L"4097", {}, offset}, {L"0x1001", {}, offset},
      {L"-1", {}, offset}, {L"", {}, offset}, {L"  ", {}, offset}, {L"-", {}, offset},
      {L"99999999999999999999", {}, offset}, {L"12z", {}, bad(L'z', L"File Offset")},
      {L"08", {}, bad(L'8', L"File Offset")}, {L"0x", {}, bad(L'x', L"File Offset")},
      {L"0xg", {}, bad(L'x', L"File Offset")}, {L"1 2", {}, bad(L'2', L"File Offset")},
      // clang-format on
  };
  for (const Case& o : offsets) {
    const FieldCheck check = CheckOffsetText(o.text, 0, 4096, L"File Offset");
    EXPECT_EQ(check.value, o.value) << testing::PrintToString(std::wstring(o.text));
    EXPECT_EQ(check.message, o.message) << testing::PrintToString(std::wstring(o.text));
  }
  EXPECT_EQ(CheckOffsetText(L"0x7FFFFFFFFFFFFFFF", 1, INT64_MAX, L"").value, INT64_MAX);
  EXPECT_EQ(CheckOffsetText(L"0", 1, 3, L"").message, L"Value must be a number between 1 and 3!");
  EXPECT_EQ(ChoiceMessage(L"code"), L"You must choose a code !");
  EXPECT_EQ(ChoiceMessage(L""), L"You must choose a value !");
  EXPECT_EQ(InvalidCharacterMessage(L'z', L""), L"Invalid character \"z\" in Value.");
}

}  // namespace
}  // namespace zorvo
