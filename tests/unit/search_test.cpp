// Search: the first match, matches across buffers, case folding of A-Z
// only, the result codes, hex text; against a plain reference scan.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/memory_file.h"
#include "viewer/file/search.h"

namespace zorvo {
namespace {

class SearchTest : public testing::Test {
 protected:
  int64_t Find(const std::string& bytes, std::string_view pattern, int64_t from,
               bool caseSensitive = true) {
    memory.bytes = bytes;
    FileRecord file{from, static_cast<int64_t>(bytes.size()), L"memory"};
    return FindForward(file, pattern, caseSensitive, notifier, memory);
  }
  std::vector<int64_t> All(const std::string& bytes, std::string_view pattern, bool cs) {
    memory.bytes = bytes;
    FileRecord file{0, static_cast<int64_t>(bytes.size()), L"memory"};
    std::vector<int64_t> found;
    FindAll(file, pattern, cs, notifier, [&](int64_t m) {
      found.push_back(m);
      return true;
    }, memory);
    return found;
  }
  MemoryFile memory;
  RecordingNotifier notifier;
};

// Compares at every index in ascending order, folding A-Z and a-z.
std::vector<int64_t> Naive(const std::string& d, const std::string& p, bool cs) {
  auto fold = [&](unsigned char c) { return !cs && c >= 'a' && c <= 'z' ? c - 32 : c; };
  std::vector<int64_t> found;
  for (size_t i = 0; i + p.size() <= d.size(); ++i) {
    size_t k = 0;
    while (k < p.size() && fold(d[i + k]) == fold(p[k])) ++k;
    if (k == p.size()) found.push_back(static_cast<int64_t>(i));
  }
  return found;
}

TEST_F(SearchTest, AMatchAcrossTheBufferEnd) {
  std::string bytes(kSearchBuffer * 2 + 100, 'x');
  bytes.replace(kSearchBuffer - 3, 7, "NEEDLE!");
  EXPECT_EQ(Find(bytes, "NEEDLE!", 0), kSearchBuffer - 3);
  EXPECT_EQ(Find(bytes, "NEEDLE!", kSearchBuffer - 2), kNotFound);
}

TEST_F(SearchTest, ThePatternInTheLastBytes) {
  const std::string bytes = "....abc";
  EXPECT_EQ(Find(bytes, "abc", 4), 4) << "found when starting at its offset";
  EXPECT_EQ(Find(bytes, "abc", 5), kNotFound) << "one byte later";
  EXPECT_EQ(Find(bytes, "abcd", 0), kNotFound) << "longer than what remains";
}

TEST_F(SearchTest, OnlyAsciiLettersFold) {
  EXPECT_EQ(Find("xxABCxx", "abc", 0, false), 2);
  EXPECT_EQ(Find("xxABCxx", "abc", 0, true), kNotFound);
  // EBCDIC "ABC" (C1 C2 C3) is not found by "abc" (81 82 83) in either mode.
  EXPECT_EQ(Find("\xC1\xC2\xC3", "\x81\x82\x83", 0, false), kNotFound);
  // Nor do other bytes one case bit apart: '@' is not '`', '[' not '{'.
  EXPECT_EQ(Find("@[", "`{", 0, false), kNotFound);
  EXPECT_EQ(Find("\xC9", "\xE9", 0, false), kNotFound) << "no folding beyond ASCII";
}

TEST_F(SearchTest, ResultCodes) {
  EXPECT_EQ(Find("abc", "", 0), kEmptyPattern);
  memory.fail = true;
  FileRecord file{0, 3, L"memory"};
  EXPECT_EQ(FindForward(file, "a", true, notifier, memory), kSearchOpenFailed);
  EXPECT_TRUE(notifier.shown.empty()) << "only the allocation failure shows a message";
}

TEST_F(SearchTest, TheSameMatchesAsAPlainScan) {
  std::mt19937 rng(77);
  // Seven letters, a NUL among them: sized by the literal, not by strlen.
  constexpr char kLetters[] = "aAbB\n\0x";
  const std::string alphabet(kLetters, sizeof kLetters - 1);
  for (int round = 0; round < 60; ++round) {
    const size_t size = round % 10 == 0 ? kSearchBuffer + rng() % 70000 : rng() % 5000;
    std::string bytes(size, 'a');
    for (char& c : bytes) c = alphabet[rng() % alphabet.size()];
    std::string pattern(1 + rng() % 6, 'a');
    for (char& c : pattern) c = alphabet[rng() % alphabet.size()];
    for (bool cs : {true, false}) {
      ASSERT_EQ(All(bytes, pattern, cs), Naive(bytes, pattern, cs))
          << "round " << round << " pattern " << pattern << " case " << cs;
      const std::vector<int64_t> naive = Naive(bytes, pattern, cs);
      const int64_t from = static_cast<int64_t>(rng() % (size + 1));
      const auto next = std::lower_bound(naive.begin(), naive.end(), from);
      ASSERT_EQ(Find(bytes, pattern, from, cs), next == naive.end() ? kNotFound : *next);
    }
  }
}

TEST(HexText, Parses) {
  std::string bytes;
  EXPECT_EQ(ParseHexText("41 42 43", bytes), 3);
  EXPECT_EQ(bytes, "ABC");
  EXPECT_EQ(ParseHexText("414243", bytes), 3);
  EXPECT_EQ(bytes, "ABC");
  EXPECT_EQ(ParseHexText("4 1", bytes), 2);
  EXPECT_EQ(bytes, std::string("\x40\x10"));
  EXPECT_EQ(ParseHexText("414", bytes), 2);
  EXPECT_EQ(bytes, std::string("\x41\x40"));
  EXPECT_EQ(ParseHexText("4g", bytes), -2) << "the bad character at index 1";
  EXPECT_EQ(ParseHexText("G", bytes), -1);
  EXPECT_EQ(ParseHexText("  ", bytes), 0);
  EXPECT_EQ(ParseHexText("c1C2", bytes), 2);
  EXPECT_EQ(bytes, std::string("\xC1\xC2"));
}

}  // namespace
}  // namespace zorvo
