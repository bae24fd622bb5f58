#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "common/wide_text.h"
#include "viewer/file/page_index.h"

namespace zorvo {

namespace {

class PosixIndexFile : public IndexFile {
 public:
  explicit PosixIndexFile(int fd) : fd_(fd) {}
  ~PosixIndexFile() override { close(fd_); }
  PosixIndexFile(const PosixIndexFile&) = delete;
  PosixIndexFile& operator=(const PosixIndexFile&) = delete;

  bool Seek(uint64_t offset) override {
    return lseek(fd_, static_cast<off_t>(offset), SEEK_SET) != static_cast<off_t>(-1);
  }
  bool Write(const unsigned char* data, uint32_t size) override {
    while (size > 0) {
      const ssize_t n = write(fd_, data, size);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      data += n;
      size -= static_cast<uint32_t>(n);
    }
    return true;
  }
  bool Read(unsigned char* data, uint32_t size, uint32_t& got) override {
    ssize_t n;
    do {
      n = read(fd_, data, size);
    } while (n < 0 && errno == EINTR);
    got = n > 0 ? static_cast<uint32_t>(n) : 0;
    return n >= 0;
  }

 private:
  int fd_;
};

std::string TempFolder() {
  const char* folder = getenv("TMPDIR");
  return folder && *folder ? folder : "/tmp";
}

// "TPX" and the six characters mkstemp puts in place of its X's.
constexpr char kPrefix[] = "TPX";
constexpr size_t kNameLength = 9;

class PosixPageIndexPlatform : public PageIndexPlatform {
 public:
  std::wstring UniqueTempName() override {
    std::string name = TempFolder() + "/" + kPrefix + "XXXXXX";
    const int fd = mkstemp(name.data());
    if (fd < 0) return L"";
    close(fd);
    return WideFromUtf8(name);
  }
  std::unique_ptr<IndexFile> CreateIndexFile(const std::wstring& name) override {
    const int fd = open(Utf8FromWide(name).c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return nullptr;
    // Held while the index lives, as the share mode of Windows holds it:
    // another viewer cleaning up leftovers sees it is in use.
    flock(fd, LOCK_EX | LOCK_NB);
    return std::make_unique<PosixIndexFile>(fd);
  }
  std::vector<std::wstring> IndexNamesInTempFolder() override {
    std::vector<std::wstring> names;
    const std::string folder = TempFolder();
    DIR* dir = opendir(folder.c_str());
    if (!dir) return names;
    while (const dirent* entry = readdir(dir)) {
      const std::string name = entry->d_name;
      if (name.size() == kNameLength && name.compare(0, 3, kPrefix) == 0) {
        names.push_back(WideFromUtf8(folder + "/" + name));
      }
    }
    closedir(dir);
    return names;
  }
  std::unique_ptr<IndexFile> OpenIfUnused(const std::wstring& name) override {
    const int fd = open(Utf8FromWide(name).c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return nullptr;
    if (flock(fd, LOCK_SH | LOCK_NB) != 0) {
      close(fd);
      return nullptr;
    }
    return std::make_unique<PosixIndexFile>(fd);
  }
  void RemoveFile(const std::wstring& name) override { unlink(Utf8FromWide(name).c_str()); }
  unsigned char* AllocatePages(size_t size) override {
    void* pages = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return pages == MAP_FAILED ? nullptr : static_cast<unsigned char*>(pages);
  }
  void FreePages(unsigned char* pages, size_t size) override { munmap(pages, size); }
};

}  // namespace

PageIndexPlatform& PlatformPageIndex() {
  static PosixPageIndexPlatform platform;
  return platform;
}

}  // namespace zorvo
