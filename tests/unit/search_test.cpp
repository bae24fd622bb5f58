// Search: the first match, matches across buffers, case folding of A-Z
// only, files that grow or are cut while searched, the result codes, hex
// text; every way of scanning against a plain reference scan.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
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

// Opens files through another opener, counts the reads and calls `cut`
// before read number `cutAt` (from 0), as when another program truncates
// the file during the search.
class ChangingFile : public FileOpener {
 public:
  explicit ChangingFile(FileOpener& inner) : inner_(inner) {}
  int reads = 0;
  int cutAt = -1;
  std::function<void()> cut;

  std::unique_ptr<FileHandle> Open(const std::wstring& path, uint32_t& error) override {
    std::unique_ptr<FileHandle> handle = inner_.Open(path, error);
    return handle ? std::make_unique<Handle>(*this, std::move(handle)) : nullptr;
  }

 private:
  class Handle : public FileHandle {
   public:
    Handle(ChangingFile& file, std::unique_ptr<FileHandle> inner)
        : file_(file), inner_(std::move(inner)) {}
    bool Size(int64_t& size) override { return inner_->Size(size); }
    bool Seek(int64_t offset) override { return inner_->Seek(offset); }
    bool Read(unsigned char* buffer, uint32_t size, uint32_t& got) override {
      if (file_.reads++ == file_.cutAt) file_.cut();
      return inner_->Read(buffer, size, got);
    }
    uint32_t LastError() const override { return inner_->LastError(); }

   private:
    ChangingFile& file_;
    std::unique_ptr<FileHandle> inner_;
  };
  FileOpener& inner_;
};

TEST_F(SearchTest, AGrownFileIsReadInFullBuffers) {
  memory.bytes.assign(4 * kSearchBuffer, '.');
  memory.bytes.replace(memory.bytes.size() - 20, 6, "needle");
  ChangingFile grown(memory);
  // The length was taken when the file held 16 bytes.
  FileRecord file{0, 16, L"grown"};
  EXPECT_EQ(FindForward(file, "needle", true, notifier, grown),
            static_cast<int64_t>(memory.bytes.size()) - 20);
  EXPECT_EQ(file.Flen, static_cast<int64_t>(memory.bytes.size())) << "the length is refreshed";
  EXPECT_LE(grown.reads, 6) << "not a few bytes a read";
}

