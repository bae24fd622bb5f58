// A profile kept in memory only: the store before one is chosen, and the
// store of tools run without a profile.
#include <algorithm>
#include <cwctype>
#include <map>

#include "viewer/settings/profile_store.h"

namespace zorvo {
namespace {

struct NoCase {
  bool operator()(const std::wstring& a, const std::wstring& b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](wchar_t x, wchar_t y) {
                                          return std::towupper(x) < std::towupper(y);
                                        });
  }
};

class MemoryBackend : public ProfileBackend {
 public:
  std::optional<std::wstring> Read(std::wstring_view section, std::wstring_view key) override {
    auto s = sections_.find(std::wstring(section));
    if (s == sections_.end()) return std::nullopt;
    for (const auto& [name, value] : s->second) {
      if (!NoCase()(name, std::wstring(key)) && !NoCase()(std::wstring(key), name)) return value;
    }
    return std::nullopt;
  }
  std::vector<std::wstring> Keys(std::wstring_view section) override {
    std::vector<std::wstring> keys;
    auto s = sections_.find(std::wstring(section));
    if (s != sections_.end()) {
      for (const auto& entry : s->second) keys.push_back(entry.first);
    }
    return keys;
  }
  bool Write(std::wstring_view section, std::wstring_view key, std::wstring_view text) override {
    auto& keys = sections_[std::wstring(section)];
    for (auto& [name, value] : keys) {
      if (!NoCase()(name, std::wstring(key)) && !NoCase()(std::wstring(key), name)) {
        value = text;
        return true;
      }
    }
    keys.emplace_back(key, text);
    return true;
  }
  bool DeleteKey(std::wstring_view section, std::wstring_view key) override {
    auto s = sections_.find(std::wstring(section));
    if (s == sections_.end()) return true;
    std::erase_if(s->second, [&](const auto& entry) {
      return !NoCase()(entry.first, std::wstring(key)) && !NoCase()(std::wstring(key), entry.first);
    });
    return true;
  }
  bool DeleteSection(std::wstring_view section) override {
    sections_.erase(std::wstring(section));
    return true;
  }

 private:
  // Keys in the order they were first written, as an INI file keeps them.
  std::map<std::wstring, std::vector<std::pair<std::wstring, std::wstring>>, NoCase> sections_;
};

}  // namespace

std::unique_ptr<ProfileBackend> MakeMemoryBackend() { return std::make_unique<MemoryBackend>(); }

}  // namespace zorvo
