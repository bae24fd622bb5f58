#include "viewer/file/display_copy.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#define ZORVO_COPY_X86 1
#endif

namespace zorvo {
namespace {

constexpr unsigned char kTab = '\t';

// The plain way: every byte through the table.
void CopyPlain(const DisplayCopy& c, const unsigned char* src, int64_t n, char* out) {
  for (int64_t k = 0; k < n; ++k) out[k] = static_cast<char>(c.table_[src[k]]);
}

int64_t CopyToTabPlain(const DisplayCopy& c, const unsigned char* src, int64_t n, char* out) {
  for (int64_t k = 0; k < n; ++k) {
    if (src[k] == kTab) return k;
    out[k] = static_cast<char>(c.table_[src[k]]);
  }
  return n;
}

// The column after a tab at `col`. Tab lengths are mostly powers of two,
// which need no division.
inline int32_t NextTabStop(int32_t col, int32_t tabLength) {
  if ((tabLength & (tabLength - 1)) == 0) return (col | (tabLength - 1)) + 1;
  return (col / tabLength + 1) * tabLength;
}

// Runs up to the next tab through `copyToTab`, then the tab's spaces.
template <typename CopyToTab>
inline int32_t ExpandWith(CopyToTab copyToTab, const unsigned char* src, int64_t n, char* out,
                          int32_t room, int32_t tabLength, int32_t lineLength, int64_t& consumed) {
  int32_t col = 0;
  int64_t i = 0;
  while (i < n) {
    const int64_t m = std::min<int64_t>(n - i, room - col);
    const int64_t run = copyToTab(src + i, m, out + col);
    col += static_cast<int32_t>(run);
    i += run;
    if (run == m) break;  // done, or out of room
    const int32_t stop = std::min(lineLength, NextTabStop(col, tabLength));
    if (stop > room) break;
    if (stop - col <= 8 && room - col >= 8) {
      std::memcpy(out + col, "        ", 8);  // what lies past the stop is written over
    } else {
      std::memset(out + col, ' ', static_cast<size_t>(stop - col));
    }
    col = stop;
    ++i;
  }
  consumed = i;
  return col;
}

int32_t ExpandTabsPlain(const DisplayCopy& c, const unsigned char* src, int64_t n, char* out,
                        int32_t room, int32_t tabLength, int32_t lineLength, int64_t& consumed) {
  return ExpandWith(
      [&c](const unsigned char* s, int64_t m, char* o) { return CopyToTabPlain(c, s, m, o); }, src,
      n, out, room, tabLength, lineLength, consumed);
}

#if ZORVO_COPY_X86
// Looks up the bytes of src[0, count) whose bits are set in `bad`.
inline void Patch(const DisplayCopy& c, const unsigned char* src, char* out, uint32_t bad) {
  while (bad != 0) {
    const int k = __builtin_ctz(bad);
    out[k] = static_cast<char>(c.table_[src[k]]);
    bad &= bad - 1;
  }
}

// Each block of 16 (SSE2) or 32 (AVX2) bytes is stored as it stands, then
// the bytes outside the table's identity range are looked up: `in` has the
// bits of the bytes in range. The two widths are written out apiece, as the
// instruction set of a kernel is its function's own.
inline uint32_t InRange16(__m128i v, __m128i low, __m128i span) {
  const __m128i t = _mm_max_epu8(_mm_sub_epi8(v, low), span);
  return static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(t, span)));
}

inline uint32_t Tabs16(__m128i v) {
  return static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8(kTab))));
}

// The bits below the lowest set bit of `tabs`, or all of `all` without one.
inline uint32_t BeforeFirst(uint32_t tabs, uint32_t all) {
  return tabs ? (tabs & (0u - tabs)) - 1 : all;
}

