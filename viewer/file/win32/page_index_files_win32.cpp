#include <windows.h>

#include <string>
#include <vector>

#include "viewer/file/page_index.h"

namespace zorvo {

namespace {

class Win32IndexFile : public IndexFile {
 public:
  explicit Win32IndexFile(HANDLE handle) : handle_(handle) {}
  ~Win32IndexFile() override { CloseHandle(handle_); }
  Win32IndexFile(const Win32IndexFile&) = delete;
  Win32IndexFile& operator=(const Win32IndexFile&) = delete;

  bool Seek(uint64_t offset) override {
    LARGE_INTEGER distance;
    distance.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(handle_, distance, nullptr, FILE_BEGIN) != 0;
  }
  bool Write(const unsigned char* data, uint32_t size) override {
    DWORD written = 0;
    return WriteFile(handle_, data, size, &written, nullptr) && written == size;
  }
  bool Read(unsigned char* data, uint32_t size, uint32_t& got) override {
    DWORD read = 0;
    const BOOL ok = ReadFile(handle_, data, size, &read, nullptr);
    got = read;
    return ok != 0;
  }

 private:
  HANDLE handle_;
};

std::wstring TempFolder() {
  wchar_t folder[262] = {};
  const DWORD length = GetTempPathW(262, folder);
  if (length == 0 || length >= 262) return L"";
  return folder;
}

class Win32PageIndexPlatform : public PageIndexPlatform {
 public:
  std::wstring UniqueTempName() override {
    const std::wstring folder = TempFolder();
    if (folder.empty()) return L"";
    wchar_t name[MAX_PATH] = {};
    if (GetTempFileNameW(folder.c_str(), L"TPX", 0, name) == 0) return L"";
    return name;
  }
  std::unique_ptr<IndexFile> CreateIndexFile(const std::wstring& name) override {
    HANDLE handle = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32IndexFile>(handle);
  }
  void RemoveFile(const std::wstring& name) override { DeleteFileW(name.c_str()); }
  unsigned char* AllocatePages(size_t size) override {
    return static_cast<unsigned char*>(VirtualAlloc(nullptr, size, MEM_COMMIT, PAGE_READWRITE));
  }
  void FreePages(unsigned char* pages, size_t) override { VirtualFree(pages, 0, MEM_RELEASE); }
  std::vector<std::wstring> IndexNamesInTempFolder() override {
    std::vector<std::wstring> names;
    const std::wstring folder = TempFolder();
    if (folder.empty()) return names;
    // GetTempFileNameW's names: the prefix, up to four hex digits, ".tmp".
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"TPX*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
      const std::wstring name = found.cFileName;
      const size_t digits = name.size() - 7;
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || name.size() < 8 || digits > 4 ||
          name.find_first_not_of(L"0123456789ABCDEFabcdef", 3) != 3 + digits) {
        continue;
      }
      names.push_back(folder + name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
  }
  std::unique_ptr<IndexFile> OpenIfUnused(const std::wstring& name) override {
    // Sharing reading only: refused while any program has the file open
    // for writing, as a running viewer has its index.
    HANDLE handle = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32IndexFile>(handle);
  }
};

}  // namespace

PageIndexPlatform& PlatformPageIndex() {
  static Win32PageIndexPlatform platform;
  return platform;
}

}  // namespace zorvo
