#include "common/wide_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

namespace zorvo {
namespace {

TEST(WideTextTest, Utf8DecodesAndEncodesEveryLength) {
  const std::string utf8 = "a\xC3\xA9\xE2\x82\xAC\xF0\x9D\x84\x9E";  // a é € 𝄞
  const std::wstring wide = WideFromUtf8(utf8);
  if (sizeof(wchar_t) == 2) {
    EXPECT_EQ(wide, std::wstring({L'a', wchar_t(0xE9), wchar_t(0x20AC), wchar_t(0xD834),
                                  wchar_t(0xDD1E)}));
  } else {
    EXPECT_EQ(wide, std::wstring({L'a', wchar_t(0xE9), wchar_t(0x20AC), wchar_t(0x1D11E)}));
  }
  EXPECT_EQ(Utf8FromWide(wide), utf8);
}

TEST(WideTextTest, UndecodableBytesAreEscapedAndRestored) {
  struct Case {
    std::string bytes;
    std::wstring wide;
  };
  const Case cases[] = {
      {"\xFF", {wchar_t(0xDCFF)}},
      {"\xC0\xAF", {wchar_t(0xDCC0), wchar_t(0xDCAF)}},                  // overlong '/'
      {"\xED\xA0\x80", {wchar_t(0xDCED), wchar_t(0xDCA0), wchar_t(0xDC80)}},  // surrogate
      {"\xF4\x90\x80\x80", {wchar_t(0xDCF4), wchar_t(0xDC90), wchar_t(0xDC80), wchar_t(0xDC80)}},
      {"x\xE2\x82", {L'x', wchar_t(0xDCE2), wchar_t(0xDC82)}},  // cut short at the end
      {"\xE2\x82x", {wchar_t(0xDCE2), wchar_t(0xDC82), L'x'}},  // cut short by a plain byte
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WideFromUtf8(c.bytes), c.wide) << testing::PrintToString(c.bytes);
    EXPECT_EQ(Utf8FromWide(c.wide), c.bytes) << testing::PrintToString(c.bytes);
  }
}

TEST(WideTextTest, AnyByteStringSurvivesTheRoundTrip) {
  std::string bytes;
  uint32_t state = 12345;
  for (int i = 0; i < 20000; ++i) {
    state = state * 1103515245u + 12345u;
    bytes.push_back(static_cast<char>(state >> 23));
  }
  EXPECT_EQ(Utf8FromWide(WideFromUtf8(bytes)), bytes);
}

TEST(WideTextTest, LoneSurrogatesAndLatin1) {
  EXPECT_EQ(Utf8FromWide(std::wstring{wchar_t(0xD800)}), "\xEF\xBF\xBD");
  EXPECT_EQ(Utf8FromWide(std::wstring{wchar_t(0xDC10), L'a'}), "\xEF\xBF\xBD" "a");
  EXPECT_EQ(WideFromLatin1(std::string("A\0\x80\xE9\xFF", 5)),
            std::wstring({L'A', L'\0', wchar_t(0x80), wchar_t(0xE9), wchar_t(0xFF)}));
}

TEST(WideTextTest, Windows1252ToUtf8) {
  // The 0x80-0x9F row, the five undefined bytes passing through as C1 codes.
  const char* const row[32] = {
      "€", "\xC2\x81", "‚", "ƒ", "„", "…", "†", "‡", "ˆ", "‰", "Š", "‹", "Œ", "\xC2\x8D", "Ž",
      "\xC2\x8F", "\xC2\x90", "‘", "’", "“", "”", "•", "–", "—", "˜", "™", "š", "›", "œ",
      "\xC2\x9D", "ž", "Ÿ"};
  for (int b = 0x80; b < 0xA0; ++b) {
    EXPECT_EQ(Utf8FromWindows1252(std::string(1, static_cast<char>(b))), row[b - 0x80]) << b;
  }
  std::string ascii;
  for (int b = 0; b < 0x80; ++b) ascii.push_back(static_cast<char>(b));
  EXPECT_EQ(Utf8FromWindows1252(ascii), ascii);
  std::string upper;
  for (int b = 0xA0; b < 0x100; ++b) upper.push_back(static_cast<char>(b));
  EXPECT_EQ(Utf8FromWindows1252(upper), Utf8FromWide(WideFromLatin1(upper)));
  EXPECT_EQ(Utf8FromWindows1252("a\x80z\xE9"), "a€zé");
  EXPECT_EQ(Utf8FromWindows1252(""), "");
}

// Long texts, whose runs of ASCII go over whole, convert as their bytes do
// one by one, appended after what the output held.
TEST(WideTextTest, Windows1252RunsConvertAsTheirBytes) {
  std::mt19937 random(5);
  for (int round = 0; round < 300; ++round) {
    std::string bytes;
    for (int k = static_cast<int>(random() % 80); k > 0; --k) {
      bytes += static_cast<char>(random() % 5 ? ' ' + random() % 95 : random() % 256);
    }
    std::string want = "x";
    for (char c : bytes) want += Utf8FromWindows1252(std::string(1, c));
    std::string got = "x";
    AppendUtf8FromWindows1252(got, bytes);
    ASSERT_EQ(got, want) << round;
  }
}

}  // namespace
}  // namespace zorvo