// A block of 16 bytes at src + i: stored, then the bytes out of range before
// the first tab looked up. Returns the tab bits. Copying a block again gives
// the same characters, so the last block of a run may overlap the one before.
inline uint32_t Block16(const DisplayCopy& c, const unsigned char* src, char* out, int64_t i,
                        __m128i low, __m128i span) {
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), v);
  const uint32_t tabs = Tabs16(v);
  const uint32_t before = BeforeFirst(tabs, 0xFFFF);
  const uint32_t in = InRange16(v, low, span);
  if ((in & before) != before) Patch(c, src + i, out + i, ~in & before);
  return tabs;
}

void CopySse2(const DisplayCopy& c, const unsigned char* src, int64_t n, char* out) {
  if (n < 16) return CopyPlain(c, src, n, out);
  const __m128i low = _mm_set1_epi8(static_cast<char>(c.low_));
  const __m128i span = _mm_set1_epi8(static_cast<char>(c.high_ - c.low_));
  int64_t i = 0;
  for (; i + 16 <= n; i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), v);
    const uint32_t in = InRange16(v, low, span);
    if (in != 0xFFFF) Patch(c, src + i, out + i, ~in & 0xFFFF);
  }
  if (i < n) {
    const int64_t last = n - 16;
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + last));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + last), v);
    const uint32_t in = InRange16(v, low, span);
    if (in != 0xFFFF) Patch(c, src + last, out + last, ~in & 0xFFFF);
  }
}

// Inlined into the tab expansion, which calls it for every run between tabs.
__attribute__((always_inline)) inline int64_t CopyToTabSse2(const DisplayCopy& c,
                                                            const unsigned char* src, int64_t n,
                                                            char* out) {
  if (n < 16) return CopyToTabPlain(c, src, n, out);
  const __m128i low = _mm_set1_epi8(static_cast<char>(c.low_));
  const __m128i span = _mm_set1_epi8(static_cast<char>(c.high_ - c.low_));
  int64_t i = 0;
  for (; i + 16 <= n; i += 16) {
    const uint32_t tabs = Block16(c, src, out, i, low, span);
    if (tabs) return i + __builtin_ctz(tabs);
  }
  if (i < n) {
    // The blocks before held no tab, so the first tab here is past them.
    const uint32_t tabs = Block16(c, src, out, n - 16, low, span);
    if (tabs) return n - 16 + __builtin_ctz(tabs);
  }
  return n;
}

// Runs between tabs are short: 16 bytes at a time serve them as well as 32.
int32_t ExpandTabsSse2(const DisplayCopy& c, const unsigned char* src, int64_t n, char* out,
                       int32_t room, int32_t tabLength, int32_t lineLength, int64_t& consumed) {
  return ExpandWith(
      [&c](const unsigned char* s, int64_t m, char* o) { return CopyToTabSse2(c, s, m, o); }, src,
      n, out, room, tabLength, lineLength, consumed);
}

#define ZORVO_AVX2 __attribute__((target("avx2")))

// The AVX2 kernels stay in VEX code throughout: legacy SSE code after them
// while the upper halves are in use costs a transition on some processors.
ZORVO_AVX2 inline uint32_t Block32(const DisplayCopy& c, const unsigned char* src, char* out,
                                   int64_t i, __m256i low, __m256i span, __m256i tab,
                                   bool tabsEnd) {
  const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), v);
  const auto tabs =
      tabsEnd ? static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(v, tab))) : 0u;
  const uint32_t before = BeforeFirst(tabs, 0xFFFFFFFF);
  const __m256i t = _mm256_max_epu8(_mm256_sub_epi8(v, low), span);
  const auto in = static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(t, span)));
  if ((in & before) != before) Patch(c, src + i, out + i, ~in & before);
  return tabs;
}

