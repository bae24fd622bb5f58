// The per-user store outside Windows: a folder under the user's configuration
// directory with one folder per section and one file per key holding the
// value as UTF-8. Names are found without regard to case, as the registry
// finds them; files are replaced whole so a crash never leaves half a value.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cwctype>
#include <string>
#include <vector>

#include "common/wide_text.h"
#include "viewer/settings/profile_store.h"

namespace zorvo {

namespace posix_files {

bool ReadWholeFile(const std::string& path, std::string& bytes, bool& missing) {
  bytes.clear();
  missing = false;
  int fd;
  do {
    fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    missing = errno == ENOENT || errno == ENOTDIR;
    return missing;
  }
  char chunk[8192];
  bool ok = true;
  for (;;) {
    const ssize_t n = read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    if (n <= 0) break;
    bytes.append(chunk, static_cast<size_t>(n));
  }
  close(fd);
  return ok;
}

bool ReplaceFile(const std::string& path, std::string_view bytes) {
  static std::atomic<unsigned> counter{0};
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
  const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  // Starts with a dot: never the name of a stored key, and skipped when
  // listing a section.
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = folder + "/." + base + "." + std::to_string(getpid()) + "." +
           std::to_string(counter.fetch_add(1)) + ".tmp";
    do {
      fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0 && errno != EEXIST) return false;
  }
  if (fd < 0) return false;
  struct stat old;
  if (stat(path.c_str(), &old) == 0) fchmod(fd, old.st_mode & 07777);
  bool ok = true;
  for (size_t done = 0; ok && done < bytes.size();) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = false;
    } else {
      done += static_cast<size_t>(n);
    }
  }
  // On disk before the rename, or a crash could leave the name on an empty file.
  if (ok && fsync(fd) != 0) ok = false;
  if (close(fd) != 0) ok = false;
  if (ok && rename(temp.c_str(), path.c_str()) != 0) ok = false;
  if (!ok) unlink(temp.c_str());
  return ok;
}

}  // namespace posix_files

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

// The file name of a section or key: its UTF-8 with the bytes a file name
// cannot hold (or that would hide it) written as %XX.
std::string EscapeName(std::wstring_view name) {
  const std::string bytes = Utf8FromWide(name);
  std::string out;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c == '/' || c == '%' || c == '\0' || (i == 0 && c == '.')) {
      out.push_back('%');
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 15]);
    } else {
      out.push_back(static_cast<char>(c));
    }
  }
  return out;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::wstring UnescapeName(std::string_view file) {
  std::string bytes;
  for (size_t i = 0; i < file.size(); ++i) {
    if (file[i] == '%' && i + 2 < file.size() && HexValue(file[i + 1]) >= 0 &&
        HexValue(file[i + 2]) >= 0) {
      bytes.push_back(static_cast<char>(HexValue(file[i + 1]) * 16 + HexValue(file[i + 2])));
      i += 2;
    } else {
      bytes.push_back(file[i]);
    }
  }
  return WideFromUtf8(bytes);
}

bool IsKind(const std::string& path, bool folder) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return false;
  return folder ? S_ISDIR(st.st_mode) : S_ISREG(st.st_mode);
}

struct Entry {
  std::string file;
  std::wstring name;
};

// The stored entries of a folder that are folders (sections) or files (keys).
std::vector<Entry> ListEntries(const std::string& folder, bool folders) {
  std::vector<Entry> entries;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return entries;
  while (const dirent* d = readdir(dir)) {
    if (d->d_name[0] == '.') continue;  // ".", "..", and files being written
    if (!IsKind(folder + "/" + d->d_name, folders)) continue;
    entries.push_back({d->d_name, UnescapeName(d->d_name)});
  }
  closedir(dir);
  // Case aside first, so that the listing reads like a sorted one; the file
  // name settles ties so the order never depends on the folder's.
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    const bool less = std::lexicographical_compare(
        a.name.begin(), a.name.end(), b.name.begin(), b.name.end(),
        [](wchar_t x, wchar_t y) { return std::towupper(x) < std::towupper(y); });
    if (less) return true;
    if (!SameProfileName(a.name, b.name)) return false;
    return a.file < b.file;
  });
  return entries;
}

