#include "viewer/settings/ansi_code_page.h"

namespace zorvo {

std::wstring WideFromNarrow(std::string_view text) {
  std::wstring wide(text.size(), L'\0');
  for (size_t i = 0; i < text.size(); ++i) wide[i] = static_cast<unsigned char>(text[i]);
  return wide;
}

std::string NarrowFromWide(std::wstring_view text) {
  std::string narrow(text.size(), '\0');
  for (size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    narrow[i] = static_cast<unsigned>(c) <= 0xFF ? static_cast<char>(c) : AnsiFromWideChar(c);
  }
  return narrow;
}

}  // namespace zorvo
