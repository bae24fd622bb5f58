// Fuzzes the INI file store over files of any bytes: every key a section
// lists can be read; a value written under any section and key reads back
// as written (up to its first line break), shows in the section's keys, and
// leaves every other value of the file as it was; a key deleted is gone.
// The file is rewritten for each input; the writes go through the same file.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/wide_text.h"
#include "viewer/settings/profile_store.h"

namespace {

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "INI file invariant broken: %s\n", what);
    std::abort();
  }
}

const std::string& FilePath() {
  static const std::string path = [] {
    char name[] = "/tmp/zorvo_ini_fuzz_XXXXXX";
    const int fd = mkstemp(name);
    Check(fd >= 0, "no temporary file");
    close(fd);
    return std::string(name);
  }();
  return path;
}

// The section names the file may hold: the text between '[' and the last
// ']' of each line, as bytes that the store decodes the same way.
std::vector<std::wstring> SectionsIn(const std::string& bytes) {
  std::vector<std::wstring> sections;
  size_t start = 0;
  while (start <= bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    const std::string line = bytes.substr(start, end - start);
    const size_t open = line.find('['), close = line.rfind(']');
    if (open != std::string::npos && close != std::string::npos && close > open) {
      sections.push_back(zorvo::WideFromUtf8(line.substr(open + 1, close - open - 1)));
    }
    start = end + 1;
  }
  sections.push_back(L"Tessary");
  return sections;
}

using Snapshot = std::map<std::pair<std::wstring, std::wstring>, std::optional<std::wstring>>;

Snapshot Take(zorvo::ProfileBackend& store, const std::vector<std::wstring>& sections) {
  Snapshot values;
  for (const auto& section : sections) {
    for (const auto& key : store.Keys(section)) {
      const auto value = store.Read(section, key);
      Check(value.has_value(), "a listed key cannot be read");
      values[{section, key}] = value;
    }
  }
  return values;
}

std::wstring CutAtLineBreak(const std::wstring& text) {
  return text.substr(0, text.find_first_of(L"\r\n"));
}

bool Blank(wchar_t c) { return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == L' '; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zorvo;
  // The file, then after a 0 byte the section, key and value written, each
  // ended by a 0 byte.
  const std::string all(reinterpret_cast<const char*>(data), size);
  const size_t cut = all.find('\0');
  const std::string bytes = all.substr(0, cut);
  std::vector<std::string> fields;
  for (size_t at = cut; at != std::string::npos && at < all.size();) {
    const size_t next = all.find('\0', at + 1);
    fields.push_back(all.substr(at + 1, next == std::string::npos ? std::string::npos : next - at - 1));
    at = next;
  }
  {
    std::ofstream out(FilePath(), std::ios::binary | std::ios::trunc);
    out << bytes;
  }
  std::unique_ptr<ProfileBackend> store = MakeIniBackend(WideFromUtf8(FilePath()));
  const std::vector<std::wstring> sections = SectionsIn(bytes);
  const Snapshot before = Take(*store, sections);

  if (fields.size() < 3) return 0;
  const std::wstring section = WideFromUtf8(fields[0]);
  const std::wstring key = WideFromUtf8(fields[1]);
  const std::wstring value = WideFromUtf8(fields[2]);
  // Names are compared with their blanks cut, as the store cuts them.
  auto trim = [](std::wstring text) {
    while (!text.empty() && Blank(text.back())) text.pop_back();
    size_t first = 0;
    while (first < text.size() && Blank(text[first])) ++first;
    return text.substr(first);
  };
  bool existed = false;
  for (const auto& name : store->Keys(section)) existed |= SameProfileName(name, trim(key));
  if (!store->Write(section, key, value)) return 0;

  const std::optional<std::wstring> read = store->Read(section, key);
  Check(read.has_value(), "a value written cannot be read");
  Check(*read == CutAtLineBreak(value), "a value reads back otherwise than written");
  bool listed = false;
  for (const auto& name : store->Keys(section)) listed |= SameProfileName(name, trim(key));
  Check(listed, "a key written is not among the section's keys");

  // Every other value is as it was.
  std::vector<std::wstring> probed = sections;
  probed.push_back(section);
  const Snapshot after = Take(*store, probed);
  for (const auto& [where, was] : before) {
    if (SameProfileName(where.first, trim(section)) && SameProfileName(where.second, trim(key))) {
      continue;
    }
    const auto now = after.find(where);
    Check(now != after.end() && now->second == was, "a write changed another value");
  }

  // Deleted, a key that was new is gone again (a key the file held twice
  // may show its second line).
  Check(store->DeleteKey(section, key), "a key written cannot be deleted");
  if (!existed) Check(!store->Read(section, key).has_value(), "a deleted key still reads");
  return 0;
}
