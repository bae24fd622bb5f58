#include "viewer/file/file_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/system_error_text.h"
#include "common/wide_text.h"
#include "support/temp_names.h"

namespace zorvo {
namespace {

namespace fs = std::filesystem;

std::string Pattern(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 + i / 251);
  return bytes;
}

class ReadBlockTest : public testing::Test {
 protected:
  void SetUp() override {
    path_ = fs::temp_directory_path() / (UniqueTempName("zorvo_reader") + ".bin");
    file_.path = path_.wstring();
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove(path_, ignored);
  }
  void Write(const std::string& bytes) {
    std::ofstream(path_, std::ios::binary | std::ios::trunc).write(bytes.data(), bytes.size());
  }
  unsigned Read(int64_t fcur, uint32_t size, int64_t back) {
    file_.Fcur = fcur;
    buffer_.assign(size + 16, '\xEE');
    ReadRequest request{reinterpret_cast<unsigned char*>(buffer_.data()), size, back};
    return ReadBlock(file_, request, result_, notifier_);
  }
  std::string Placed() const { return buffer_.substr(0, result_.size); }

  fs::path path_;
  FileRecord file_;
  std::string buffer_;
  ReadRequest result_;
  RecordingNotifier notifier_;
};

TEST_F(ReadBlockTest, BlockIsPlacedAroundFcurAndKeptInsideTheFile) {
  const std::string data = Pattern(5000);
  Write(data);

  // Wanting bytes before the start: the block starts at 0.
  EXPECT_EQ(Read(0, 50, 100), kReadComplete);
  EXPECT_EQ(file_.Flen, 5000);
  EXPECT_EQ(result_.size, 50u);
  EXPECT_EQ(result_.back, 0);
  EXPECT_EQ(Placed(), data.substr(0, 50));

  // Running past the end: the block moves back to end at the end.
  EXPECT_EQ(Read(4990, 1000, 0), kReadComplete);
  EXPECT_EQ(result_.size, 1000u);
  EXPECT_EQ(result_.back, 990);
  EXPECT_EQ(Placed(), data.substr(4000, 1000));
  EXPECT_TRUE(notifier_.shown.empty());
}

TEST_F(ReadBlockTest, ShortAndEmptyReads) {
  const std::string data = Pattern(5000);
  Write(data);
  EXPECT_EQ(Read(3000, 8000, 0), kReadEndOfFile);
  EXPECT_EQ(result_.size, 5000u);
  EXPECT_EQ(result_.back, 3000);
  EXPECT_EQ(Placed(), data);
  EXPECT_EQ(buffer_[5000], '\xEE');

  EXPECT_EQ(Read(10, 0, 0), kReadNothing);
  EXPECT_EQ(result_.size, 0u);

  Write("");
  EXPECT_EQ(Read(0, 100, 0), kReadNothing | kReadEndOfFile);
  EXPECT_EQ(result_.size, 0u);
  EXPECT_EQ(file_.Flen, 0);
}

TEST_F(ReadBlockTest, LengthIsRefreshedAndFcurClampedOnEveryRead) {
  const std::string data = Pattern(5000);
  Write(data.substr(0, 3000));
  EXPECT_EQ(Read(9000, 1000, 0), kReadComplete);  // shortened since the last read
  EXPECT_EQ(file_.Flen, 3000);
  EXPECT_EQ(file_.Fcur, 3000);
  EXPECT_EQ(result_.back, 1000);
  EXPECT_EQ(Placed(), data.substr(2000, 1000));

  Write(data);
  EXPECT_EQ(Read(3000, 1000, 0), kReadComplete);  // grown since
  EXPECT_EQ(file_.Flen, 5000);
  EXPECT_EQ(result_.back, 0);
  EXPECT_EQ(Placed(), data.substr(3000, 1000));
}

TEST_F(ReadBlockTest, MissingFileIsReported) {
  EXPECT_EQ(Read(0, 100, 0), kReadFailed);
  ASSERT_EQ(notifier_.shown.size(), 1u);
  const RecordingNotifier::Shown& shown = notifier_.shown[0];
  EXPECT_EQ(shown.caption, L"Tessary");
  EXPECT_EQ(shown.style, 16u);
  EXPECT_EQ(shown.owner, 0u);
  EXPECT_EQ(shown.text.rfind(L"Cannot open \"" + file_.path + L"\"\n\n", 0), 0u);
  std::optional<std::wstring> reason = SystemErrorText(2);
  ASSERT_TRUE(reason.has_value());
  EXPECT_NE(shown.text.find(L"Error 2: " + *reason), std::wstring::npos) << Utf8FromWide(shown.text);
#ifndef _WIN32
  EXPECT_EQ(*reason, WideFromUtf8(std::strerror(ENOENT)));
#endif
}

TEST(CannotOpenMessageTest, UnknownErrorAndTruncation) {
  EXPECT_EQ(CannotOpenMessage(L"a.txt", 0xE0000001),
            L"Cannot open \"a.txt\"\n\nError 3758096385: <unknown error>");
  const std::wstring message = CannotOpenMessage(std::wstring(600, L'p'), 2);
  EXPECT_EQ(message.size(), 511u);
  EXPECT_EQ(message.rfind(L"Cannot open \"ppp", 0), 0u);
}

// A file in memory whose handle can misbehave the ways a real one may.
struct FakeFile {
  std::string data;
  size_t shrinkTo = std::string::npos;  // length the file has once Size() was asked
  uint32_t maxChunk = UINT32_MAX;       // most bytes one Read hands over
  bool failSeek = false;
  bool failRead = false;
  int openHandles = 0;
};

class FakeHandle : public FileHandle {
 public:
  explicit FakeHandle(FakeFile& f) : f_(f) { ++f_.openHandles; }
  ~FakeHandle() override { --f_.openHandles; }
  bool Size(int64_t& size) override {
    size = static_cast<int64_t>(f_.data.size());
    if (f_.shrinkTo < f_.data.size()) f_.data.resize(f_.shrinkTo);
    return true;
  }
  bool Seek(int64_t offset) override {
    pos_ = static_cast<size_t>(offset);
    return !f_.failSeek;
  }
  bool Read(unsigned char* buffer, uint32_t size, uint32_t& got) override {
    got = 0;
    if (f_.failRead) return false;
    size_t n = std::min<size_t>({size, f_.maxChunk, f_.data.size() - std::min(pos_, f_.data.size())});
    std::memcpy(buffer, f_.data.data() + pos_, n);
    pos_ += n;
    got = static_cast<uint32_t>(n);
    return true;
  }
  uint32_t LastError() const override { return 5; }

