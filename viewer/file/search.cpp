// Search: the first match of a byte pattern at or after a position.
//
// The file is read in 512 KiB pieces, each scanned while it is still in the
// processor's cache. The scan looks for the pattern's rarest bytes (by how
// often bytes occur in text) at their distances from its start, 32
// positions at once with AVX2 (when the processor has it) or 16 with SSE2,
// and compares the whole pattern only where they agree; the results are
// those of comparing at every index in ascending order.
#include "viewer/file/search.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <new>

#if defined(__x86_64__)
#include <immintrin.h>
#define ZORVO_SEARCH_X86 1
#endif

namespace zorvo {

namespace {

// Letters A-Z and a-z fold to upper case; every other byte stays itself.
constexpr std::array<unsigned char, 256> kFold = [] {
  std::array<unsigned char, 256> fold{};
  for (int i = 0; i < 256; ++i) {
    fold[i] = static_cast<unsigned char>(i >= 'a' && i <= 'z' ? i - 32 : i);
  }
  return fold;
}();

bool IsLetter(unsigned char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }

// How often each byte turns up in text and logs, in relative units. The
// bytes are listed from the most common down; each is about 7% rarer than
// the one before it, and every byte not listed (control bytes, bytes from
// 0x7F on) counts as rarest.
constexpr char kCommonBytes[] =
    " etaoinsrhldcum012\nfpgwy.b:345-6789v,=/kETSAIRON\r\t_CLDPMx\"UH()FGB'W[]jqzVYK#><;"
    "XJQZ*+&%$@!?|{}\\^~`";

constexpr std::array<uint32_t, 256> kFrequency = [] {
  std::array<uint32_t, 256> frequency{};
  uint32_t weight = 1u << 24;
  for (size_t i = 0; i + 1 < sizeof kCommonBytes; ++i) {
    frequency[static_cast<unsigned char>(kCommonBytes[i])] = weight;
    weight -= weight / 14;
  }
  return frequency;
}();

uint32_t Frequency(unsigned char c, bool caseSensitive) {
  if (caseSensitive || !IsLetter(c)) return kFrequency[c];
  return kFrequency[c | 0x20] + kFrequency[c & ~0x20];
}

// The pattern, and the three bytes the scan looks for before it compares
// the whole pattern: each is matched as (byte | bit) == value, where bit is
// 0x20 for a letter that folds, so that both cases agree.
struct Plan {
  const unsigned char* pattern;
  int64_t length;
  bool caseSensitive;
  std::basic_string<unsigned char> folded;
  int64_t offset[3];
  unsigned char value[3];
  unsigned char bit[3];
  // The first (up to) eight bytes as one word, compared as
  // ((word | prefixBits) & prefixMask) == prefixValue.
  uint64_t prefixBits = 0, prefixMask = 0, prefixValue = 0;

