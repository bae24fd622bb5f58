// Throughput of the formatters, the block reader and the search's scan on
// log-like data: the costs that decide how fast a huge file scrolls,
// streams and is searched.
//
// The calls go into the core library, so the compiler cannot drop them; the
// results are read back after each loop instead of through DoNotOptimize,
// whose GCC form here lost a value read after the loop.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "common/notifier.h"
#include "common/wide_text.h"
#include "viewer/file/file_reader.h"
#include "viewer/file/formatter.h"
#include "viewer/file/line_table.h"
#include "viewer/file/search.h"

namespace zorvo {
namespace {

constexpr size_t kBlockBytes = 16 << 20;

// About 16 MiB of log lines of 40-160 characters, ending on a whole line.
std::string MakeLog(bool crlf) {
  static const char* const kLevels[] = {"INFO ", "DEBUG", "WARN ", "ERROR", "TRACE"};
  static const char* const kWords[] = {
      "request",    "completed", "user=", "session",        "cache",          "miss",
      "hit",        "GET",       "POST",  "/api/v1/orders", "/static/app.js", "status=200",
      "status=404", "latency",   "ms",    "retrying",       "connection",     "reset",
      "by",         "peer",      "queue", "depth",          "flushed",        "bytes"};
  std::mt19937 rng(1234);
  std::string log;
  log.reserve(kBlockBytes + 256);
  const char* eol = crlf ? "\r\n" : "\n";
  char stamp[64];
  int64_t millis = 0;
  while (log.size() < kBlockBytes - 200) {
    millis += rng() % 900;
    const size_t target = 40 + rng() % 121;
    const int64_t s = millis / 1000;
    std::snprintf(stamp, sizeof stamp, "2025-03-%02d %02d:%02d:%02d.%03d %s [w-%02u] ",
                  static_cast<int>(1 + s / 86400 % 28), static_cast<int>(s / 3600 % 24),
                  static_cast<int>(s / 60 % 60), static_cast<int>(s % 60),
                  static_cast<int>(millis % 1000), kLevels[rng() % 5],
                  static_cast<unsigned>(rng() % 32));
    std::string line = stamp;
    while (line.size() < target) {
      line += kWords[rng() % std::size(kWords)];
      line += rng() % 4 ? ' ' : '\t';
    }
    line.resize(target);
    log += line;
    log += eol;
  }
  return log;
}

const std::string& Log(bool crlf) {
  static const std::string lf = MakeLog(false);
  static const std::string crlfLog = MakeLog(true);
  return crlf ? crlfLog : lf;
}

Block WholeBlock(const std::string& log, int64_t start) {
  return Block{reinterpret_cast<const unsigned char*>(log.data()), static_cast<int64_t>(log.size()),
               start};
}

FormatParams TextParams() {
  FormatParams params;
  params.options = kOptFormFeedPage;
  params.lineLength = 4096;
  return params;
}

// Formats the whole block forward, as many passes as the table needs.
// Returns the display lines made; `passes` counts the calls.
int64_t FormatThrough(Formatter format, const FormatParams& params, LineTable& table,
                      const std::string& log, int64_t& passes) {
  int64_t position = 0;
  int64_t made = 0;
  passes = 0;
  while (position < static_cast<int64_t>(log.size())) {
    LineCursor lines{table.entries(), table.Acnt, 0};
    TextCursor text{table.chars(), table.Tlen, 0};
    format(WholeBlock(log, position), lines, text, position, Direction::kForward, params);
    ++passes;
    made += lines.index;
    const int64_t next = table[lines.index].offset;
    if (next <= position) return -1;
    position = next;
  }
  return made;
}

void ForwardThroughput(benchmark::State& state, Formatter format, const FormatParams& params,
                       int32_t slots, int32_t textCapacity) {
  const std::string& log = Log(state.range(0) != 0);
  LineTable table(slots, textCapacity);
  int64_t made = 0;
  int64_t passes = 0;
  for (auto _ : state) {
    made = FormatThrough(format, params, table, log, passes);
  }
  if (made < 0) state.SkipWithError("the formatter made no progress");
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(log.size()));
  state.counters["lines"] = static_cast<double>(made);
  state.counters["passes"] = static_cast<double>(passes);
}

// The whole 16 MiB block in one pass: a table big enough for all its lines.
void BM_TextForward(benchmark::State& state) {
  ForwardThroughput(state, FormatText, TextParams(), 1 << 20, 32 << 20);
}
BENCHMARK(BM_TextForward)->ArgName("crlf")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The same block a screen's table at a time (4096 lines, 1 MiB of text), as
// the tool, copying and printing walk a file: the text stays in the cache.
// Arguments: line ends CR LF, tabs expanded.
void BM_TextForwardBatches(benchmark::State& state) {
  FormatParams params = TextParams();
  if (state.range(1)) params.options |= kOptExpandTabs;
  ForwardThroughput(state, FormatText, params, kScreenLines, kScreenText);
}
BENCHMARK(BM_TextForwardBatches)
    ->ArgNames({"crlf", "tabs"})
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

void BM_TextBackward(benchmark::State& state) {
  const std::string& log = Log(state.range(0) != 0);
  LineTable table(1 << 20, 32 << 20);
  const auto end = static_cast<int64_t>(log.size());
  int64_t lowest = -1;
  int32_t made = 0;
  for (auto _ : state) {
    LineCursor lines{table.entries(), table.Acnt, table.Acnt};
    TextCursor text{table.chars(), table.Tlen, 0};
    FormatText(WholeBlock(log, end), lines, text, end, Direction::kBackward, TextParams());
    lowest = table[lines.index].offset;
    made = table.Acnt - lines.index;
  }
  if (lowest != 0) state.SkipWithError("backward did not reach the start of the block");
  state.SetBytesProcessed(state.iterations() * end);
  state.counters["lines"] = made;
}
BENCHMARK(BM_TextBackward)->ArgName("crlf")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Backward a screen's table at a time, each pass going on below the last.
void BM_TextBackwardBatches(benchmark::State& state) {
  const std::string& log = Log(state.range(0) != 0);
  FormatParams params = TextParams();
  if (state.range(1)) params.options |= kOptExpandTabs;
  LineTable table(kScreenLines, kScreenText);
  const auto end = static_cast<int64_t>(log.size());
  int64_t lowest = -1;
  for (auto _ : state) {
    int64_t position = end;
    while (position > 0) {
      LineCursor lines{table.entries(), table.Acnt, table.Acnt};
      TextCursor text{table.chars(), table.Tlen, 0};
      FormatText(WholeBlock(log, position), lines, text, position, Direction::kBackward, params);
      const int64_t next = table[lines.index].offset;
      if (lines.index == table.Acnt || next >= position) break;
      position = next;
    }
    lowest = position;
  }
  if (lowest != 0) state.SkipWithError("backward did not reach the start of the block");
  state.SetBytesProcessed(state.iterations() * end);
}
BENCHMARK(BM_TextBackwardBatches)
    ->ArgNames({"crlf", "tabs"})
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

// One screen's table (4096 slots, 1 MiB of text): what a refresh costs.
// Bytes processed are the bytes the screen's lines cover.
void BM_TextScreen(benchmark::State& state) {
  const std::string& log = Log(true);
  const bool backward = state.range(0) != 0;
  LineTable table(kScreenLines, kScreenText);
  const int64_t middle = static_cast<int64_t>(log.size()) / 2;
  const int64_t from = static_cast<int64_t>(log.find('\n', middle)) + 1;
  int64_t covered = 0;
  for (auto _ : state) {
    LineCursor lines{table.entries(), table.Acnt, backward ? table.Acnt : 0};
    TextCursor text{table.chars(), table.Tlen, 0};
    FormatText(WholeBlock(log, from), lines, text, from,
               backward ? Direction::kBackward : Direction::kForward, TextParams());
    covered = backward ? from - table[lines.index].offset : table[lines.index].offset - from;
  }
  state.SetBytesProcessed(state.iterations() * covered);
  state.counters["bytes_per_screen"] = static_cast<double>(covered);
}
BENCHMARK(BM_TextScreen)->ArgName("backward")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// 16 bytes a line at length 80, like a plain hex dump.
void BM_HexForward(benchmark::State& state) {
  FormatParams params;
  params.lineLength = 80;
  ForwardThroughput(state, FormatHex, params, 1 << 18, 32 << 20);
}
BENCHMARK(BM_HexForward)->ArgName("crlf")->Arg(0)->Unit(benchmark::kMillisecond);

void BM_RawForward(benchmark::State& state) {
  FormatParams params;
  params.lineLength = 80;
  ForwardThroughput(state, FormatRaw, params, 1 << 18, 32 << 20);
}
BENCHMARK(BM_RawForward)->ArgName("crlf")->Arg(0)->Unit(benchmark::kMillisecond);

// Hex Dump and Raw Text a screen's table at a time (argument: 1 Hex, 2 Raw).
void BM_FixedForwardBatches(benchmark::State& state) {
  FormatParams params;
  params.lineLength = 80;
  ForwardThroughput(state, state.range(0) == kFormatHex ? FormatHex : FormatRaw, params,
                    kScreenLines, kScreenText);
}
BENCHMARK(BM_FixedForwardBatches)->ArgName("format")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// The search's scan alone over 512 KiB of the log, as the search reads it
// (in the processor's cache), for each way of scanning: no match, so every
// byte is scanned. Arguments: way (2 SSE2, 3 AVX2), pattern, case-sensitive.
void BM_ScanBuffer(benchmark::State& state) {
  static const char* const kPatterns[] = {"NeedleNearEnd!", "AbsentPattern", "the e"};
  const auto path = static_cast<detail::ScanPath>(state.range(0));
  const char* pattern = kPatterns[state.range(1)];
  if (!detail::SetScanPath(path)) {
    state.SkipWithError("the processor cannot scan this way");
    return;
  }
  const std::string& log = Log(false);
  const auto* data = reinterpret_cast<const unsigned char*>(log.data());
  const int64_t size = 512 << 10;
  int64_t found = 0;
  for (auto _ : state) found += FindInBuffer(data, size, pattern, state.range(2) != 0);
  detail::SetScanPath(detail::ScanPath::kBest);
  if (found != -static_cast<int64_t>(state.iterations())) state.SkipWithError("a match?");
  state.SetLabel(pattern);
  state.SetBytesProcessed(state.iterations() * size);
}
BENCHMARK(BM_ScanBuffer)
    ->ArgNames({"way", "pattern", "case"})
    ->ArgsProduct({{2, 3}, {0, 1, 2}, {1, 0}});

// A 64 MiB file in the temporary directory, read back in 16 MiB blocks from
// the page cache through the viewer's reader (open, size, seek, read, close).
std::filesystem::path& ReadFilePath() {
  static std::filesystem::path path;
  return path;
}

void BM_ReadBlock(benchmark::State& state) {
  constexpr int kBlocks = 4;
  std::filesystem::path& path = ReadFilePath();
  if (path.empty()) {
    path = std::filesystem::temp_directory_path() /
           ("zorvo_bench_" + std::to_string(getpid()) + ".log");
    std::ofstream out(path, std::ios::binary);
    const std::string block(kBlockBytes, 'x');
    for (int k = 0; k < kBlocks; ++k)
      out.write(block.data(), static_cast<std::streamsize>(block.size()));
  }
  std::vector<unsigned char> buffer(kBlockBytes);
  FileRecord file{0, 0, WideFromUtf8(path.string())};
  RecordingNotifier notifier;
  int k = 0;
  for (auto _ : state) {
    file.Fcur = static_cast<int64_t>(k++ % kBlocks) * kBlockBytes;
    ReadRequest request{buffer.data(), static_cast<uint32_t>(kBlockBytes), 0};
    ReadRequest result;
    const unsigned status = ReadBlock(file, request, result, notifier);
    if (status & kReadFailed || result.size != kBlockBytes) {
      state.SkipWithError("the read failed");
      break;
    }
    benchmark::DoNotOptimize(buffer.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kBlockBytes));
}
BENCHMARK(BM_ReadBlock)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zorvo

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ignored;
  if (!zorvo::ReadFilePath().empty()) std::filesystem::remove(zorvo::ReadFilePath(), ignored);
  return 0;
}
