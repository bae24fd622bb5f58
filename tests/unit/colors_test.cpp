#include "viewer/settings/colors.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "viewer/settings/profile_store.h"
#include "viewer/settings/settings.h"

namespace zorvo {
namespace {

constexpr wchar_t kSection[] = L"Zorvo Colors";

class ColorsTest : public testing::Test {
 protected:
  std::vector<std::wstring> Keys() { return settings.profile().backend().Keys(kSection); }
  void Put(const wchar_t* key, const wchar_t* text) {
    settings.profile().WriteText(kSection, key, text);
  }

  Settings settings;
};

TEST_F(ColorsTest, DefaultsFollowTheSystemColours) {
  const ColorTable d = DefaultColors();
  EXPECT_EQ(d[kTagBgnd], SystemColor(13));
  EXPECT_EQ(d[kBackground], SystemColor(12));
  EXPECT_EQ(d[kMessageBgnd], 0x0000FFu);
  EXPECT_EQ(d[kPrintTagB], 0xC0C0C0u);
#ifndef _WIN32
  EXPECT_EQ(d[kTagBgnd], 0x800000u);  // navy, stored blue-green-red
#endif
}

TEST_F(ColorsTest, SavingOnlyWritesWhatDiffersFromTheDefaults) {
  SaveScreenColors(settings, kSection);
  SavePrintShades(settings, kSection);
  EXPECT_TRUE(Keys().empty());

  settings.colors[kMessageBgnd] = 0xFF0000;  // blue
  SaveScreenColors(settings, kSection);
  SavePrintShades(settings, kSection);
  EXPECT_EQ(Keys(), std::vector<std::wstring>{L"MessageBgnd"});
  EXPECT_EQ(settings.profile().GetText(kSection, L"MessageBgnd", L"", 32), L"16711680");
}

TEST_F(ColorsTest, AKeyBackAtItsDefaultIsDeleted) {
  Put(L"CommentBgnd", L"255");
  Put(L"PrintBgnd", L"0");
  LoadScreenColors(settings, kSection);
  LoadPrintShades(settings, kSection);
  EXPECT_EQ(settings.colors[kCommentBgnd], 255u);
  settings.colors[kCommentBgnd] = 0x00FF00;
  settings.colors[kPrintBgnd] = 0xE0E0E0;
  SaveScreenColors(settings, kSection);
  SavePrintShades(settings, kSection);
  EXPECT_TRUE(Keys().empty());
}

TEST_F(ColorsTest, LoadingReadsPlainDecimal) {
  struct Case {
    const wchar_t* text;
    ColorRef color;
  };
  const Case cases[] = {
      {L"", 0},                   // present but empty
      {L"8421504", 0x808080},
      {L"-1", 0xFFFFFFFF},        // written from a negative long
      {L"+16", 16},
      {L"0x10", 0},               // no hex prefix, unlike integer keys
      {L"010", 10},               // and no octal
      {L"12abc", 12},
      {L"99999999999", 1215752191},  // unbounded, wraps like a 32-bit long
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.text)));
    Put(L"WindowText", c.text);
    LoadScreenColors(settings, kSection);
    EXPECT_EQ(settings.colors[kWindowText], c.color);
  }
}

TEST_F(ColorsTest, MissingKeysLoadTheirDefaults) {
  settings.colors.fill(0x123456);
  Put(L"PrintTagB", L"8421504");
  LoadScreenColors(settings, kSection);
  LoadPrintShades(settings, kSection);
  ColorTable expected = DefaultColors();
  expected[kPrintTagB] = 0x808080;
  EXPECT_EQ(settings.colors, expected);
  EXPECT_EQ(ColorToShade(settings.colors[kPrintTagB]), 4);
}

TEST_F(ColorsTest, ResetTouchesOnlyTheChosenEntries) {
  ColorTable table;
  table.fill(0x010203);
  ResetColorDefaults(-1, table);
  const ColorTable d = DefaultColors();
  for (int i = 0; i < kColorCount; ++i) {
    EXPECT_EQ(table[i], i <= kBackground ? d[i] : 0x010203u) << i;
  }

  table.fill(0x010203);
  ResetColorDefaults(-2, table);
  for (int i = 0; i < kColorCount; ++i) {
    EXPECT_EQ(table[i], i >= kPrintText ? d[i] : 0x010203u) << i;
  }

  table.fill(0x010203);
  ResetColorDefaults(kMessageBgnd, table);
  EXPECT_EQ(table[kMessageBgnd], 0x0000FFu);
  EXPECT_EQ(table[kMessageText], 0x010203u);
}

TEST(ColorShades, ConvertBothWays) {
  EXPECT_EQ(ShadeToColor(0), 0xFFFFFFu);
  EXPECT_EQ(ShadeToColor(1), 0xE0E0E0u);
  EXPECT_EQ(ShadeToColor(4), 0x808080u);
  EXPECT_EQ(ShadeToColor(8), 0u);
  EXPECT_EQ(ShadeToColor(-3), 0xFFFFFFu);
  EXPECT_EQ(ShadeToColor(12), 0u);

  EXPECT_EQ(ColorToShade(0xFFFFFF), 0);
  EXPECT_EQ(ColorToShade(0xE0E0E0), 1);
  EXPECT_EQ(ColorToShade(0xC0C0C0), 2);
  EXPECT_EQ(ColorToShade(0x808080), 4);
  EXPECT_EQ(ColorToShade(0), 8);
  EXPECT_EQ(ColorToShade(0x0000FF), 0);  // red only: pure red reads as white
  EXPECT_EQ(ColorToShade(0xFFFF00), 8);
  for (int s = 0; s <= 8; ++s) EXPECT_EQ(ColorToShade(ShadeToColor(s)), s) << s;
}

}  // namespace
}  // namespace zorvo