  bool At(const unsigned char* p) const {
    if (caseSensitive) return std::memcmp(p, pattern, static_cast<size_t>(length)) == 0;
    for (int64_t k = 0; k < length; ++k) {
      if (kFold[p[k]] != folded[k]) return false;
    }
    return true;
  }
  // The first match at an index in [i, last].
  int64_t Plain(const unsigned char* d, int64_t i, int64_t last) const {
    for (; i <= last; ++i) {
      if ((d[i + offset[0]] | bit[0]) == value[0] && (d[i + offset[1]] | bit[1]) == value[1] &&
          At(d + i)) {
        return i;
      }
    }
    return -1;
  }
  // The first match among the set bits of `mask`, bit k standing for index
  // base + k; -1 when none. Counts the candidates that do not match in
  // `misses`. Bytes up to d[last + length - 1] may be read.
  int64_t Candidates(const unsigned char* d, int64_t base, uint32_t mask, int64_t last,
                     int64_t& misses) const {
    for (; mask != 0; mask &= mask - 1) {
      const int64_t i = base + __builtin_ctz(mask);
      if (i + 8 <= last + length) {
        uint64_t word;
        std::memcpy(&word, d + i, sizeof word);
        if (((word | prefixBits) & prefixMask) == prefixValue && (length <= 8 || At(d + i))) {
          return i;
        }
      } else if (At(d + i)) {
        return i;
      }
      ++misses;
    }
    return -1;
  }
};

// Fills the plan for a pattern of at least one byte.
void MakePlan(std::string_view pattern, bool caseSensitive, Plan& plan) {
  plan.pattern = reinterpret_cast<const unsigned char*>(pattern.data());
  plan.length = static_cast<int64_t>(pattern.size());
  plan.caseSensitive = caseSensitive;
  plan.folded.resize(pattern.size());
  for (int64_t k = 0; k < plan.length; ++k) plan.folded[k] = kFold[plan.pattern[k]];
  unsigned char bits[8] = {}, mask[8] = {}, value[8] = {};
  for (int64_t k = 0; k < std::min<int64_t>(plan.length, 8); ++k) {
    const unsigned char c = plan.pattern[k];
    const bool folds = !caseSensitive && IsLetter(c);
    bits[k] = folds ? 0x20 : 0;
    mask[k] = 0xFF;
    value[k] = static_cast<unsigned char>(folds ? c | 0x20 : c);
  }
  std::memcpy(&plan.prefixBits, bits, 8);
  std::memcpy(&plan.prefixMask, mask, 8);
  std::memcpy(&plan.prefixValue, value, 8);
  const std::array<int64_t, 3> rare = detail::RareBytes(pattern, caseSensitive);
  for (int n = 0; n < 3; ++n) {
    const unsigned char c = plan.pattern[rare[n]];
    const bool folds = !caseSensitive && IsLetter(c);
    plan.offset[n] = rare[n];
    plan.bit[n] = folds ? 0x20 : 0;
    plan.value[n] = static_cast<unsigned char>(folds ? c | 0x20 : c);
  }
}

// The first match at an index in [0, last] of `d`, each kernel in its own
// way; bytes up to d[last + length - 1] are read, none beyond.
//
// The vector kernels look for the rarest byte alone, which is twice as fast
// as looking for two, while it seldom leads to a false candidate (about one
// a KiB); past that for the two rarest, and then the three rarest.
using Kernel = int64_t (*)(const Plan&, const unsigned char*, int64_t);

bool FewMisses(int64_t misses, int64_t i) { return misses <= 16 + (i >> 10); }

int64_t ScanPlain(const Plan& plan, const unsigned char* d, int64_t last) {
  return plan.Plain(d, 0, last);
}

#if ZORVO_SEARCH_X86
// kFolds: a rare byte is a letter compared without case (its bit is set).
template <bool kFolds>
int64_t ScanSse2(const Plan& plan, const unsigned char* d, int64_t last) {
  const unsigned char* at[3];
  __m128i value[3], bit[3];
  for (int n = 0; n < 3; ++n) {
    at[n] = d + plan.offset[n];
    value[n] = _mm_set1_epi8(static_cast<char>(plan.value[n]));
    bit[n] = _mm_set1_epi8(static_cast<char>(plan.bit[n]));
  }
  auto is = [&](int n, int64_t i) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at[n] + i));
    return _mm_cmpeq_epi8(kFolds ? _mm_or_si128(x, bit[n]) : x, value[n]);
  };
  auto one = [&](int64_t i) { return is(0, i); };
  auto two = [&](int64_t i) { return _mm_and_si128(is(0, i), is(1, i)); };
  auto three = [&](int64_t i) { return _mm_and_si128(two(i), is(2, i)); };
  auto mask = [](__m128i m) { return static_cast<uint32_t>(_mm_movemask_epi8(m)); };
  int64_t i = 0;
  // From i on, 64 positions a step, until a match or the end, or too many
  // false candidates unless `filter` is the last one.
  auto run = [&](auto filter, bool lastFilter) -> int64_t {
    const int64_t from = i;
    int64_t misses = 0;
    for (; i + 63 <= last; i += 64) {
      const __m128i m0 = filter(i), m1 = filter(i + 16), m2 = filter(i + 32), m3 = filter(i + 48);
      if (mask(_mm_or_si128(_mm_or_si128(m0, m1), _mm_or_si128(m2, m3))) != 0) {
        int64_t found = plan.Candidates(d, i, mask(m0) | mask(m1) << 16, last, misses);
        if (found < 0) found = plan.Candidates(d, i + 32, mask(m2) | mask(m3) << 16, last, misses);
        if (found >= 0) return found;
        if (!lastFilter && !FewMisses(misses, i + 64 - from)) {
          i += 64;
          break;
        }
      }
    }
    return -1;
  };
  int64_t found = run(one, false);
  if (found < 0) found = run(two, false);
  if (found < 0) found = run(three, true);
  if (found >= 0) return found;
  int64_t misses = 0;
  for (; i + 15 <= last; i += 16) {
    found = plan.Candidates(d, i, mask(three(i)), last, misses);
    if (found >= 0) return found;
  }
  return plan.Plain(d, i, last);
}

#define ZORVO_AVX2 __attribute__((target("avx2")))

