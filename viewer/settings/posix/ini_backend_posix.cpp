// An INI file laid out like the Windows profile files, in UTF-8, read the way
// the Windows profile functions read one: names without regard to case,
// blanks around names and values dropped, quotes around a value dropped,
// ';' lines are comments. The file is read on every call, so edits by hand
// or by another copy of the program are seen, and a write replaces it whole
// keeping every line it does not change.
#include <errno.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "common/wide_text.h"
#include "viewer/file/byte_scan.h"
#include "viewer/settings/profile_store.h"

namespace zorvo {

namespace posix_files {
// With the per-user store.
bool ReadWholeFile(const std::string& path, std::string& bytes, bool& missing);
bool ReplaceFile(const std::string& path, std::string_view bytes);
}  // namespace posix_files

namespace {

constexpr size_t kNone = static_cast<size_t>(-1);

// What the Windows functions count as blank around names and values,
// Ctrl-Z among them (an old end-of-file mark).
bool IsBlank(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\v' || c == L'\f' || c == L'\r' || c == kCtrlZ;
}

std::wstring_view Trim(std::wstring_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool HasLineBreak(std::wstring_view text) { return text.find_first_of(L"\r\n") != text.npos; }

struct Line {
  enum Kind { kOther, kSection, kKey };
  std::string raw;  // as in the file, without its '\n'
  Kind kind = kOther;
  std::wstring name;
  std::wstring value;
};

struct IniFile {
  std::vector<Line> lines;
  bool crlf = false;  // new lines end the way the file's first one does
  bool exists = false;

  bool Load(const std::string& path) {
    std::string bytes;
    bool missing;
    if (!posix_files::ReadWholeFile(path, bytes, missing)) return false;
    exists = !missing;
    size_t start = 0;
    while (start < bytes.size()) {
      size_t end = bytes.find('\n', start);
      if (end == std::string::npos) end = bytes.size();
      lines.push_back(Parse(bytes.substr(start, end - start), lines.empty()));
      start = end + 1;
    }
    crlf = !lines.empty() && !lines.front().raw.empty() && lines.front().raw.back() == '\r';
    return true;
  }

  static Line Parse(std::string raw, bool first) {
    Line line;
    std::string_view bytes = raw;
    if (first && bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    const std::wstring wide = WideFromUtf8(bytes);
    const std::wstring_view text = Trim(wide);
    if (!text.empty() && text.front() == L'[' && text.find(L']') != text.npos) {
      line.kind = Line::kSection;
      line.name = Trim(text.substr(1, text.rfind(L']') - 1));
    } else if (!text.empty() && text.front() != L';') {
      const size_t equals = text.find(L'=');
      if (equals != text.npos && !Trim(text.substr(0, equals)).empty()) {
        line.kind = Line::kKey;
        line.name = Trim(text.substr(0, equals));
        line.value = Trim(text.substr(equals + 1));
      }
    }
    line.raw = std::move(raw);
    return line;
  }

  std::string Bytes() const {
    std::string bytes;
    for (const Line& line : lines) {
      bytes += line.raw;
      bytes += '\n';
    }
    return bytes;
  }

  size_t FindSection(std::wstring_view name, size_t from = 0) const {
    for (size_t i = from; i < lines.size(); ++i) {
      if (lines[i].kind == Line::kSection && SameProfileName(lines[i].name, name)) return i;
    }
    return kNone;
  }
  // The line after the last one of the section whose header is at `header`.
  size_t SectionEnd(size_t header) const {
    size_t i = header + 1;
    while (i < lines.size() && lines[i].kind != Line::kSection) ++i;
    return i;
  }
  size_t FindKey(size_t header, std::wstring_view name) const {
    for (size_t i = header + 1, end = SectionEnd(header); i < end; ++i) {
      if (lines[i].kind == Line::kKey && SameProfileName(lines[i].name, name)) return i;
    }
    return kNone;
  }

  Line MakeLine(std::wstring_view text) const {
    Line line = Parse(Utf8FromWide(text) + (crlf ? "\r" : ""), false);
    return line;
  }
};

class IniBackend : public ProfileBackend {
 public:
  explicit IniBackend(const std::wstring& path) : path_(Utf8FromWide(path)) {}

  std::optional<std::wstring> Read(std::wstring_view section, std::wstring_view key) override {
    IniFile file;
    if (!file.Load(path_)) return std::nullopt;
    const size_t header = file.FindSection(Trim(section));
    if (header == kNone) return std::nullopt;
    const size_t at = file.FindKey(header, Trim(key));
    if (at == kNone) return std::nullopt;
    std::wstring_view value = file.lines[at].value;
    // A value in matching quotes loses them, as under Windows.
    if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') &&
        value.back() == value.front()) {
      value = value.substr(1, value.size() - 2);
    }
    return std::wstring(value);
  }

  std::vector<std::wstring> Keys(std::wstring_view section) override {
    std::vector<std::wstring> keys;
    IniFile file;
    if (!file.Load(path_)) return keys;
    const size_t header = file.FindSection(Trim(section));
    if (header == kNone) return keys;
    for (size_t i = header + 1, end = file.SectionEnd(header); i < end; ++i) {
      if (file.lines[i].kind == Line::kKey) keys.push_back(file.lines[i].name);
    }
    return keys;
  }

  bool Write(std::wstring_view section, std::wstring_view key, std::wstring_view text) override {
    section = Trim(section);
    key = Trim(key);
    // A key that begins as a section header or a comment would be read as
    // one: it could not be read back.
    if (section.empty() || key.empty() || HasLineBreak(section) || HasLineBreak(key) ||
        key.find(L'=') != key.npos || key.front() == L'[' || key.front() == L';') {
      return false;
    }
    // A value is one line: what follows a line break could not be read back
    // and would turn into a key of its own.
    const std::wstring value = IniValueText(text.substr(0, text.find_first_of(L"\r\n")));

    IniFile file;
    if (!file.Load(path_) || !MayReplace(file)) return false;
    const size_t header = file.FindSection(section);
    if (header == kNone) {
      if (!file.lines.empty() && !Trim(WideFromUtf8(file.lines.back().raw)).empty()) {
        file.lines.push_back(file.MakeLine(L""));
      }
      file.lines.push_back(file.MakeLine(L"[" + std::wstring(section) + L"]"));
      file.lines.push_back(file.MakeLine(std::wstring(key) + L"=" + value));
    } else if (const size_t at = file.FindKey(header, key); at != kNone) {
      if (file.lines[at].value == value) return true;
      // The name keeps the spelling it has in the file.
      file.lines[at] = file.MakeLine(file.lines[at].name + L"=" + value);
    } else {
      // After the section's last line that is not blank, so the blank line
      // before the next section stays where it is.
      size_t end = file.SectionEnd(header);
      while (end > header + 1 && Trim(WideFromUtf8(file.lines[end - 1].raw)).empty()) --end;
      file.lines.insert(file.lines.begin() + static_cast<ptrdiff_t>(end),
                        file.MakeLine(std::wstring(key) + L"=" + value));
    }
    return Save(file);
  }

  bool DeleteKey(std::wstring_view section, std::wstring_view key) override {
    IniFile file;
    if (!file.Load(path_)) return false;
    const size_t header = file.FindSection(Trim(section));
    if (header == kNone) return true;
    const size_t at = file.FindKey(header, Trim(key));
    if (at == kNone) return true;
    if (!MayReplace(file)) return false;
    file.lines.erase(file.lines.begin() + static_cast<ptrdiff_t>(at));
    return Save(file);
  }

  bool DeleteSection(std::wstring_view section) override {
    IniFile file;
    if (!file.Load(path_)) return false;
    section = Trim(section);
    size_t header = file.FindSection(section);
    if (header == kNone) return true;
    if (!MayReplace(file)) return false;
    // Every section of that name, should the file hold it twice.
    for (; header != kNone; header = file.FindSection(section, header)) {
      file.lines.erase(file.lines.begin() + static_cast<ptrdiff_t>(header),
                       file.lines.begin() + static_cast<ptrdiff_t>(file.SectionEnd(header)));
    }
    return Save(file);
  }

 private:
  // The file is replaced by a new one, which the folder's permissions would
  // allow even for a read-only file; refuse as Windows does.
  bool MayReplace(const IniFile& file) const {
    if (!file.exists) return true;
    struct stat st;
    if (stat(path_.c_str(), &st) != 0) return false;
    return (st.st_mode & 0222) != 0 && access(path_.c_str(), W_OK) == 0;
  }

  bool Save(const IniFile& file) const {
    // Through a link, the file it names is the one to replace.
    std::string target = path_;
    if (char* real = realpath(path_.c_str(), nullptr)) {
      target = real;
      free(real);
    }
    return posix_files::ReplaceFile(target, file.Bytes());
  }

  std::string path_;
};

}  // namespace

std::unique_ptr<ProfileBackend> MakeIniBackend(const std::wstring& path) {
  return std::make_unique<IniBackend>(path);
}

}  // namespace zorvo
