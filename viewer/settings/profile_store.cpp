// The profile operations over any backend: integer text, capacities, key
// lists and 8-bit texts behave the same whichever store holds the values.
#include "viewer/settings/profile_store.h"

#include <algorithm>
#include <cwctype>

#include "common/number_text.h"
#include "viewer/settings/ansi_code_page.h"

namespace zorvo {

namespace {

constexpr size_t kIntegerText = 31;  // longer integer texts count as missing

std::wstring Cut(std::wstring_view text, size_t capacity) {
  if (capacity == 0) return std::wstring();
  return std::wstring(text.substr(0, std::min(text.size(), capacity - 1)));
}

}  // namespace

std::wstring ProfileBackend::WidenBytes(std::string_view bytes) { return WideFromNarrow(bytes); }

std::string ProfileBackend::NarrowText(std::wstring_view text) { return NarrowFromWide(text); }

std::wstring IniValueText(std::wstring_view value) {
  if (value.empty()) return std::wstring();
  // What the system's INI reader counts as blank, Ctrl-Z among it.
  auto blank = [](wchar_t c) { return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == L' '; };
  auto quote = [](wchar_t c) { return c == L'"' || c == L'\''; };
  const wchar_t first = value.front(), last = value.back();
  if (!blank(first) && !blank(last) && !quote(first) && !quote(last)) return std::wstring(value);
  return L'"' + std::wstring(value) + L'"';
}

bool SameProfileName(std::wstring_view a, std::wstring_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](wchar_t x, wchar_t y) {
    return x == y || std::towupper(x) == std::towupper(y);
  });
}

ProfileStore::ProfileStore(std::unique_ptr<ProfileBackend> backend, int readOnly,
                           std::wstring path)
    : backend_(std::move(backend)), readOnly_(readOnly), path_(std::move(path)) {}

int32_t ProfileStore::GetInt(std::wstring_view section, std::wstring_view key, int32_t def) {
  const std::optional<std::wstring> text = backend_->Read(section, key);
  if (!text || text->size() > kIntegerText) return def;
  return ReadDecimalOrHex(*text);
}

std::wstring ProfileStore::GetText(std::wstring_view section, std::wstring_view key,
                                   std::wstring_view def, size_t capacity) {
  const std::optional<std::wstring> text = backend_->Read(section, key);
  return Cut(text ? std::wstring_view(*text) : def, capacity);
}

std::wstring ProfileStore::GetKeyList(std::wstring_view section, size_t capacity) {
  std::wstring list;
  for (const std::wstring& key : backend_->Keys(section)) {
    list += key;
    list.push_back(L'\0');
  }
  list.push_back(L'\0');
  if (capacity < 2) return std::wstring(capacity, L'\0');
  if (list.size() > capacity) {
    // Like the system's own listing: cut, and close with two nulls.
    list.resize(capacity);
    list[capacity - 2] = L'\0';
    list[capacity - 1] = L'\0';
  }
  return list;
}

bool ProfileStore::WriteText(std::wstring_view section, const wchar_t* key, const wchar_t* text) {
  if (key == nullptr) return backend_->DeleteSection(section);
  if (text == nullptr) return backend_->DeleteKey(section, key);
  return backend_->Write(section, key, text);
}

bool ProfileStore::WriteInt(std::wstring_view section, std::wstring_view key, int32_t value) {
  const std::wstring text = std::to_wstring(value);
  return backend_->Write(section, key, text);
}

bool ProfileStore::WriteUnsigned(std::wstring_view section, std::wstring_view key,
                                 uint32_t value) {
  const std::wstring text = std::to_wstring(value);
  return backend_->Write(section, key, text);
}

std::string ProfileStore::GetTextNarrow(std::wstring_view section, std::wstring_view key,
                                        size_t capacity) {
  const std::wstring wide = GetText(section, key, L"", capacity);
  std::string narrow = backend_->NarrowText(wide);
  if (capacity == 0) return std::string();
  if (narrow.size() > capacity - 1) narrow.resize(capacity - 1);
  return narrow;
}

void ProfileStore::WriteTextNarrow(std::wstring_view section, const wchar_t* key,
                                   const char* text) {
  if (text == nullptr) {
    WriteText(section, key, nullptr);
    return;
  }
  const std::wstring wide = backend_->WidenBytes(text);
  WriteText(section, key, wide.c_str());
}

}  // namespace zorvo