template <bool kFolds>
ZORVO_AVX2 int64_t ScanAvx2(const Plan& plan, const unsigned char* d, int64_t last) {
  const unsigned char* at[3];
  __m256i value[3], bit[3];
  for (int n = 0; n < 3; ++n) {
    at[n] = d + plan.offset[n];
    value[n] = _mm256_set1_epi8(static_cast<char>(plan.value[n]));
    bit[n] = _mm256_set1_epi8(static_cast<char>(plan.bit[n]));
  }
  auto is = [&](int n, int64_t i) ZORVO_AVX2 {
    const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at[n] + i));
    return _mm256_cmpeq_epi8(kFolds ? _mm256_or_si256(x, bit[n]) : x, value[n]);
  };
  auto one = [&](int64_t i) ZORVO_AVX2 { return is(0, i); };
  auto two = [&](int64_t i) ZORVO_AVX2 { return _mm256_and_si256(is(0, i), is(1, i)); };
  auto three = [&](int64_t i) ZORVO_AVX2 { return _mm256_and_si256(two(i), is(2, i)); };
  auto mask = [](__m256i m) ZORVO_AVX2 { return static_cast<uint32_t>(_mm256_movemask_epi8(m)); };
  int64_t i = 0;
  // From i on, 128 positions a step, until a match or the end, or too many
  // false candidates unless `filter` is the last one.
  auto run = [&](auto filter, bool lastFilter) ZORVO_AVX2 -> int64_t {
    const int64_t from = i;
    int64_t misses = 0;
    for (; i + 127 <= last; i += 128) {
      const __m256i m0 = filter(i), m1 = filter(i + 32), m2 = filter(i + 64), m3 = filter(i + 96);
      const __m256i any = _mm256_or_si256(_mm256_or_si256(m0, m1), _mm256_or_si256(m2, m3));
      if (!_mm256_testz_si256(any, any)) {
        int64_t found = plan.Candidates(d, i, mask(m0), last, misses);
        if (found < 0) found = plan.Candidates(d, i + 32, mask(m1), last, misses);
        if (found < 0) found = plan.Candidates(d, i + 64, mask(m2), last, misses);
        if (found < 0) found = plan.Candidates(d, i + 96, mask(m3), last, misses);
        if (found >= 0) return found;
        if (!lastFilter && !FewMisses(misses, i + 128 - from)) {
          i += 128;
          break;
        }
      }
    }
    return -1;
  };
  int64_t found = run(one, false);
  if (found < 0) found = run(two, false);
  if (found < 0) found = run(three, true);
  if (found >= 0) return found;
  int64_t misses = 0;
  for (; i + 31 <= last; i += 32) {
    found = plan.Candidates(d, i, mask(three(i)), last, misses);
    if (found >= 0) return found;
  }
  return plan.Plain(d, i, last);
}
#endif

Kernel KernelOf(detail::ScanPath path, bool folds) {
  switch (path) {
#if ZORVO_SEARCH_X86
    case detail::ScanPath::kAvx2:
      return folds ? ScanAvx2<true> : ScanAvx2<false>;
    case detail::ScanPath::kSse2:
      return folds ? ScanSse2<true> : ScanSse2<false>;
#else
    (void)folds;
#endif
    default:
      return ScanPlain;
  }
}

// Finds matches in buffers; see FindInBuffer.
class Matcher {
 public:
  Matcher(std::string_view pattern, bool caseSensitive) {
    MakePlan(pattern, caseSensitive, plan_);
    const bool folds = (plan_.bit[0] | plan_.bit[1] | plan_.bit[2]) != 0;
    kernel_ = KernelOf(detail::CurrentScanPath(), folds);
  }
  int64_t Find(const unsigned char* d, int64_t n) const {
    const int64_t last = n - plan_.length;  // the last index a match may start at
    return last < 0 ? -1 : kernel_(plan_, d, last);
  }

 private:
  Plan plan_;
  Kernel kernel_;
};

}  // namespace

int64_t FindInBuffer(const unsigned char* data, int64_t size, std::string_view pattern,
                     bool caseSensitive) {
  if (pattern.empty()) return -1;
  return Matcher(pattern, caseSensitive).Find(data, size);
}

