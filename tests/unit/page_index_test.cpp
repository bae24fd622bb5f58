// The page index: page starts on real form-feed files against a plain scan,
// slice and piece boundaries, a growing or replaced file, runs of slices in
// a time budget, the index file's records, the memory it takes, the files
// left behind by viewers that were killed, and every failure message.
#include "viewer/file/page_index.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "support/memory_file.h"
#include "support/temp_names.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <stdlib.h>
#endif

namespace zorvo {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Page 1 at 0, then every form feed right after LF or CR, except in the
// last two bytes (no pair beginning there is examined).
std::vector<int64_t> PlainScan(const std::string& bytes) {
  std::vector<int64_t> starts{0};
  for (size_t i = 1; i + 2 < bytes.size(); ++i) {
    if (bytes[i] == '\f' && (bytes[i - 1] == '\n' || bytes[i - 1] == '\r')) starts.push_back(i);
  }
  return starts;
}

// Slices until the index is no longer active; how many.
int IndexToEnd(PageIndex& index, const std::wstring& path, int32_t buffer) {
  int slices = 0;
  index.IndexMessage(kPageIndexStart, path, buffer);
  for (; index.state() == PG_ACTIVE; ++slices) index.IndexMessage(kPageIndexContinue, path, buffer);
  return slices;
}

std::vector<int64_t> AllPages(PageIndex& index) {
  std::vector<int64_t> pages;
  for (int32_t page = 1; page <= index.pageCount(); ++page) pages.push_back(index.PageLookup(page));
  return pages;
}

// The index file's header count and record offsets, read in one go.
std::vector<int64_t> Records(const std::wstring& name, uint32_t* count = nullptr) {
  const std::string bytes = ReadAll(fs::path(name));
  auto number = [&](size_t at, int size) {
    int64_t value = 0;
    for (int b = size - 1; b >= 0; --b)
      value = value * 256 + static_cast<unsigned char>(bytes[at + b]);
    return value;
  };
  if (count) *count = bytes.size() >= 16 ? static_cast<uint32_t>(number(8, 4)) : ~0u;
  std::vector<int64_t> offsets;
  for (size_t at = 16; at + 16 <= bytes.size(); at += 16) {
    EXPECT_EQ(number(at + 8, 8), 0) << "record " << at / 16;
    offsets.push_back(number(at, 8));
  }
  return offsets;
}

TEST(PageIndexTest, PagesOfRealFormFeedFilesAreTheFormFeedsAfterALineEnd) {
  const fs::path data(ZORVO_TEST_DATA);
  // The default, sizes that put breaks on slice boundaries (tiny ones only
  // on small files: a slice each few bytes is slow), one above every file.
  for (const int32_t buffer : {8192, 4, 5, 7, 64, 1000, 1 << 20}) {
    for (const char* name :
         {"formfeed/rfc1035_crlf.txt", "formfeed/rfc2181_lf.txt", "formfeed/msdos_SYSCALL.DOC",
          "lineends/msdos_PARTINFO.C", "lineends/dos2unix_dos_bin.txt"}) {
      const std::string bytes = ReadAll(data / name);
      if (buffer < 64 && bytes.size() > 40000) continue;
      SCOPED_TRACE(std::string(name) + " with " + std::to_string(buffer));
      RecordingNotifier notifier;
      PageIndex index(notifier);
      IndexToEnd(index, (data / name).wstring(), buffer);
      EXPECT_EQ(index.state(), PG_DONE);
      EXPECT_EQ(AllPages(index), PlainScan(bytes));
      EXPECT_EQ(index.PageLookup(index.pageCount() + 1), kNoSuchPage);
      EXPECT_EQ(index.PageLookup(0), kNoSuchPage);
      EXPECT_TRUE(notifier.shown.empty());
    }
  }
  // The sources count 14 and 43 page breaks.
  EXPECT_EQ(PlainScan(ReadAll(data / "formfeed/rfc2181_lf.txt")).size(), 15u);
  EXPECT_EQ(PlainScan(ReadAll(data / "formfeed/msdos_SYSCALL.DOC")).size(), 44u);
}

TEST(PageIndexTest, TheIndexFileHoldsTheHeaderAndOneRecordPerPageAndGoesWithTheIndex) {
  const std::wstring file = (fs::path(ZORVO_TEST_DATA) / "formfeed/rfc2181_lf.txt").wstring();
  RecordingNotifier notifier;
  PageIndex index(notifier);
  ASSERT_EQ(index.IndexMessage(kPageIndexStart, file, 8192), PG_ACTIVE);
  const std::wstring name = index.indexFileName();
  EXPECT_EQ(fs::path(name).filename().wstring().substr(0, 3), L"TPX");
  EXPECT_EQ(ReadAll(fs::path(name)).substr(0, 4), "QdX\x1A");
  uint32_t count = 0;
  EXPECT_EQ(Records(name, &count), std::vector<int64_t>{0});
  EXPECT_EQ(count, 0u) << "0 until the index is complete";
  while (index.state() == PG_ACTIVE) index.IndexMessage(kPageIndexContinue, file, 8192);
  EXPECT_EQ(Records(name, &count), PlainScan(ReadAll(fs::path(file))));
  EXPECT_EQ(count, 15u);
  // Cancel and end delete it.
  EXPECT_EQ(index.IndexMessage(kPageIndexCancel, L"", 0), PG_IDLE);
  EXPECT_FALSE(fs::exists(fs::path(name)));
  EXPECT_EQ(index.PageLookup(1), kIndexReadError);
  index.IndexMessage(kPageIndexStart, file, 8192);
  const std::wstring again = index.indexFileName();
  EXPECT_TRUE(fs::exists(fs::path(again)));
  EXPECT_EQ(index.IndexMessage(kPageIndexEnd, L"", 0), PG_IDLE);
  EXPECT_FALSE(fs::exists(fs::path(again)));
  EXPECT_TRUE(notifier.shown.empty());
}

class MemoryIndexTest : public testing::Test {
 protected:
  MemoryFile memory;
  RecordingNotifier notifier;
  PageIndex index{notifier, memory};
};

TEST_F(MemoryIndexTest, OnlyAFormFeedRightAfterALineEndStartsAPage) {
  const struct {
    std::string bytes;
    std::vector<int64_t> pages;
  } cases[] = {
      {"one\r\ntwo\r\n", {0}},
      {"", {0}},
      {"\fone\ntwo\n", {0}},
      {"one \ftwo\nthree\n", {0}},
      {"a\n\fb\r\fc\r\n\fd\n", {0, 2, 5, 9}},
      {"a\n\f\fb\n", {0, 2}},
      {"abc\n\f\n", {0}},  // the last two bytes
      {"abcd\n\f", {0}},
      {"abc\n\fxy", {0, 4}},
  };
  for (const auto& c : cases) {
    for (const int32_t buffer : {8192, 4, 5}) {
      memory.bytes = c.bytes;
      IndexToEnd(index, L"memory", buffer);
      EXPECT_EQ(index.state(), PG_DONE);
      EXPECT_EQ(AllPages(index), c.pages) << testing::PrintToString(c.bytes) << buffer;
    }
  }
  // Two pages in 20,000 bytes, the pair across the first two slices: three
  // default slices.
  memory.bytes = std::string(8190, 'x') + "\n\f" + std::string(11808, 'x');
  EXPECT_EQ(IndexToEnd(index, L"memory", 8192), 3);
  EXPECT_EQ(AllPages(index), (std::vector<int64_t>{0, 8191}));
}

TEST_F(MemoryIndexTest, LargeBuffersFindEveryBreakOfADenseFile) {
  // Line ends and form feeds everywhere: breaks on every boundary of the
  // slices and of the pieces a large buffer is read in.
  memory.bytes.assign(700'000, 'a');
  uint32_t seed = 12345;
  for (char& c : memory.bytes) {
    seed = seed * 1103515245 + 12345;
    c = "\n\r\faaaaa"[(seed >> 16) & 7];
  }
  for (const int32_t buffer : {1 << 20, 262147, 8192}) {
    IndexToEnd(index, L"memory", buffer);
    EXPECT_EQ(Records(index.indexFileName()), PlainScan(memory.bytes)) << buffer;
  }
}

TEST_F(MemoryIndexTest, AFileThatGrowsGetsItsNewPages) {
  memory.bytes = std::string(100, 'a') + "\n\f" + std::string(100, 'b');
  index.IndexMessage(kPageIndexStart, L"memory", 64);
  index.IndexMessage(kPageIndexContinue, L"memory", 64);
  EXPECT_EQ(index.PageLookup(2), kNoSuchPage) << "looked up before it is found";
  index.IndexMessage(kPageIndexContinue, L"memory", 64);
  EXPECT_EQ(index.PageLookup(2), 101);
  memory.bytes += "\r\f" + std::string(500, 'c') + "\n\f" + std::string(10, 'd');
  while (index.state() == PG_ACTIVE) index.IndexMessage(kPageIndexContinue, L"memory", 64);
  EXPECT_EQ(AllPages(index), PlainScan(memory.bytes));
  EXPECT_EQ(index.FitsLength(memory.bytes.size()), PageIndex::Fit::kFits);

  // Grown after completion: indexing goes on where it ended; a break whose
  // line end was among the last bytes indexed is found once.
  memory.bytes += "\n\f\f" + std::string(70, 'e') + "\r\fxyz";
  EXPECT_EQ(index.FitsLength(memory.bytes.size()), PageIndex::Fit::kGrown);
  ASSERT_EQ(index.Resume(L"memory"), PG_ACTIVE);
  while (index.state() == PG_ACTIVE) index.IndexMessage(kPageIndexContinue, L"memory", 64);
  EXPECT_EQ(AllPages(index), PlainScan(memory.bytes));
  EXPECT_EQ(index.pageCount(), 6);
  EXPECT_EQ(index.FitsLength(memory.bytes.size() - 1), PageIndex::Fit::kShrunk);
  EXPECT_TRUE(notifier.shown.empty());
}

using PageIndexRunTest = MemoryIndexTest;

TEST_F(PageIndexRunTest, AFileThatGrowsAfterAShortLastSliceLosesNoByte) {
  // The last slice read 3 bytes or fewer; the break the new bytes complete
  // begins in them.
  const struct {
    std::string before, after;
    int32_t buffer;
  } cases[] = {
      {"", "\n\fPAGE 2\n", 8192}, {"\n", "\fPAGE 2\n", 8192},        {"\n\f", "PAGE 2\n", 8192},
      {"\n\fP", "AGE 2\n", 8192}, {"abcdefghij\n\fP", "AGE 2\n", 8},  // slices at 0, 5 and 10 (3
                                                                      // bytes)
  };
  for (const auto& c : cases) {
    memory.bytes = c.before;
    IndexToEnd(index, L"memory", c.buffer);
    memory.bytes += c.after;
    ASSERT_EQ(index.Resume(L"memory"), PG_ACTIVE);
    while (index.state() == PG_ACTIVE) index.IndexMessage(kPageIndexContinue, L"memory", c.buffer);
    EXPECT_EQ(AllPages(index), PlainScan(memory.bytes)) << testing::PrintToString(c.before);
  }
}

TEST_F(PageIndexRunTest, ARunTakesSlicesWhileTheNextStillFitsItsBudget) {
  memory.bytes.assign(64 * 400, 'x');
  int64_t now = 0, tick = 0;
  index.SetClock([&] { return now += tick; });
  const struct {
    int32_t budgetMs;
    int64_t sliceMicroseconds;
    uint64_t slices;
  } cases[] = {{0, 1, 1}, {-5, 1, 1}, {15, 1000, 15}, {15, 100, 150}, {15, 20000, 1}};
  for (const auto& c : cases) {
    index.IndexMessage(kPageIndexStart, L"memory", 64);
    tick = c.sliceMicroseconds;
    index.Run(L"memory", 64, c.budgetMs);
    EXPECT_EQ(index.scanPosition(), c.slices * 61) << c.budgetMs << " ms, " << tick;
  }
  // A budget beyond the file: one run to the end.
  index.IndexMessage(kPageIndexStart, L"memory", 64);
  EXPECT_EQ(index.Run(L"memory", 64, 1'000'000), PG_DONE);
}

TEST_F(PageIndexRunTest, EveryPageOfARunIsInTheIndexFileWhenItReturns) {
  memory.bytes.clear();
  for (int page = 0; page < 3000; ++page) memory.bytes += "line\r\n\fpage " + std::to_string(page);
  int64_t now = 0;
  index.SetClock([&] { return now += 100; });
  index.IndexMessage(kPageIndexStart, L"memory", 16);
  while (index.Run(L"memory", 16, 2) == PG_ACTIVE) {
    const std::vector<int64_t> records = Records(index.indexFileName());
    ASSERT_EQ(records.size(), static_cast<size_t>(index.pageCount()));
    EXPECT_EQ(index.PageLookup(index.pageCount()), records.back());
  }
  EXPECT_EQ(AllPages(index), PlainScan(memory.bytes));
}

TEST(PageIndexFileTest, AFileReplacedWhileIndexedOrAfterIsIndexedAgain) {
  const fs::path path = fs::temp_directory_path() / (UniqueTempName("zorvo_replaced") + ".txt");
  auto write = [&](const std::string& line, int pages) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (int n = 0; n < pages; ++n) out << line << n << "\r\n\f";
  };
  const std::function<void()> ways[] = {
      [&] { fs::rename(path, fs::path(path).concat(".old")), write("bravo page ", 90); },
      [&] { write("bravo page ", 90); },  // the same file written over
  };
  for (const bool complete : {false, true}) {
    for (const auto& replace : ways) {
      write("alpha ", 40);
      RecordingNotifier notifier;
      PageIndex index(notifier);
      index.IndexMessage(kPageIndexStart, path.wstring(), 64);
      for (int n = 0; n < 5 || (complete && index.state() == PG_ACTIVE); ++n) {
        index.Run(path.wstring(), 64, 0);
      }
      replace();
      if (complete) {
        EXPECT_EQ(index.FitsFile(path.wstring(), fs::file_size(path)), PageIndex::Fit::kReplaced);
        index.IndexMessage(kPageIndexStart, path.wstring(), 64);
      }
      while (index.Run(path.wstring(), 64, 0) == PG_ACTIVE) {
      }
      EXPECT_EQ(AllPages(index), PlainScan(ReadAll(path))) << complete;
      EXPECT_EQ(index.FitsFile(path.wstring(), fs::file_size(path)), PageIndex::Fit::kFits);
    }
  }
  fs::remove(path);
  fs::remove(fs::path(path).concat(".old"));
}

// The temporary folder of the index files is a private one while it lives.
class PageIndexTempFolderTest : public testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() / UniqueTempName("zorvo_temp");
    fs::create_directory(folder);
    Set(folder.wstring() + L"/");
  }
  void TearDown() override {
    Set(L"");
    fs::remove_all(folder);
  }
  static void Set(const std::wstring& value) {
#ifdef _WIN32
    for (const wchar_t* name : {L"TMP", L"TEMP"}) {
      SetEnvironmentVariableW(name, value.empty() ? nullptr : value.c_str());
    }
#else
    value.empty() ? unsetenv("TMPDIR") : setenv("TMPDIR", fs::path(value).c_str(), 1);
#endif
  }
  fs::path folder;
};

