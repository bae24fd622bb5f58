#include "shellext/viewer_path.h"

namespace zorvo {

void CutAfterViewerName(std::wstring& path) {
  const std::wstring_view name = kViewerProgramName;
  const size_t at = path.find(name);
  if (at != std::wstring::npos) path.resize(at + name.size());
}

std::wstring ViewerCommandLine(const std::wstring& path) {
  std::wstring program;
  for (wchar_t c : path) {
    if (c != L'"') program.push_back(c);
  }
  if (program.empty()) program = kViewerProgram;
  if (program.find_first_of(L" \t") != std::wstring::npos) program = L'"' + program + L'"';
  return program + L" -D";
}

}  // namespace zorvo
