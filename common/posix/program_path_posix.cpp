#include <unistd.h>

#include "common/program_path.h"
#include "common/wide_text.h"

namespace zorvo {

std::wstring ProgramPath() {
  char path[4096];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path);
  if (n <= 0 || static_cast<size_t>(n) >= sizeof path) return std::wstring();
  return WideFromUtf8(std::string_view(path, static_cast<size_t>(n)));
}

}  // namespace zorvo