TEST_F(PageIndexTempFolderTest, IndexFilesLeftByViewersThatEndedUncleanlyAreRemoved) {
  PageIndexPlatform& platform = PlatformPageIndex();
  auto make = [&](const std::string& bytes) {
    const std::wstring name = platform.UniqueTempName();
    std::ofstream(fs::path(name), std::ios::binary) << bytes;
    return name;
  };
  const std::string left("QdX\x1A\0\0\0\0\0\0\0\0\0\0\0\0", 16);
  const std::wstring killed = make(left + std::string(16, '\0'));
  const std::wstring kept[] = {
      make("not an index of ours"),
      make(""),  // named by a viewer that has not made its index yet
  };
  std::ofstream(folder / "notes.tmp", std::ios::binary) << left;
  RecordingNotifier notifier;
  PageIndex running(notifier);  // another viewer, still indexing
  const std::wstring file = (fs::path(ZORVO_TEST_DATA) / "formfeed/rfc2181_lf.txt").wstring();
  ASSERT_EQ(running.IndexMessage(kPageIndexStart, file, 8192), PG_ACTIVE);

  EXPECT_EQ(RemoveLeftIndexFiles(), 1);
  EXPECT_FALSE(fs::exists(fs::path(killed)));
  for (const auto& name : kept) EXPECT_TRUE(fs::exists(fs::path(name)));
  EXPECT_TRUE(fs::exists(folder / "notes.tmp"));
  EXPECT_TRUE(fs::exists(fs::path(running.indexFileName())));
  while (running.state() == PG_ACTIVE) running.IndexMessage(kPageIndexContinue, file, 8192);
  EXPECT_EQ(running.pageCount(), 15);
}

