#include <windows.h>

#include "viewer/file/file_reader.h"

namespace zorvo {

namespace {

class Win32FileHandle : public FileHandle {
 public:
  explicit Win32FileHandle(HANDLE handle) : handle_(handle) {}
  ~Win32FileHandle() override { CloseHandle(handle_); }
  Win32FileHandle(const Win32FileHandle&) = delete;
  Win32FileHandle& operator=(const Win32FileHandle&) = delete;

  bool Size(int64_t& size) override {
    LARGE_INTEGER value;
    if (!GetFileSizeEx(handle_, &value)) return Fail();
    size = value.QuadPart;
    return true;
  }
  bool Seek(int64_t offset) override {
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    if (!SetFilePointerEx(handle_, distance, nullptr, FILE_BEGIN)) return Fail();
    return true;
  }
  bool Read(unsigned char* buffer, uint32_t size, uint32_t& got) override {
    DWORD read = 0;
    BOOL ok = ReadFile(handle_, buffer, size, &read, nullptr);
    got = read;
    return ok ? true : Fail();
  }
  bool Identity(FileIdentity& identity) override {
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handle_, &info)) return Fail();
    identity.volume = info.dwVolumeSerialNumber;
    identity.file = (uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    return true;
  }
  uint32_t LastError() const override { return error_; }

 private:
  bool Fail() {
    error_ = GetLastError();
    return false;
  }

  HANDLE handle_;
  uint32_t error_ = 0;
};

class Win32FileOpener : public FileOpener {
 public:
  explicit Win32FileOpener(DWORD share) : share_(share) {}
  std::unique_ptr<FileHandle> Open(const std::wstring& path, uint32_t& error) override {
    // Others may keep writing the file while it is viewed.
    HANDLE handle =
        CreateFileW(path.c_str(), GENERIC_READ, share_, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      error = GetLastError();
      return nullptr;
    }
    error = 0;
    return std::make_unique<Win32FileHandle>(handle);
  }

 private:
  DWORD share_;
};

}  // namespace

FileOpener& PlatformFileOpener() {
  static Win32FileOpener opener(FILE_SHARE_READ | FILE_SHARE_WRITE);
  return opener;
}

FileOpener& KeepingFileOpener() {
  static Win32FileOpener opener(FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
  return opener;
}

}  // namespace zorvo
