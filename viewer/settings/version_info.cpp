#include "viewer/settings/version_info.h"

namespace zorvo {

std::wstring BuildStampOf(const char* date, const char* time) {
  std::wstring stamp;
  for (const char* c = date; *c; ++c) stamp.push_back(static_cast<wchar_t>(*c));
  stamp += L", ";
  for (const char* c = time; *c; ++c) stamp.push_back(static_cast<wchar_t>(*c));
  return stamp;
}

VersionInfo DefaultVersionInfo(std::wstring_view buildStamp) {
  VersionInfo info;
  info.BuildStamp = buildStamp;
  info.FullVersion = L"0, 0, 0, 0, " + info.BuildStamp;
  info.texts.fill(kNoVersionText);
  return info;
}

void SetVersionText(VersionInfo& info, VersionText which, std::wstring_view text) {
  info.texts[which] = text;
  if (which == kProductVersion) {
    info.FullVersion = info.texts[which] + L", " + info.BuildStamp;
    ReadVersionNumbers(text, info.ProductVersionNumbers);
  } else if (which == kFileVersion) {
    ReadVersionNumbers(text, info.FileVersionNumbers);
  }
}

bool ReadVersionNumbers(std::wstring_view text, std::array<uint32_t, 4>& numbers) {
  numbers = {};
  size_t i = 0;
  while (i < text.size() && (text[i] == L' ' || text[i] == L'\t')) ++i;
  for (uint32_t& number : numbers) {
    if (i >= text.size() || text[i] < L'0' || text[i] > L'9') return false;
    uint64_t value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
      value = value * 10 + static_cast<uint32_t>(text[i] - L'0');
      // A number past 32 bits is no version number; it is not wrapped into one.
      if (value > UINT32_MAX) return false;
    }
    number = static_cast<uint32_t>(value);
    while (i < text.size() && (text[i] == L' ' || text[i] == L',' || text[i] == L'.')) ++i;
  }
  for (; i < text.size(); ++i) {
    if (text[i] != L' ' && text[i] != L'\t' && text[i] != L'\r' && text[i] != L'\n') return false;
  }
  return true;
}

}  // namespace zorvo
