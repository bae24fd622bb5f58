// Page-index scan throughput: every slice of a file run back to back, with
// no timer between them, for each buffer size given.
//   page_index_bench FILE [BUFFER...]   (default buffers: 8192 and 16 MiB)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/wide_text.h"
#include "viewer/file/page_index.h"

int main(int argc, char** argv) {
  using namespace zorvo;
  if (argc < 2) {
    std::fprintf(stderr, "usage: page_index_bench FILE [BUFFER...]\n");
    return 2;
  }
  const std::wstring path = WideFromUtf8(argv[1]);
  std::vector<int32_t> buffers;
  for (int i = 2; i < argc; ++i) buffers.push_back(static_cast<int32_t>(std::atol(argv[i])));
  if (buffers.empty()) buffers = {8192, 16 << 20};
  for (const int32_t buffer : buffers) {
    RecordingNotifier notifier;
    PageIndex index(notifier);
    const auto t0 = std::chrono::steady_clock::now();
    long runs = 0;
    if (index.IndexMessage(kPageIndexStart, path, buffer) == PG_ACTIVE) {
      while (index.state() == PG_ACTIVE) {
        index.Run(path, buffer, 15);
        ++runs;
      }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (index.state() != PG_DONE) {
      std::fprintf(stderr, "indexing failed: %ls\n",
                   notifier.shown.empty() ? L"?" : notifier.shown[0].text.c_str());
      return 1;
    }
    const double bytes = static_cast<double>(index.indexedLength());
    // Stdout for the script: buffer, seconds, runs, pages, GB/s.
    std::printf("%d %.3f %ld %d %.2f\n", buffer, seconds, runs, index.pageCount(),
                bytes / seconds / 1e9);
  }
  return 0;
}