// Copies src[0, n) for 16 <= n < 32 with two 16-byte blocks in VEX code.
ZORVO_AVX2 inline uint32_t Short(const DisplayCopy& c, const unsigned char* src, int64_t n,
                                 char* out, bool tabsEnd) {
  const __m128i low = _mm_set1_epi8(static_cast<char>(c.low_));
  const __m128i span = _mm_set1_epi8(static_cast<char>(c.high_ - c.low_));
  const __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
  const __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + n - 16));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), v0);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out + n - 16), v1);
  // The bytes as one mask of n bits (bit k for byte k).
  const uint32_t shift = static_cast<uint32_t>(n - 16);
  const uint32_t in = InRange16(v0, low, span) | InRange16(v1, low, span) << shift;
  const uint32_t all = (1u << n) - 1;
  const uint32_t tabs = tabsEnd ? (Tabs16(v0) | Tabs16(v1) << shift) : 0u;
  const uint32_t before = BeforeFirst(tabs, all);
  if ((in & before) != before) Patch(c, src, out, ~in & before);
  return tabs;
}

ZORVO_AVX2 void CopyAvx2(const DisplayCopy& c, const unsigned char* src, int64_t n, char* out) {
  if (n < 32) {
    if (n < 16) return CopyPlain(c, src, n, out);
    Short(c, src, n, out, false);
    return;
  }
  const __m256i low = _mm256_set1_epi8(static_cast<char>(c.low_));
  const __m256i span = _mm256_set1_epi8(static_cast<char>(c.high_ - c.low_));
  const __m256i tab = _mm256_set1_epi8(kTab);
  int64_t i = 0;
  for (; i + 32 <= n; i += 32) Block32(c, src, out, i, low, span, tab, false);
  if (i < n) Block32(c, src, out, n - 32, low, span, tab, false);
}

ZORVO_AVX2 int64_t CopyToTabAvx2(const DisplayCopy& c, const unsigned char* src, int64_t n,
                                 char* out) {
  if (n < 32) {
    if (n < 16) return CopyToTabPlain(c, src, n, out);
    const uint32_t tabs = Short(c, src, n, out, true);
    return tabs ? __builtin_ctz(tabs) : n;
  }
  const __m256i low = _mm256_set1_epi8(static_cast<char>(c.low_));
  const __m256i span = _mm256_set1_epi8(static_cast<char>(c.high_ - c.low_));
  const __m256i tab = _mm256_set1_epi8(kTab);
  int64_t i = 0;
  for (; i + 32 <= n; i += 32) {
    const uint32_t tabs = Block32(c, src, out, i, low, span, tab, true);
    if (tabs) return i + __builtin_ctz(tabs);
  }
  if (i < n) {
    const uint32_t tabs = Block32(c, src, out, n - 32, low, span, tab, true);
    if (tabs) return n - 32 + __builtin_ctz(tabs);
  }
  return n;
}
#endif

}  // namespace

DisplayCopy::DisplayCopy(const CodeTable& table, detail::ScanPath path) : table_(table) {
  // The longest run of bytes the table leaves as they are.
  int bestLow = 1, bestHigh = 0;
  for (int b = 0; b < 256;) {
    if (table[b] != b) {
      ++b;
      continue;
    }
    int e = b;
    while (e + 1 < 256 && table[e + 1] == e + 1) ++e;
    if (e - b > bestHigh - bestLow) bestLow = b, bestHigh = e;
    b = e + 1;
  }
  low_ = static_cast<unsigned char>(bestLow);
  high_ = static_cast<unsigned char>(bestHigh);
  copy_ = CopyPlain;
  copyToTab_ = CopyToTabPlain;
  expandTabs_ = ExpandTabsPlain;
#if ZORVO_COPY_X86
  // A table that leaves too few bytes alone gains nothing from runs.
  if (bestHigh - bestLow < 32) return;
  if (path == detail::ScanPath::kAvx2) {
    copy_ = CopyAvx2;
    copyToTab_ = CopyToTabAvx2;
    expandTabs_ = ExpandTabsSse2;
  } else if (path == detail::ScanPath::kSse2) {
    copy_ = CopySse2;
    copyToTab_ = CopyToTabSse2;
    expandTabs_ = ExpandTabsSse2;
  }
#else
  (void)path;
#endif
}

}  // namespace zorvo