// An index file and a viewed file in memory; the n-th of all the steps the
// index takes through them fails.
struct Failing : PageIndexPlatform, FileOpener {
  int failAt = 0, steps = 0, allocated = 0;
  size_t largest = 0;  // the most memory asked for at once
  std::map<std::wstring, std::string> files;
  std::string viewed = "page one\n\fpage two\n";
  bool Ok() { return ++steps != failAt; }

  struct Index : IndexFile {
    Failing& f;
    explicit Index(Failing& failing) : f(failing) {}
    bool Seek(uint64_t) override { return f.Ok(); }
    bool Write(const unsigned char*, uint32_t) override { return f.Ok(); }
    bool Read(unsigned char*, uint32_t, uint32_t& got) override { return got = 0, true; }
  };
  struct Source : FileHandle {
    Failing& f;
    size_t at = 0;
    explicit Source(Failing& failing) : f(failing) {}
    bool Size(int64_t& size) override { return size = 0, true; }
    bool Seek(int64_t offset) override { return at = offset, f.Ok(); }
    bool Read(unsigned char* buffer, uint32_t size, uint32_t& got) override {
      got = static_cast<uint32_t>(std::min<size_t>(size, f.viewed.size() - at));
      std::copy_n(f.viewed.data() + at, got, buffer);
      return at += got, f.Ok();
    }
    uint32_t LastError() const override { return 5; }
  };
  std::wstring UniqueTempName() override { return Ok() ? (files[L"TPX1.tmp"], L"TPX1.tmp") : L""; }
  std::unique_ptr<IndexFile> CreateIndexFile(const std::wstring&) override {
    return Ok() ? std::make_unique<Index>(*this) : nullptr;
  }
  void RemoveFile(const std::wstring& name) override { files.erase(name); }
  unsigned char* AllocatePages(size_t size) override {
    largest = std::max(largest, size);
    return Ok() ? (++allocated, new unsigned char[size]) : nullptr;
  }
  void FreePages(unsigned char* pages, size_t) override { --allocated, delete[] pages; }
  std::unique_ptr<FileHandle> Open(const std::wstring&, uint32_t& error) override {
    error = 2;
    return Ok() ? std::make_unique<Source>(*this) : nullptr;
  }
};