namespace detail {

std::array<int64_t, 3> RareBytes(std::string_view pattern, bool caseSensitive) {
  const auto* p = reinterpret_cast<const unsigned char*>(pattern.data());
  const int64_t length = static_cast<int64_t>(pattern.size());
  // Each the rarest of the indexes not taken yet; among equals the one
  // farthest from those taken, then the earliest.
  std::array<int64_t, 3> rare{0, 0, 0};
  for (int n = 0; n < 3 && n < length; ++n) {
    auto distance = [&](int64_t k) {
      int64_t nearest = length;
      for (int m = 0; m < n; ++m) {
        nearest = std::min(nearest, k > rare[m] ? k - rare[m] : rare[m] - k);
      }
      return nearest;
    };
    int64_t best = -1;
    for (int64_t k = 0; k < length; ++k) {
      if (std::find(rare.begin(), rare.begin() + n, k) != rare.begin() + n) continue;
      if (best < 0 || Frequency(p[k], caseSensitive) < Frequency(p[best], caseSensitive) ||
          (Frequency(p[k], caseSensitive) == Frequency(p[best], caseSensitive) &&
           distance(k) > distance(best))) {
        best = k;
      }
    }
    rare[n] = best;
  }
  for (int n = static_cast<int>(std::min<int64_t>(length, 3)); n < 3; ++n) rare[n] = rare[n - 1];
  return rare;
}

int64_t ScanFile(FileRecord& file, std::string_view pattern, bool caseSensitive, Notifier& notifier,
                 FileOpener& opener, const SearchWork& work, bool all,
                 bool (*report)(void*, int64_t), void* context) {
  const int64_t length = static_cast<int64_t>(pattern.size());
  int64_t position = file.Fcur;
  if (position > file.Flen - length) return kNotFound;
  if (length < 1) return kEmptyPattern;
  uint32_t error = 0;
  std::unique_ptr<FileHandle> handle = opener.Open(file.path, error);
  if (!handle) return kSearchOpenFailed;
  // The file may have grown or shrunk since its length was taken: the
  // buffer is sized from the length now, or a grown file would be read a
  // few bytes at a time. The search ends at this length.
  int64_t fileLength = file.Flen;
  if (handle->Size(fileLength)) file.Flen = fileLength;
  if (position > fileLength - length) return kNotFound;
  int64_t left = fileLength - position;  // bytes still to read
  const uint32_t chunk =
      static_cast<uint32_t>(std::min<int64_t>(std::max<uint32_t>(work.piece, 1), left));

  // Each read lands on a page boundary, which the system copies fastest;
  // the last L - 1 bytes of the previous read sit just before it, so that
  // a match across the boundary is found, and none twice.
  constexpr size_t kPage = 4096;
  const size_t room = (static_cast<size_t>(length) + kPage - 1) / kPage * kPage;
  std::unique_ptr<unsigned char[]> memory(new (std::nothrow) unsigned char[room + chunk + kPage]);
  if (!memory) {
    notifier.Message(L"Cannot allocate memory for search buffer", L"Find Error", kIconHand, 0);
    return kNoSearchBuffer;
  }
  const uintptr_t address = reinterpret_cast<uintptr_t>(memory.get()) + room;
  unsigned char* const head = memory.get() + room + (kPage - address % kPage) % kPage;

  const Matcher matcher(pattern, caseSensitive);
  if (!handle->Seek(position)) return kSearchSeekFailed;
  int64_t count = 0;
  int64_t carry = 0;  // bytes kept before `head` from the previous read
  for (;;) {
    const uint32_t want = static_cast<uint32_t>(std::min<int64_t>(chunk, left));
    uint32_t got = 0;
    while (got < want) {
      uint32_t part = 0;
      if (!handle->Read(head + got, want - got, part) || part == 0) break;
      got += part;
    }
    left -= got;
    const unsigned char* start = head - carry;
    const int64_t size = carry + got;
    for (int64_t from = 0;;) {
      const int64_t at = matcher.Find(start + from, size - from);
      if (at < 0) break;
      ++count;
      if (!report(context, position + from + at) || !all) return count;
      from += at + 1;
    }
    // A short read: the file ended early, shrunk by another program.
    if (got < want || left == 0) break;
    if (work.progress && !work.progress->Reached(fileLength - left, fileLength)) {
      return kSearchStopped;
    }
    carry = std::min<int64_t>(length - 1, size);
    std::memmove(head - carry, start + size - carry, static_cast<size_t>(carry));
    position += size - carry;
  }
  return count > 0 ? count : kNotFound;
}

}  // namespace detail

int64_t FindForward(FileRecord& file, std::string_view pattern, bool caseSensitive,
                    Notifier& notifier, FileOpener& opener, const SearchWork& work) {
  int64_t match = kNotFound;
  const int64_t result = detail::ScanFile(
      file, pattern, caseSensitive, notifier, opener, work, false,
      [](void* context, int64_t offset) {
        *static_cast<int64_t*>(context) = offset;
        return false;
      },
      &match);
  return result < 0 ? result : match;
}

int ParseHexText(std::string_view text, std::string& bytes) {
  bytes.clear();
  int pending = -1;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (c == ' ') {
      if (pending >= 0) bytes.push_back(static_cast<char>(pending << 4));
      pending = -1;
    } else if (digit < 0) {
      return -static_cast<int>(i + 1);
    } else if (pending < 0) {
      pending = digit;
    } else {
      bytes.push_back(static_cast<char>(pending << 4 | digit));
      pending = -1;
    }
  }
  if (pending >= 0) bytes.push_back(static_cast<char>(pending << 4));
  return static_cast<int>(bytes.size());
}

}  // namespace zorvo
