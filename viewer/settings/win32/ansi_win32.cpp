#include <windows.h>

#include "viewer/settings/ansi_code_page.h"

namespace zorvo {

char AnsiFromWideChar(wchar_t c) {
  char out = '?';
  if (WideCharToMultiByte(CP_ACP, 0, &c, 1, &out, 1, nullptr, nullptr) != 1) return '?';
  return out;
}

}  // namespace zorvo