TEST(PageIndexMemoryTest, AHugeBufferTakesNoMoreMemoryThanASliceReadsAtOnce) {
  for (const auto& [buffer, taken] :
       std::map<int32_t, size_t>{{8192, 8192}, {1 << 20, 262144}, {1 << 30, 262144}}) {
    Failing failing;  // at no step
    RecordingNotifier notifier;
    PageIndex index(notifier, failing, failing);
    IndexToEnd(index, L"C:\\viewed.txt", buffer);
    EXPECT_EQ(index.state(), PG_DONE);
    EXPECT_EQ(failing.largest, taken) << buffer;
  }
}

TEST(PageIndexFailureTest, EveryFailureShowsItsMessageAndLeavesNothingBehind) {
  const std::wstring start = L"Program Error: ", slice = L"Zorvo Page Indexing: ";
  const std::wstring failed =
      L"\n\nPage indexing failed, [GoTo page] command will not be available";
  // The steps: temporary name, index file, buffer, viewed file, header seek
  // and write, page 1; a slice: seek, two reads, records seek and write,
  // header seek and write.
  const std::wstring messages[] = {
      start + L"Cannot open temp file:\n",
      start + L"Cannot open temp file:\nTPX1.tmp",
      start + L"Cannot allocate file I/O buffer for page index.",
      start + L"Cannot open file:\nC:\\viewed.txt",
      start + L"Index file write error:\nTPX1.tmp",
      start + L"Index file write error:\nTPX1.tmp",
      start + L"Index file write error:\nTPX1.tmp",
      slice + L"Seek error." + failed,
      slice + L"Read error." + failed,
      slice + L"Read error." + failed,
      slice + L"Error writing the page index file." + failed,
      slice + L"Error writing the page index file." + failed,
      slice + L"Error locating the page index header." + failed,
      slice + L"Error updating the page index header." + failed,
  };
  for (int step = 1; step <= 14; ++step) {
    Failing failing;
    failing.failAt = step;
    RecordingNotifier notifier;
    {
      PageIndex index(notifier, failing, failing);
      index.IndexMessage(kPageIndexStart, L"C:\\viewed.txt", 64, 7);
      if (index.state() == PG_ACTIVE) index.IndexMessage(kPageIndexContinue, L"", 64, 7);
      EXPECT_EQ(index.state(), PG_IDLE) << step;
      EXPECT_EQ(failing.allocated, 0) << "the buffer is released after " << step;
      EXPECT_TRUE(failing.files.empty()) << "the index file is deleted after " << step;
    }
    ASSERT_EQ(notifier.shown.size(), 1u) << step;
    const auto& shown = notifier.shown[0];
    EXPECT_EQ(shown.caption + L": " + shown.text, messages[step - 1]) << step;
    EXPECT_EQ(shown.style, step <= 7 ? kIconExclamation : kMessageOk) << step;
    EXPECT_EQ(shown.owner, step <= 7 ? 7u : 0u) << "a slice's messages have no owner";
  }
}

TEST(PageIndexFailureTest, MessagesOutOfTurn) {
  Failing failing;
  RecordingNotifier notifier;
  PageIndex index(notifier, failing, failing);
  index.IndexMessage(kPageIndexContinue, L"", 64);
  index.IndexMessage(0x411, L"", 64);
  ASSERT_EQ(notifier.shown.size(), 2u);
  EXPECT_EQ(notifier.shown[0].text, L"PG_CONT while not PG_ACTIVE");
  EXPECT_EQ(notifier.shown[1].text, L"Unknown message code: 411");
  EXPECT_EQ(notifier.shown[1].caption, L"Program error");
  EXPECT_EQ(notifier.shown[1].style, kIconHand);
}

}  // namespace
}  // namespace zorvo