// Matches at 100 (in the first buffer) and near the end of three buffers;
// the file is cut during the search, in memory and on disk.
TEST_F(SearchTest, AFileCutWhileSearchedEndsTheSearch) {
  namespace fs = std::filesystem;
  const int64_t late = 3 * kSearchBuffer - 50;
  std::string bytes(3 * kSearchBuffer, 'x');
  bytes.replace(100, 3, "abc");
  bytes.replace(static_cast<size_t>(late), 3, "abc");
  const fs::path path = fs::temp_directory_path() /
                        ("zorvo_search_" + std::to_string(std::random_device()()) + ".bin");
  struct Case {
    bool onDisk;
    int cutAt;
    size_t cutTo;
    std::vector<int64_t> found;
  };
  for (const Case& c : {Case{false, -1, 0, {100, late}}, Case{false, 1, kSearchBuffer + 7, {100}},
                        Case{false, 1, 0, {100}}, Case{false, 0, 0, {}}, Case{false, 0, 120, {100}},
                        Case{true, 1, 1000, {100}}}) {
    memory.bytes = bytes;
    if (c.onDisk) {
      std::ofstream(path, std::ios::binary)
          .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    ChangingFile cut(c.onDisk ? PlatformFileOpener() : memory);
    cut.cutAt = c.cutAt;
    cut.cut = [&] {
      if (c.onDisk) fs::resize_file(path, c.cutTo);
      memory.bytes.resize(c.cutTo);
    };
    FileRecord file{0, static_cast<int64_t>(bytes.size()), path.wstring()};
    std::vector<int64_t> found;
    FindAll(
        file, "abc", true, notifier,
        [&](int64_t m) {
          found.push_back(m);
          return true;
        },
        cut);
    EXPECT_EQ(found, c.found) << "disk " << c.onDisk << " cut at read " << c.cutAt << " to "
                              << c.cutTo;
  }
  fs::remove(path);
}

TEST_F(SearchTest, ResultCodes) {
  EXPECT_EQ(Find("abc", "", 0), kEmptyPattern);
  memory.fail = true;
  FileRecord file{0, 3, L"memory"};
  EXPECT_EQ(FindForward(file, "a", true, notifier, memory), kSearchOpenFailed);
  EXPECT_TRUE(notifier.shown.empty()) << "only the allocation failure shows a message";
}

// Runs `check(way)` once with each way of scanning the processor has.
template <typename Check>
void ForEachScanPath(Check&& check) {
  for (auto path : {detail::ScanPath::kPlain, detail::ScanPath::kSse2, detail::ScanPath::kAvx2}) {
    if (!detail::SetScanPath(path)) {
      std::printf("(this processor cannot scan in way %d; not tested)\n", static_cast<int>(path));
      continue;
    }
    check(static_cast<int>(path));
  }
  detail::SetScanPath(detail::ScanPath::kBest);
}

// Every way of scanning, forced in turn, against the plain scan: bytes
// spread evenly or mostly one letter (where the rarest pattern byte alone
// finds the candidates), patterns of 1 to 6 bytes and some up to 40, with
// copies planted in either case.
TEST_F(SearchTest, TheSameMatchesAsAPlainScan) {
  const std::string alphabet("aAbB\n\0xyz", 9);
  ForEachScanPath([&](int path) {
    std::mt19937 rng(77);
    for (int round = 0; round < 60; ++round) {
      const size_t size = round % 15 == 0 ? kSearchBuffer + rng() % 70000 : rng() % 5000;
      const bool skewed = round % 2 == 1;
      std::string bytes(size, 'a');
      for (char& c : bytes) {
        if (!skewed || rng() % 16 == 0) c = alphabet[rng() % alphabet.size()];
      }
      std::string pattern(round % 4 == 3 ? 1 + rng() % 40 : 1 + rng() % 6, 'a');
      for (char& c : pattern) c = alphabet[rng() % alphabet.size()];
      for (int planted = rng() % 8; planted > 0 && pattern.size() <= size; --planted) {
        const size_t at = rng() % (size - pattern.size() + 1);
        for (size_t k = 0; k < pattern.size(); ++k) {
          const char c = pattern[k];
          bytes[at + k] = std::isalpha(static_cast<unsigned char>(c)) && rng() % 2 ? c ^ 0x20 : c;
        }
      }
      // A copy of exactly its size, so that AddressSanitizer sees any read
      // beyond it.
      const std::vector<unsigned char> exact(bytes.begin(), bytes.end());
      for (bool cs : {true, false}) {
        const std::vector<int64_t> naive = Naive(bytes, pattern, cs);
        ASSERT_EQ(FindInBuffer(exact.data(), static_cast<int64_t>(size), pattern, cs),
                  naive.empty() ? -1 : naive.front());
        ASSERT_EQ(All(bytes, pattern, cs), naive)
            << "way " << static_cast<int>(path) << " round " << round << " case " << cs;
        const int64_t from = static_cast<int64_t>(rng() % (size + 1));
        const auto next = std::lower_bound(naive.begin(), naive.end(), from);
        ASSERT_EQ(Find(bytes, pattern, from, cs), next == naive.end() ? kNotFound : *next)
            << "way " << path << " round " << round << " case " << cs;
      }
    }
  });
}

// A pattern whose first or last byte differs, just before the pattern.
TEST_F(SearchTest, NearMissesAreNotMatches) {
  ForEachScanPath([&](int path) {
    for (size_t length = 1; length <= 20; ++length) {
      std::string pattern;
      for (size_t k = 0; k < length; ++k) pattern += static_cast<char>('a' + k);
      for (size_t k : {size_t{0}, length - 1}) {
        std::string miss = pattern;
        miss[k] = '#';
        const std::string bytes = miss + pattern + miss;
        for (bool cs : {true, false}) {
          EXPECT_EQ(Find(bytes, pattern, 0, cs), static_cast<int64_t>(length))
              << "way " << path << " length " << length << " differs at " << k;
        }
      }
    }
  });
}

TEST(RareBytes, TheLeastCommonInText) {
  struct Case {
    std::string_view pattern;
    bool caseSensitive;
    std::array<int64_t, 3> rare;
  };
  for (const Case& c : {
           Case{"the e", true, {1, 0, 4}},  // h, t, then the e farther off
           Case{"eeeZe", true, {3, 0, 1}},  // Z, then e's: the farthest, the earliest
           Case{"x", true, {0, 0, 0}},      // one byte: the same index
           Case{"Ek", true, {0, 1, 1}},     // upper-case E is rarer than k...
           Case{"Ek", false, {1, 0, 0}},    // ...but not e and E together
           Case{"a\x01"
                "b\xF0",
                true,
                {1, 3, 2}},  // bytes rare in text first
       }) {
    EXPECT_EQ(detail::RareBytes(c.pattern, c.caseSensitive), c.rare)
        << c.pattern << " case " << c.caseSensitive;
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
