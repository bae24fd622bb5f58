// What marking costs: Mark All adds up to a full list of marks in ascending
// order in one go, and must not make the search feel slower than it is.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "viewer/frame/tag_list.h"

namespace zorvo {
namespace {

constexpr uint32_t kMarks = TagList::kCapacity;

std::vector<int64_t> Offsets(bool shuffled) {
  std::vector<int64_t> offsets(kMarks);
  // Lines of about 80 bytes, spread over a file beyond 4 GiB.
  for (uint32_t i = 0; i < kMarks; ++i) offsets[i] = int64_t{5} << 32 | int64_t{i} * 81;
  if (shuffled) std::shuffle(offsets.begin(), offsets.end(), std::mt19937(99));
  return offsets;
}

void Fill(benchmark::State& state, bool shuffled) {
  const std::vector<int64_t> offsets = Offsets(shuffled);
  TagList list;
  for (auto _ : state) {
    list.count = 0;
    for (int64_t offset : offsets) AddTag(list, offset, kSearchMark);
  }
  // Read back after the loop: the calls live in the core library.
  if (list.count != kMarks) state.SkipWithError("not every mark was added");
  state.SetItemsProcessed(state.iterations() * kMarks);
}

// The Mark All pattern.
void BM_AddAscending(benchmark::State& state) { Fill(state, false); }
BENCHMARK(BM_AddAscending)->Unit(benchmark::kMillisecond);

void BM_AddRandomOrder(benchmark::State& state) { Fill(state, true); }
BENCHMARK(BM_AddRandomOrder)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zorvo

BENCHMARK_MAIN();