// The file name in `folder` of the entry called `name`, case aside; empty
// when there is none.
std::string FindEntry(const std::string& folder, std::wstring_view name, bool isFolder) {
  const std::string exact = EscapeName(name);
  if (IsKind(folder + "/" + exact, isFolder)) return exact;
  for (const Entry& entry : ListEntries(folder, isFolder)) {
    if (SameProfileName(entry.name, name)) return entry.file;
  }
  return std::string();
}

bool MakeFolders(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
  const size_t slash = path.find_last_of('/');
  if (slash != std::string::npos && slash > 0 && !MakeFolders(path.substr(0, slash))) return false;
  // Settings are the user's own business.
  return mkdir(path.c_str(), 0700) == 0 || errno == EEXIST;
}

class UserStoreBackend : public ProfileBackend {
 public:
  explicit UserStoreBackend(const std::wstring& root) : root_(Utf8FromWide(root)) {
    while (root_.size() > 1 && root_.back() == '/') root_.pop_back();
  }

  std::optional<std::wstring> Read(std::wstring_view section, std::wstring_view key) override {
    const std::string file = KeyFile(section, key);
    if (file.empty()) return std::nullopt;
    std::string bytes;
    bool missing;
    if (!posix_files::ReadWholeFile(file, bytes, missing) || missing) return std::nullopt;
    return WideFromUtf8(bytes);
  }

  std::vector<std::wstring> Keys(std::wstring_view section) override {
    std::vector<std::wstring> keys;
    const std::string folder = SectionFolder(section);
    if (folder.empty()) return keys;
    for (Entry& entry : ListEntries(folder, false)) keys.push_back(std::move(entry.name));
    return keys;
  }

  bool Write(std::wstring_view section, std::wstring_view key, std::wstring_view text) override {
    if (section.empty() || key.empty() || !MakeFolders(root_)) return false;
    std::string folder = SectionFolder(section);
    if (folder.empty()) {
      folder = root_ + "/" + EscapeName(section);
      if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    std::string file = FindEntry(folder, key, false);
    if (file.empty()) file = EscapeName(key);
    return posix_files::ReplaceFile(folder + "/" + file, Utf8FromWide(text));
  }

  bool DeleteKey(std::wstring_view section, std::wstring_view key) override {
    const std::string file = KeyFile(section, key);
    return file.empty() || unlink(file.c_str()) == 0 || errno == ENOENT;
  }

  bool DeleteSection(std::wstring_view section) override {
    const std::string folder = SectionFolder(section);
    if (folder.empty()) return true;
    bool ok = true;
    for (const Entry& entry : ListEntries(folder, false)) {
      if (unlink((folder + "/" + entry.file).c_str()) != 0 && errno != ENOENT) ok = false;
    }
    rmdir(folder.c_str());  // stays when something else lives in it
    return ok;
  }

 private:
  std::string SectionFolder(std::wstring_view section) const {
    if (section.empty()) return std::string();
    const std::string file = FindEntry(root_, section, true);
    return file.empty() ? file : root_ + "/" + file;
  }
  std::string KeyFile(std::wstring_view section, std::wstring_view key) const {
    if (key.empty()) return std::string();
    const std::string folder = SectionFolder(section);
    if (folder.empty()) return folder;
    const std::string file = FindEntry(folder, key, false);
    return file.empty() ? file : folder + "/" + file;
  }

  std::string root_;
};

}  // namespace

std::wstring DefaultUserStoreRoot() {
  std::string base;
  // A relative XDG_CONFIG_HOME is to be ignored.
  const char* config = getenv("XDG_CONFIG_HOME");
  if (config != nullptr && config[0] == '/') {
    base = config;
  } else {
    const char* home = getenv("HOME");
    if (home == nullptr || home[0] == '\0') {
      const passwd* user = getpwuid(getuid());
      home = user != nullptr ? user->pw_dir : "";
    }
    base = std::string(home) + "/.config";
  }
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  return WideFromUtf8(base + "/Korrin/Zorvo");
}

std::unique_ptr<ProfileBackend> MakeUserStoreBackend(const std::wstring& root) {
  return std::make_unique<UserStoreBackend>(root.empty() ? DefaultUserStoreRoot() : root);
}

}  // namespace zorvo
