#include "common/program_path.h"

namespace zorvo {

std::wstring BesideProgram(const std::wstring& name) {
  const std::wstring program = ProgramPath();
  const size_t cut = program.find_last_of(L"\\/");
  return (cut == std::wstring::npos ? std::wstring() : program.substr(0, cut + 1)) + name;
}

}  // namespace zorvo
