#include "common/system_error_text.h"

#include <algorithm>
#include <iterator>

namespace zorvo {

namespace {

struct NamedCode {
  uint32_t code;
  const wchar_t* name;
};

// Sorted by code for the binary search.
constexpr NamedCode kExceptionNames[] = {
    {0x40000005, L"Segment notification"},
    {0x80000001, L"Guard page violation"},
    {0x80000002, L"Datatype misalignment"},
    {0x80000003, L"Breakpoint"},
    {0x80000004, L"Single step"},
    {0xC0000005, L"Access violation"},
    {0xC0000006, L"In page error"},
    {0xC0000008, L"Invalid handle"},
    {0xC0000017, L"No memory"},
    {0xC000001D, L"Illegal instruction"},
    {0xC0000025, L"Noncontinuable exception"},
    {0xC0000026, L"Invalid disposition"},
    {0xC000008C, L"Array bounds exceeded"},
    {0xC000008D, L"Float denormal operand"},
    {0xC000008E, L"Float divide by zero"},
    {0xC000008F, L"Float inexact result"},
    {0xC0000090, L"Float invalid operation"},
    {0xC0000091, L"Float overflow"},
    {0xC0000092, L"Float stack check"},
    {0xC0000093, L"Float underflow"},
    {0xC0000094, L"Integer divide by zero"},
    {0xC0000095, L"Integer overflow"},
    {0xC0000096, L"Privileged instruction"},
    {0xC00000FD, L"Stack overflow"},
    {0xC000013A, L"Control-C exit"},
};

constexpr NamedCode kSocketNames[] = {
    {0, L"NO_ERROR"},
};

const wchar_t* Find(const NamedCode* begin, const NamedCode* end, uint32_t code) {
  const NamedCode* it = std::lower_bound(
      begin, end, code, [](const NamedCode& row, uint32_t c) { return row.code < c; });
  return (it != end && it->code == code) ? it->name : nullptr;
}

}  // namespace

std::optional<std::wstring> ErrorNameFromTables(uint32_t code) {
  if (const wchar_t* name = Find(std::begin(kExceptionNames), std::end(kExceptionNames), code)) {
    return L"EXCEPTION - " + std::wstring(name);
  }
  if (const wchar_t* name = Find(std::begin(kSocketNames), std::end(kSocketNames), code)) {
    return L"SOCKETS - " + std::wstring(name);
  }
  return std::nullopt;
}

void TrimTrailingBlanks(std::wstring& text) {
  while (!text.empty() && static_cast<uint32_t>(text.back()) <= 32) text.pop_back();
}

}  // namespace zorvo
