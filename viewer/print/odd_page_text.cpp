#include "viewer/print/odd_page_text.h"

#include "viewer/settings/format_options.h"
#include "viewer/settings/profile_store.h"

namespace zorvo {

namespace {

constexpr size_t kOddPageTextBuffer = 1026;
constexpr wchar_t kDefaultOddPageText[] =
    L"Zorvo finished printing even pages of your file.\\nTo print odd pages feed the paper "
    L"back into the printer then press OK.\\nTo cancel printing press Cancel.";

}  // namespace

std::wstring UnescapeOddPageText(std::wstring_view text) {
  std::wstring out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (c == L'\\' && i + 1 < text.size()) {
      const wchar_t next = text[i + 1];
      if (next == L'n' || next == L't' || next == L'\\') {
        out.push_back(next == L'n' ? L'\n' : next == L't' ? L'\t' : L'\\');
        ++i;
        continue;
      }
    }
    out.push_back(c);
  }
  return out;
}

std::wstring LoadOddPageText(ProfileStore& profile) {
  return UnescapeOddPageText(
      profile.GetText(kGlobalSection, L"OddPageText", kDefaultOddPageText, kOddPageTextBuffer));
}

}  // namespace zorvo
