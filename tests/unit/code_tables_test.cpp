#include "viewer/file/code_tables.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace zorvo {
namespace {

TEST(CodeTables, AnsiAndAscii) {
  const CodeTable ansi = CodeTableFor(0);
  const CodeTable ascii = CodeTableFor(kOptAscii);
  for (const CodeTable& t : {ansi, ascii}) {
    EXPECT_EQ(t['\t'], 0xA4);
    EXPECT_EQ(t['\r'], 0xB7);
    EXPECT_EQ(t[0], 0xB7);
    EXPECT_EQ(t[31], 0xB7);
    EXPECT_EQ(t['A'], 'A');
  }
  EXPECT_EQ(ansi[0x82], 0x82);
  EXPECT_EQ(ansi[0xE9], 0xE9);
  EXPECT_EQ(ascii[0x82], 0xE9);  // é
  EXPECT_EQ(ascii[0x9C], 0xA3);  // £
  EXPECT_EQ(ascii[0xFF], 0xA0);  // no-break space
  EXPECT_EQ(CodeTableFor(kOptEbcdic | kOptAscii), EbcdicTable());
}

TEST(CodeTables, FormFeedFollowsEachRequest) {
  for (uint32_t code : {0u, uint32_t{kOptAscii}}) {
    SCOPED_TRACE(code);
    EXPECT_EQ(CodeTableFor(code)[12], 0xF0);
    EXPECT_EQ(CodeTableFor(code | kOptFormFeedChar)[12], 12);
    EXPECT_EQ(CodeTableFor(code)[12], 0xF0);  // not left over from the request before
  }
  EXPECT_EQ(CodeTableFor(kOptEbcdic | kOptFormFeedChar)[12], 0xB7);
}

TEST(CodeTables, EbcdicDisplay) {
  const CodeTable& t = EbcdicTable();
  const std::pair<int, int> cases[] = {{0xC1, 'A'}, {0xC2, 'B'}, {0xC3, 'C'}, {0x40, ' '},
                                       {0x4B, '.'}, {0x15, 0xB7}, {0x25, 0xB7}, {0x57, 0xE0},
                                       {0x67, 0xE0}, {0xFF, 0xB7}};
  for (const auto& [byte, shown] : cases) EXPECT_EQ(t[byte], shown) << "EBCDIC byte " << byte;
}

TEST(CodeTables, ReverseEbcdic) {
  const CodeTable& t = EbcdicTable();
  const CodeTable& r = ReverseEbcdicTable();
  EXPECT_EQ(r[0xE0], 0x67);  // the higher of 0x57 and 0x67
  EXPECT_EQ(r[0xB7], 0);
  EXPECT_EQ(r[0xFE], 0);     // þ: no EBCDIC byte shows it
  EXPECT_EQ(r[0xA9], 0);     // ©
  EXPECT_EQ(r[' '], 0x40);
  for (int c = 0; c < 256; ++c) {
    if (r[c] != 0) {
      EXPECT_EQ(t[r[c]], c) << "display char " << c;
    }
  }
}

TEST(CodeTables, SearchTextToFileCode) {
  std::string text = "ABC";
  SearchTextToFileCode(text, kOptEbcdic);
  EXPECT_EQ(text, "\xC1\xC2\xC3");

  text = "a\xFE" "b";
  SearchTextToFileCode(text, kOptEbcdic | kOptAscii);
  EXPECT_EQ(text, std::string("\x81\0\x82", 3));  // length kept, unknown char -> 0

  text = "caf\xE9";
  SearchTextToFileCode(text, kOptAscii);
  EXPECT_EQ(text, "caf\x82");

  text = "caf\xE9";
  SearchTextToFileCode(text, 0);
  EXPECT_EQ(text, "caf\xE9");
}

// Code points of a UTF-8 text.
std::vector<char32_t> DecodeUtf8(const std::string& s) {
  std::vector<char32_t> out;
  for (size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    int extra = b < 0x80 ? 0 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
    char32_t cp = extra == 0 ? b : b & (0x3F >> extra);
    for (int k = 1; k <= extra && i + k < s.size(); ++k)
      cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    out.push_back(cp);
    i += extra + 1;
  }
  return out;
}

// The glibc IBM1140 test file holds every byte value in order, each followed
// by a space or a line feed; its decoding lists them the same way, so byte b
// decodes to code point 2*b of the oracle.
TEST(CodeTables, EbcdicLettersAndDigitsMatchGlibc) {
  std::ifstream in(ZORVO_TEST_DATA "/ebcdic/glibc_IBM1140.expected.utf8.txt", std::ios::binary);
  ASSERT_TRUE(in) << "missing oracle";
  const std::string utf8((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::vector<char32_t> cps = DecodeUtf8(utf8);
  ASSERT_GE(cps.size(), 512u);

  const CodeTable& t = EbcdicTable();
  const int ranges[][2] = {{0xC1, 0xC9}, {0xD1, 0xD9}, {0xE2, 0xE9}, {0x81, 0x89},
                           {0x91, 0x99}, {0xA2, 0xA9}, {0xF0, 0xF9}};
  int checked = 0;
  for (const auto& range : ranges) {
    for (int b = range[0]; b <= range[1]; ++b) {
      EXPECT_EQ(char32_t{t[b]}, cps[2 * b]) << "EBCDIC byte " << b;
      ++checked;
    }
  }
  EXPECT_EQ(checked, 62);
}

}  // namespace
}  // namespace zorvo
