// Names of temporary files that no other test run on the machine uses at
// the same time (several checkouts share the temporary folder): the
// process, a counter and a random part.
#pragma once

#include <random>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace zorvo {

inline std::string UniqueTempName(const std::string& stem) {
  static unsigned counter = 0;
  static const unsigned salt = std::random_device{}();
#ifdef _WIN32
  const unsigned long process = GetCurrentProcessId();
#else
  const unsigned long process = static_cast<unsigned long>(getpid());
#endif
  return stem + "_" + std::to_string(process) + "_" + std::to_string(++counter) + "_" +
         std::to_string(salt);
}

}  // namespace zorvo
