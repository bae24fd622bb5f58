// The page index: page starts on real form-feed files against a plain scan,
// slice boundaries, a growing file, the index file's records, and every
// failure message.
#include "viewer/file/page_index.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "support/memory_file.h"

namespace zorvo {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every form feed right after LF or CR, except in the last two bytes (no
// pair beginning there is examined), and page 1 at 0.
std::vector<int64_t> PlainScan(const std::string& bytes) {
  std::vector<int64_t> starts{0};
  for (size_t i = 1; i + 2 < bytes.size(); ++i) {
    if (bytes[i] == '\f' && (bytes[i - 1] == '\n' || bytes[i - 1] == '\r')) {
      starts.push_back(static_cast<int64_t>(i));
    }
  }
  return starts;
}

// Runs slices until the index leaves PG_ACTIVE; the number of slices.
int IndexToEnd(PageIndex& index, const std::wstring& path, int32_t buffer) {
  if (index.IndexMessage(kPageIndexStart, path, buffer) != PG_ACTIVE) return -1;
  int slices = 0;
  while (index.state() == PG_ACTIVE && slices < 10'000'000) {
    index.IndexMessage(kPageIndexContinue, path, buffer);
    ++slices;
  }
  return slices;
}

std::vector<int64_t> AllPages(PageIndex& index) {
  std::vector<int64_t> pages;
  for (int32_t page = 1; page <= index.pageCount(); ++page) pages.push_back(index.PageLookup(page));
  return pages;
}

TEST(PageIndexTest, PagesOfRealFormFeedFilesAreTheFormFeedsAfterALineEnd) {
  const fs::path data(ZORVO_TEST_DATA);
  const fs::path files[] = {data / "formfeed/rfc1035_crlf.txt", data / "formfeed/rfc2181_lf.txt",
                            data / "formfeed/msdos_SYSCALL.DOC", data / "lineends/msdos_PARTINFO.C",
                            data / "lineends/dos2unix_dos_bin.txt"};
  // The default, sizes that put page breaks on slice boundaries (the tiny
  // ones on the smaller files: a slice each few bytes is slow), and one
  // larger than every file.
  for (const int32_t buffer : {8192, 4, 5, 7, 64, 1000, 1 << 20}) {
    for (const fs::path& file : files) {
      SCOPED_TRACE(file.filename().string() + " with " + std::to_string(buffer));
      const std::string bytes = ReadAll(file);
      if (buffer < 64 && bytes.size() > 40000) continue;
      RecordingNotifier notifier;
      PageIndex index(notifier);
      ASSERT_GT(IndexToEnd(index, file.wstring(), buffer), 0);
      EXPECT_EQ(index.state(), PG_DONE);
      EXPECT_EQ(AllPages(index), PlainScan(bytes));
      EXPECT_EQ(index.PageLookup(index.pageCount() + 1), kNoSuchPage);
      EXPECT_EQ(index.PageLookup(0), kNoSuchPage);
      EXPECT_EQ(index.indexedLength(), bytes.size());
      EXPECT_TRUE(notifier.shown.empty());
    }
  }
  // The files hold the page breaks their sources count.
  EXPECT_EQ(PlainScan(ReadAll(data / "formfeed/rfc2181_lf.txt")).size(), 15u);
  EXPECT_EQ(PlainScan(ReadAll(data / "formfeed/msdos_SYSCALL.DOC")).size(), 44u);
}

TEST(PageIndexTest, TheIndexFileHoldsTheHeaderAndOneRecordPerPage) {
  const fs::path file = fs::path(ZORVO_TEST_DATA) / "formfeed/rfc2181_lf.txt";
  RecordingNotifier notifier;
  PageIndex index(notifier);
  ASSERT_EQ(index.IndexMessage(kPageIndexStart, file.wstring(), 8192), PG_ACTIVE);
  const fs::path name(index.indexFileName());
  EXPECT_EQ(name.filename().string().substr(0, 3), "TPX");
  // Before the end the header's count is 0 and page 1 is there.
  std::string written = ReadAll(name);
  ASSERT_EQ(written.size(), 32u);
  EXPECT_EQ(written.substr(0, 16), std::string("QdX\x1A\0\0\0\0\0\0\0\0\0\0\0\0", 16));
  EXPECT_EQ(written.substr(16), std::string(16, '\0'));

  while (index.state() == PG_ACTIVE) index.IndexMessage(kPageIndexContinue, file.wstring(), 8192);
  written = ReadAll(name);
  const std::vector<int64_t> pages = PlainScan(ReadAll(file));
  ASSERT_EQ(written.size(), 16 * (pages.size() + 1));
  EXPECT_EQ(written.substr(0, 12), std::string("QdX\x1A\0\0\0\0\x0F\0\0\0", 12));
  for (size_t n = 1; n <= pages.size(); ++n) {
    int64_t offset = 0;
    for (int b = 7; b >= 0; --b)
      offset = offset * 256 + static_cast<unsigned char>(written[16 * n + b]);
    EXPECT_EQ(offset, pages[n - 1]);
    EXPECT_EQ(written.substr(16 * n + 8, 8), std::string(8, '\0'));
  }

  // Cancel deletes it; a new start makes another.
  EXPECT_EQ(index.IndexMessage(kPageIndexCancel, L"", 0), PG_IDLE);
  EXPECT_FALSE(fs::exists(name));
  EXPECT_TRUE(index.indexFileName().empty());
  EXPECT_EQ(index.PageLookup(1), kIndexReadError);
  ASSERT_EQ(index.IndexMessage(kPageIndexStart, file.wstring(), 8192), PG_ACTIVE);
  const fs::path again(index.indexFileName());
  EXPECT_TRUE(fs::exists(again));
  EXPECT_EQ(index.IndexMessage(kPageIndexEnd, L"", 0), PG_IDLE);
  EXPECT_FALSE(fs::exists(again));
  EXPECT_TRUE(notifier.shown.empty());
}

class MemoryIndexTest : public testing::Test {
 protected:
  int Run(const std::string& bytes, int32_t buffer = 8192) {
    memory.bytes = bytes;
    return IndexToEnd(index, L"memory", buffer);
  }
  MemoryFile memory;
  RecordingNotifier notifier;
  PageIndex index{notifier, memory};
};

TEST_F(MemoryIndexTest, OnlyAFormFeedRightAfterALineEndStartsAPage) {
  const struct {
    const char* name;
    std::string bytes;
    std::vector<int64_t> pages;
  } cases[] = {
      {"no form feed", "one\r\ntwo\r\n", {0}},
      {"empty file", "", {0}},
      {"form feed at 0", "\fone\ntwo\n", {0}},
      {"after a space", "one \ftwo\nthree\n", {0}},
      {"LF and CR", "a\n\fb\r\fc\r\n\fd\n", {0, 2, 5, 9}},
      {"two in a row", "a\n\f\fb\n", {0, 2}},
      {"in the last two bytes", std::string("abc\n\f\n"), {0}},
      {"in the last byte", std::string("abcd\n\f"), {0}},
      {"third from the end", std::string("abc\n\fxy"), {0, 4}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    for (const int32_t buffer : {8192, 4, 5}) {
      RecordingNotifier quiet;
      PageIndex fresh(quiet, memory);
      memory.bytes = c.bytes;
      IndexToEnd(fresh, L"memory", buffer);
      EXPECT_EQ(fresh.state(), PG_DONE);
      EXPECT_EQ(AllPages(fresh), c.pages) << buffer;
    }
  }
}

TEST_F(MemoryIndexTest, LargeBuffersFindEveryBreakOfADenseFile) {
  // Line ends and form feeds everywhere, so that breaks fall on every
  // boundary of a slice and of the pieces a large buffer is read in.
  std::string bytes(700'000, 'a');
  uint32_t seed = 12345;
  for (char& c : bytes) {
    seed = seed * 1103515245 + 12345;
    c = "\n\r\faaaaa"[(seed >> 16) & 7];
  }
  const std::vector<int64_t> expected = PlainScan(bytes);
  for (const int32_t buffer : {1 << 20, 262147, 8192}) {
    RecordingNotifier quiet;
    PageIndex fresh(quiet, memory);
    memory.bytes = bytes;
    IndexToEnd(fresh, L"memory", buffer);
    ASSERT_EQ(fresh.state(), PG_DONE);
    // The records as written, read in one go.
    const std::string written = ReadAll(fs::path(fresh.indexFileName()));
    std::vector<int64_t> pages;
    for (size_t at = 16; at + 16 <= written.size(); at += 16) {
      int64_t offset = 0;
      for (int b = 7; b >= 0; --b)
        offset = offset * 256 + static_cast<unsigned char>(written[at + b]);
      pages.push_back(offset);
    }
    EXPECT_EQ(pages, expected) << buffer;
  }
}

TEST_F(MemoryIndexTest, TwentyThousandBytesTakeThreeDefaultSlices) {
  std::string bytes(20000, 'x');
  bytes[8190] = '\n';  // the pair straddles the first two slices
  bytes[8191] = '\f';
  EXPECT_EQ(Run(bytes), 3);
  EXPECT_EQ(AllPages(index), (std::vector<int64_t>{0, 8191}));
  EXPECT_EQ(index.indexedLength(), 20000u);
}

TEST_F(MemoryIndexTest, AFileThatGrowsWhileIndexedGetsItsNewPages) {
  memory.bytes = std::string(100, 'a') + "\n\f" + std::string(100, 'b');
  ASSERT_EQ(index.IndexMessage(kPageIndexStart, L"memory", 64), PG_ACTIVE);
  index.IndexMessage(kPageIndexContinue, L"memory", 64);
  EXPECT_EQ(index.pageCount(), 1);
  // Looked up while indexing goes on, before and after the page is found.
  EXPECT_EQ(index.PageLookup(2), kNoSuchPage);
  index.IndexMessage(kPageIndexContinue, L"memory", 64);
  EXPECT_EQ(index.PageLookup(2), 101);
  memory.bytes += "\r\f" + std::string(500, 'c') + "\n\f" + std::string(10, 'd');
  while (index.state() == PG_ACTIVE) index.IndexMessage(kPageIndexContinue, L"memory", 64);
  EXPECT_EQ(index.state(), PG_DONE);
  EXPECT_EQ(AllPages(index), PlainScan(memory.bytes));
  EXPECT_EQ(index.pageCount(), 4);
  EXPECT_EQ(index.indexedLength(), memory.bytes.size());

  // Grown after completion: indexing goes on where it ended, and a break
  // whose line end was among the last bytes indexed is found once.
  EXPECT_EQ(index.FitsLength(memory.bytes.size()), PageIndex::Fit::kFits);
  memory.bytes += "\n\f\f" + std::string(70, 'e') + "\r\f" + std::string(3, 'f');
  EXPECT_EQ(index.FitsLength(memory.bytes.size()), PageIndex::Fit::kGrown);
  ASSERT_EQ(index.Resume(L"memory"), PG_ACTIVE);
  EXPECT_EQ(index.PageLookup(4), PlainScan(memory.bytes)[3]);
  while (index.state() == PG_ACTIVE) index.IndexMessage(kPageIndexContinue, L"memory", 64);
  EXPECT_EQ(AllPages(index), PlainScan(memory.bytes));
  EXPECT_EQ(index.pageCount(), 6);
  EXPECT_EQ(index.FitsLength(memory.bytes.size() - 1), PageIndex::Fit::kShrunk);
  EXPECT_TRUE(notifier.shown.empty());
}

// A platform whose index files live in memory and whose steps fail on
// request.
class FailingPlatform : public PageIndexPlatform {
 public:
  bool noName = false, noFile = false, noMemory = false;
  int failWrite = 0;  // the n-th write fails (1-based), 0 none
  int failSeek = 0;   // the n-th seek of the index file fails
  int writes = 0, seeks = 0;
  std::map<std::wstring, std::string> files;
  std::vector<std::wstring> removed;
  int allocated = 0;

  std::wstring UniqueTempName() override {
    if (noName) return L"";
    files[L"TPX1.tmp"];
    return L"TPX1.tmp";
  }
  std::unique_ptr<IndexFile> CreateIndexFile(const std::wstring& name) override {
    if (noFile) return nullptr;
    files[name].clear();
    return std::make_unique<File>(*this, files[name]);
  }
  void RemoveFile(const std::wstring& name) override {
    removed.push_back(name);
    files.erase(name);
  }
  unsigned char* AllocatePages(size_t size) override {
    if (noMemory) return nullptr;
    ++allocated;
    return new unsigned char[size];
  }
  void FreePages(unsigned char* pages, size_t) override {
    --allocated;
    delete[] pages;
  }

 private:
  class File : public IndexFile {
   public:
    File(FailingPlatform& p, std::string& bytes) : p_(p), bytes_(bytes) {}
    bool Seek(uint64_t offset) override {
      if (++p_.seeks == p_.failSeek) return false;
      at_ = offset;
      return true;
    }
    bool Write(const unsigned char* data, uint32_t size) override {
      if (++p_.writes == p_.failWrite) return false;
      if (bytes_.size() < at_ + size) bytes_.resize(at_ + size);
      bytes_.replace(at_, size, reinterpret_cast<const char*>(data), size);
      at_ += size;
      return true;
    }
    bool Read(unsigned char* data, uint32_t size, uint32_t& got) override {
      got = static_cast<uint32_t>(
          std::min<uint64_t>(size, bytes_.size() - std::min<uint64_t>(at_, bytes_.size())));
      std::copy_n(bytes_.data() + at_, got, data);
      at_ += got;
      return true;
    }

   private:
    FailingPlatform& p_;
    std::string& bytes_;
    uint64_t at_ = 0;
  };
};

// A source whose seek or read fails from the n-th call on.
class FailingSource : public FileOpener {
 public:
  std::string bytes;
  int failSeek = 0, failRead = 0;
  int seeks = 0, reads = 0;
  std::unique_ptr<FileHandle> Open(const std::wstring&, uint32_t& error) override {
    error = 0;
    return std::make_unique<Handle>(*this);
  }

 private:
  class Handle : public FileHandle {
   public:
    explicit Handle(FailingSource& s) : s_(s) {}
    bool Size(int64_t& size) override {
      size = static_cast<int64_t>(s_.bytes.size());
      return true;
    }
    bool Seek(int64_t offset) override {
      at_ = static_cast<size_t>(offset);
      return ++s_.seeks != s_.failSeek;
    }
    bool Read(unsigned char* buffer, uint32_t size, uint32_t& got) override {
      got = 0;
      if (++s_.reads == s_.failRead) return false;
      got = static_cast<uint32_t>(
          std::min<size_t>(size, s_.bytes.size() - std::min(at_, s_.bytes.size())));
      std::copy_n(s_.bytes.data() + at_, got, buffer);
      at_ += got;
      return true;
    }
    uint32_t LastError() const override { return 5; }

   private:
    FailingSource& s_;
    size_t at_ = 0;
  };
};

TEST(PageIndexFailureTest, EveryFailureShowsItsMessageAndLeavesNothingBehind) {
  const std::wstring failed =
      L"\n\nPage indexing failed, [GoTo page] command will not be available";
  struct Case {
    const char* name;
    std::function<void(FailingPlatform&, FailingSource&)> arrange;
    std::wstring text;
    std::wstring caption;
    uint32_t style;
    uintptr_t owner;
  };
  const Case cases[] = {
      {"no temporary name", [](FailingPlatform& p, FailingSource&) { p.noName = true; },
       L"Cannot open temp file:\n", L"Program Error", kIconExclamation, 7},
      {"index file", [](FailingPlatform& p, FailingSource&) { p.noFile = true; },
       L"Cannot open temp file:\nTPX1.tmp", L"Program Error", kIconExclamation, 7},
      {"buffer", [](FailingPlatform& p, FailingSource&) { p.noMemory = true; },
       L"Cannot allocate file I/O buffer for page index.", L"Program Error", kIconExclamation, 7},
      {"header", [](FailingPlatform& p, FailingSource&) { p.failWrite = 1; },
       L"Index file write error:\nTPX1.tmp", L"Program Error", kIconExclamation, 7},
      {"page 1", [](FailingPlatform& p, FailingSource&) { p.failWrite = 2; },
       L"Index file write error:\nTPX1.tmp", L"Program Error", kIconExclamation, 7},
      {"source seek", [](FailingPlatform&, FailingSource& s) { s.failSeek = 1; },
       L"Seek error." + failed, L"Zorvo Page Indexing", kMessageOk, 0},
      {"source read", [](FailingPlatform&, FailingSource& s) { s.failRead = 1; },
       L"Read error." + failed, L"Zorvo Page Indexing", kMessageOk, 0},
      {"page record", [](FailingPlatform& p, FailingSource&) { p.failWrite = 3; },
       L"Error writing the page index file." + failed, L"Zorvo Page Indexing", kMessageOk, 0},
      {"header seek", [](FailingPlatform& p, FailingSource&) { p.failSeek = 3; },
       L"Error locating the page index header." + failed, L"Zorvo Page Indexing", kMessageOk, 0},
      {"final header", [](FailingPlatform& p, FailingSource&) { p.failWrite = 4; },
       L"Error updating the page index header." + failed, L"Zorvo Page Indexing", kMessageOk, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FailingPlatform platform;
    FailingSource source;
    source.bytes = "page one\n\fpage two\n";  // all in one slice
    RecordingNotifier notifier;
    {
      PageIndex index(notifier, source, platform);
      c.arrange(platform, source);
      index.IndexMessage(kPageIndexStart, L"C:\\viewed.txt", 64, 7);
      for (int i = 0; i < 5 && index.state() == PG_ACTIVE; ++i) {
        index.IndexMessage(kPageIndexContinue, L"C:\\viewed.txt", 64, 7);
      }
      EXPECT_EQ(index.state(), PG_IDLE);
      EXPECT_FALSE(index.HasIndex());
      EXPECT_EQ(index.PageLookup(1), kIndexReadError);
      EXPECT_EQ(platform.allocated, 0) << "the buffer is released after a failure";
      EXPECT_TRUE(platform.files.empty()) << "the index file is deleted";
    }
    ASSERT_EQ(notifier.shown.size(), 1u);
    EXPECT_EQ(notifier.shown[0].text, c.text);
    EXPECT_EQ(notifier.shown[0].caption, c.caption);
    EXPECT_EQ(notifier.shown[0].style, c.style);
    EXPECT_EQ(notifier.shown[0].owner, c.owner);
  }
}

TEST(PageIndexFailureTest, SourceThatCannotBeOpenedAndMessagesOutOfTurn) {
  FailingPlatform platform;
  MemoryFile missing;
  missing.fail = true;
  RecordingNotifier notifier;
  PageIndex index(notifier, missing, platform);
  EXPECT_EQ(index.IndexMessage(kPageIndexStart, L"C:\\gone.txt", 64, 9), PG_IDLE);
  EXPECT_EQ(index.IndexMessage(kPageIndexContinue, L"C:\\gone.txt", 64), PG_IDLE);
  EXPECT_EQ(index.IndexMessage(0x411, L"", 64), PG_IDLE);
  ASSERT_EQ(notifier.shown.size(), 3u);
  EXPECT_EQ(notifier.shown[0].text, L"Cannot open file:\nC:\\gone.txt");
  EXPECT_EQ(notifier.shown[0].caption, L"Program Error");
  EXPECT_EQ(notifier.shown[0].owner, 9u);
  EXPECT_EQ(notifier.shown[1].text, L"PG_CONT while not PG_ACTIVE");
  EXPECT_EQ(notifier.shown[2].text, L"Unknown message code: 411");
  for (int i = 1; i < 3; ++i) {
    EXPECT_EQ(notifier.shown[i].caption, L"Program error");
    EXPECT_EQ(notifier.shown[i].style, kIconHand);
  }
  EXPECT_TRUE(platform.files.empty());
  EXPECT_EQ(platform.allocated, 0);
}

TEST(PageIndexFailureTest, TheBufferIsKeptByCancelAndReleasedByEnd) {
  FailingPlatform platform;
  MemoryFile memory("a\n\fb\n\fc\n");
  RecordingNotifier notifier;
  PageIndex index(notifier, memory, platform);
  index.IndexMessage(kPageIndexStart, L"m", 64);
  index.IndexMessage(kPageIndexCancel, L"m", 64);
  EXPECT_EQ(platform.allocated, 1);
  EXPECT_EQ(platform.removed, std::vector<std::wstring>{L"TPX1.tmp"});
  index.IndexMessage(kPageIndexStart, L"m", 64);
  EXPECT_EQ(platform.allocated, 1) << "the buffer is reused";
  index.IndexMessage(kPageIndexEnd, L"m", 64);
  EXPECT_EQ(platform.allocated, 0);
  EXPECT_TRUE(platform.files.empty());
  EXPECT_TRUE(notifier.shown.empty());
}

}  // namespace
}  // namespace zorvo
