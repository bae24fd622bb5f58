// Latency of rebuilding the screen table around random offsets of a large
// file, as a go-to or a thumb drag does, in each display format.
//   rebuild_bench FILE [COUNT]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "common/wide_text.h"
#include "viewer/frame/positioning.h"

int main(int argc, char** argv) {
  using namespace zorvo;
  if (argc < 2) {
    std::fprintf(stderr, "usage: rebuild_bench FILE [COUNT]\n");
    return 2;
  }
  const int count = argc > 2 ? std::atoi(argv[2]) : 300;
  RecordingNotifier notifier;
  FileRecord file{0, 0, WideFromUtf8(argv[1])};
  ReadRequest probe{nullptr, 0, 0};
  ReadRequest result;
  if (ReadBlock(file, probe, result, notifier) & kReadFailed) {
    std::fprintf(stderr, "cannot open %s\n", argv[1]);
    return 1;
  }
  std::printf("%-10s %8s %10s %10s %10s  (%d rebuilds of a %.2f GiB file)\n", "format",
              "lines", "median ms", "p99 ms", "max ms", count,
              static_cast<double>(file.Flen) / (1 << 30));
  const char* names[] = {"text", "hex", "raw"};
  for (int format = 0; format < 3; ++format) {
    LineTable table(kScreenLines, kScreenText);
    table[0] = LineEntry{0, 0, -1, 0, 0};
    RebuildContext context(file, notifier);
    FormatParams params;
    // The default words: expanded tabs and form-feed pages in Text, wrap in
    // the others (0x2 in the Hex Dump word is a display option).
    params.options = format == kFormatText  ? kOptExpandTabs | kOptFormFeedPage
                     : format == kFormatHex ? kOptWrap | 0x2u
                                            : kOptWrap;
    params.lineLength = format == kFormatText ? 4096 : 80;
    ViewPosition view{context, table, format, params, 50, 0, false};
    std::mt19937_64 rng(7 + format);
    std::vector<double> ms;
    int64_t lines = 0;
    for (int i = 0; i < count; ++i) {
      const int64_t target = static_cast<int64_t>(rng() % static_cast<uint64_t>(file.Flen));
      const auto t0 = std::chrono::steady_clock::now();
      const PositionOutcome outcome =
          Position(view, PositionMessage{PositionKind::kGotoOffsetReload, target});
      const auto t1 = std::chrono::steady_clock::now();
      if (outcome.errorReport) {
        std::fprintf(stderr, "rebuild failed at %lld\n", static_cast<long long>(target));
        return 1;
      }
      lines += table.Alast - table.Afirst;
      ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%-10s %8lld %10.2f %10.2f %10.2f\n", names[format],
                static_cast<long long>(lines / count), ms[ms.size() / 2],
                ms[std::min(ms.size() - 1, ms.size() * 99 / 100)], ms.back());
  }

  // Scrolling as the keys do: pages down from the start, then lines up,
  // in Text format; most moves stay in the table, some rebuild it.
  std::printf("%-10s %8s %10s %10s %10s  (Text, 50 rows)\n", "scroll", "moves", "mean ms", "p99 ms",
              "max ms");
  LineTable table(kScreenLines, kScreenText);
  table[0] = LineEntry{0, 0, -1, 0, 0};
  RebuildContext context(file, notifier);
  FormatParams params;
  params.options = kOptExpandTabs | kOptFormFeedPage;
  params.lineLength = 4096;
  ViewPosition view{context, table, kFormatText, params, 50, 0, false};
  Position(view, PositionMessage{PositionKind::kReload, 0});
  for (const auto& [name, delta, moves] :
       {std::tuple{"page down", 50, 2000}, std::tuple{"line up", -1, 20000}}) {
    std::vector<double> ms;
    for (int i = 0; i < moves; ++i) {
      const auto t0 = std::chrono::steady_clock::now();
      Position(view, PositionMessage{PositionKind::kScrollLines, delta});
      const auto t1 = std::chrono::steady_clock::now();
      ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    double sum = 0;
    for (double m : ms) sum += m;
    std::sort(ms.begin(), ms.end());
    std::printf("%-10s %8d %10.4f %10.2f %10.2f\n", name, moves, sum / moves,
                ms[std::min(ms.size() - 1, ms.size() * 99 / 100)], ms.back());
  }
  return 0;
}
