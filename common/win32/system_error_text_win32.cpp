#include <windows.h>

#include <iterator>
#include <utility>

#include "common/system_error_text.h"

namespace zorvo {

namespace {

// Message modules that know codes the system table does not, by the range of
// the code's low word.
struct MessageModule {
  uint32_t first;
  uint32_t last;
  const wchar_t* name;
};

constexpr MessageModule kMessageModules[] = {
    {3584, 3839, L"oledb32r.dll"},
    {2100, 5899, L"netmsg.dll"},
    {10000, 11999, L"wsock32.dll"},
};

// Takes the text FormatMessageW allocated and frees its buffer.
std::wstring TakeText(wchar_t* buffer, DWORD length) {
  std::wstring text;
  if (buffer != nullptr) {
    text.assign(buffer, length);
    LocalFree(buffer);
  }
  return text;
}

std::wstring FromSystem(uint32_t code) {
  wchar_t* buffer = nullptr;
  DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                    FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK,
                                nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  return TakeText(buffer, length);
}

std::wstring FromModule(const wchar_t* name, uint32_t code) {
  HMODULE module = LoadLibraryW(name);
  if (module == nullptr) return {};
  wchar_t* buffer = nullptr;
  DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_HMODULE |
                                    FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK,
                                module, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  // Unloading must not hide why the lookup failed.
  DWORD lastError = GetLastError();
  FreeLibrary(module);
  SetLastError(lastError);
  return TakeText(buffer, length);
}

}  // namespace

std::optional<std::wstring> SystemErrorText(uint32_t code) {
  std::wstring text = FromSystem(code);
  if (text.empty()) {
    const uint32_t low = code & 0xFFFF;
    for (const MessageModule& row : kMessageModules) {
      if (low < row.first || low > row.last) continue;
      text = FromModule(row.name, code);
      if (!text.empty()) break;
    }
  }
  if (text.empty()) {
    std::optional<std::wstring> named = ErrorNameFromTables(code);
    if (!named) return std::nullopt;
    text = std::move(*named);
  }
  TrimTrailingBlanks(text);
  return text;
}

}  // namespace zorvo
