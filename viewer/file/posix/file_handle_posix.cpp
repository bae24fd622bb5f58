#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/wide_text.h"
#include "viewer/file/file_reader.h"

namespace zorvo {

namespace {

class PosixFileHandle : public FileHandle {
 public:
  explicit PosixFileHandle(int fd) : fd_(fd) {}
  ~PosixFileHandle() override { close(fd_); }
  PosixFileHandle(const PosixFileHandle&) = delete;
  PosixFileHandle& operator=(const PosixFileHandle&) = delete;

  bool Size(int64_t& size) override {
    struct stat st;
    if (fstat(fd_, &st) != 0) return Fail();
    size = st.st_size;
    return true;
  }
  bool Seek(int64_t offset) override {
    if (lseek(fd_, static_cast<off_t>(offset), SEEK_SET) == static_cast<off_t>(-1)) return Fail();
    return true;
  }
  bool Read(unsigned char* buffer, uint32_t size, uint32_t& got) override {
    got = 0;
    ssize_t n;
    do {
      n = read(fd_, buffer, size);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return Fail();
    got = static_cast<uint32_t>(n);
    return true;
  }
  bool Identity(FileIdentity& identity) override {
    struct stat st;
    if (fstat(fd_, &st) != 0) return Fail();
    identity.volume = static_cast<uint64_t>(st.st_dev);
    identity.file = static_cast<uint64_t>(st.st_ino);
    return true;
  }
  uint32_t LastError() const override { return error_; }

 private:
  bool Fail() {
    error_ = static_cast<uint32_t>(errno);
    return false;
  }

  int fd_;
  uint32_t error_ = 0;
};

class PosixFileOpener : public FileOpener {
 public:
  std::unique_ptr<FileHandle> Open(const std::wstring& path, uint32_t& error) override {
    int fd;
    do {
      fd = open(Utf8FromWide(path).c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
      error = static_cast<uint32_t>(errno);
      return nullptr;
    }
    error = 0;
    return std::make_unique<PosixFileHandle>(fd);
  }
};

}  // namespace

FileOpener& PlatformFileOpener() {
  static PosixFileOpener opener;
  return opener;
}

FileOpener& KeepingFileOpener() { return PlatformFileOpener(); }

}  // namespace zorvo
