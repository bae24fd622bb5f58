#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/system_error_text.h"
#include "support/temp_names.h"
#include "viewer/file/file_reader.h"

namespace zorvo {
namespace {

namespace fs = std::filesystem;

class ReadBlockWin32Test : public testing::Test {
 protected:
  void SetUp() override {
    // Letters beyond ASCII in the name, as users' files have them.
    std::wstring name = L"zorvo_reader_\u00e9\u20ac_";
    for (char c : UniqueTempName("file")) name.push_back(static_cast<wchar_t>(c));
    path_ = fs::temp_directory_path() / (name + L".bin");
    file_.path = path_.wstring();
  }
  void TearDown() override {
    if (other_ != INVALID_HANDLE_VALUE) CloseHandle(other_);
    DeleteFileW(file_.path.c_str());
  }
  // Opens the file as another program would, keeping it open.
  void OpenOther(DWORD access, DWORD share) {
    other_ = CreateFileW(file_.path.c_str(), access, share, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(other_, INVALID_HANDLE_VALUE) << GetLastError();
  }
  void Append(const std::string& bytes) {
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(other_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    ASSERT_EQ(written, bytes.size());
  }
  unsigned Read(int64_t fcur, uint32_t size, int64_t back) {
    file_.Fcur = fcur;
    buffer_.assign(size, '\0');
    ReadRequest request{reinterpret_cast<unsigned char*>(buffer_.data()), size, back};
    return ReadBlock(file_, request, result_, notifier_);
  }
  std::string Placed() const { return buffer_.substr(0, result_.size); }

  fs::path path_;
  HANDLE other_ = INVALID_HANDLE_VALUE;
  FileRecord file_;
  std::string buffer_;
  ReadRequest result_;
  RecordingNotifier notifier_;
};

TEST_F(ReadBlockWin32Test, FileBeingWrittenIsReadAndGrowsInTheView) {
  OpenOther(GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
  const std::string first(3000, 'a'), second(500, 'b');
  Append(first);
  EXPECT_EQ(Read(0, 4096, 0), kReadEndOfFile);
  EXPECT_EQ(file_.Flen, 3000);
  EXPECT_EQ(Placed(), first);

  Append(second);
  EXPECT_EQ(Read(3000, 1000, 0), kReadComplete);
  EXPECT_EQ(file_.Flen, 3500);
  EXPECT_EQ(result_.back, 500);
  EXPECT_EQ(Placed(), first.substr(2500) + second);
  EXPECT_TRUE(notifier_.shown.empty());
}

TEST_F(ReadBlockWin32Test, OpenFailuresReportTheSystemError) {
  EXPECT_EQ(Read(0, 100, 0), kReadFailed);  // not created yet
  ASSERT_EQ(notifier_.shown.size(), 1u);
  EXPECT_EQ(notifier_.shown[0].caption, L"Tessary");
  EXPECT_EQ(notifier_.shown[0].style, static_cast<uint32_t>(MB_ICONHAND));
  EXPECT_EQ(notifier_.shown[0].text,
            L"Cannot open \"" + file_.path + L"\"\n\nError 2: " + SystemErrorText(2).value());

  // A writer that shares nothing keeps the file from being read.
  OpenOther(GENERIC_WRITE, 0);
  EXPECT_EQ(Read(0, 100, 0), kReadFailed);
  ASSERT_EQ(notifier_.shown.size(), 2u);
  EXPECT_NE(notifier_.shown[1].text.find(L"Error 32: " + SystemErrorText(32).value()),
            std::wstring::npos);
}

}  // namespace
}  // namespace zorvo