 private:
  FakeFile& f_;
  size_t pos_ = 0;
};

class FakeOpener : public FileOpener {
 public:
  explicit FakeOpener(FakeFile& f) : f_(f) {}
  std::unique_ptr<FileHandle> Open(const std::wstring&, uint32_t&) override {
    return std::make_unique<FakeHandle>(f_);
  }

 private:
  FakeFile& f_;
};

class InjectedReadTest : public testing::Test {
 protected:
  unsigned Read(int64_t fcur, uint32_t size, int64_t back) {
    file_.path = L"fake";
    file_.Fcur = fcur;
    buffer_.assign(size, '\xEE');
    ReadRequest request{reinterpret_cast<unsigned char*>(buffer_.data()), size, back};
    FakeOpener opener(fake_);
    unsigned status = ReadBlock(file_, request, result_, notifier_, opener);
    EXPECT_EQ(fake_.openHandles, 0);
    return status;
  }

  FakeFile fake_;
  FileRecord file_;
  std::string buffer_;
  ReadRequest result_;
  RecordingNotifier notifier_;
};

TEST_F(InjectedReadTest, FileCutShortAfterItsSizeWasTaken) {
  fake_.data = Pattern(5000);
  fake_.shrinkTo = 4300;
  EXPECT_EQ(Read(4990, 1000, 0), kReadEndOfFile);
  EXPECT_EQ(result_.size, 300u);  // bytes 4000..4299 are all that remain
  EXPECT_EQ(buffer_.substr(0, 300), Pattern(5000).substr(4000, 300));
  EXPECT_EQ(buffer_[300], '\xEE');
  // Fcur and the anchor stay inside what was read.
  EXPECT_EQ(file_.Flen, 4300);
  EXPECT_EQ(file_.Fcur, 4300);
  EXPECT_EQ(result_.back, 300);

  fake_.data = Pattern(5000);
  fake_.shrinkTo = 1000;
  EXPECT_EQ(Read(4000, 100, 0), kReadEndOfFile | kReadNothing);
  EXPECT_EQ(result_.size, 0u);
}

TEST_F(InjectedReadTest, PartialReadsAreJoined) {
  fake_.data = Pattern(5000);
  fake_.maxChunk = 7;
  EXPECT_EQ(Read(1000, 500, 50), kReadComplete);
  EXPECT_EQ(result_.size, 500u);
  EXPECT_EQ(buffer_, Pattern(5000).substr(950, 500));
}

TEST_F(InjectedReadTest, SeekAndReadFailuresAreSilent) {
  fake_.data = Pattern(5000);
  fake_.failSeek = true;
  EXPECT_EQ(Read(1000, 500, 0), kReadFailed);
  EXPECT_EQ(Read(0, 8000, 0), kReadEndOfFile);  // no seek needed
  fake_.failSeek = false;
  fake_.failRead = true;
  EXPECT_EQ(Read(1000, 500, 0), kReadFailed);
  EXPECT_EQ(Read(0, 8000, 0), kReadFailed | kReadEndOfFile);
  EXPECT_TRUE(notifier_.shown.empty());
}

}  // namespace
}  // namespace zorvo
