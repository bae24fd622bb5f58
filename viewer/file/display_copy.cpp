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
// Goes on from byte i at column col.
template <typename CopyToTab>
inline int32_t ExpandWith(CopyToTab copyToTab, const unsigned char* src, int64_t n, char* out,
                          int32_t room, int32_t tabLength, int32_t lineLength, int64_t& consumed,
                          int64_t i = 0, int32_t col = 0) {
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

int32_t ExpandTabsPlain(const DisplayCopy& c, const unsigned char* src, int64_t n, int64_t,
                        char* out, int32_t room, int32_t, int32_t tabLength, int32_t lineLength,
                        int64_t& consumed) {
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
int32_t ExpandTabsSse2(const DisplayCopy& c, const unsigned char* src, int64_t n, int64_t,
                       char* out, int32_t room, int32_t, int32_t tabLength, int32_t lineLength,
                       int64_t& consumed) {
  return ExpandWith(
      [&c](const unsigned char* s, int64_t m, char* o) { return CopyToTabSse2(c, s, m, o); }, src,
      n, out, room, tabLength, lineLength, consumed);
}

int64_t CopyToLineEndSse2(const DisplayCopy& c, const unsigned char* src, int64_t avail, char* out,
                          int64_t room, int64_t most) {
  const __m128i low = _mm_set1_epi8(static_cast<char>(c.low_));
  const __m128i span = _mm_set1_epi8(static_cast<char>(c.high_ - c.low_));
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i cr = _mm_set1_epi8('\r');
  const int64_t end = std::min(avail, room);
  for (int64_t i = 0; i + 16 <= end && i <= most; i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), v);
    const auto ends = static_cast<uint32_t>(
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, cr))));
    const uint32_t bad = ~InRange16(v, low, span) & BeforeFirst(ends, 0xFFFF);
    if (bad) Patch(c, src + i, out + i, bad);
    if (ends) return i + __builtin_ctz(ends);
  }
  return -1;
}

#define ZORVO_AVX2 __attribute__((target("avx2")))

// The constants of the AVX2 kernels. With `controls`, the bytes below the
// space, where the identity range begins, are looked up 32 at a time (two
// 16-entry shuffles) instead of one by one: in ANSI that leaves no byte to
// look up alone.
struct Lanes32 {
  __m256i low, span, tab, lf, cr, controlsLow, controlsHigh;
  bool controls;
};

ZORVO_AVX2 inline Lanes32 LanesOf(const DisplayCopy& c) {
  Lanes32 k;
  k.low = _mm256_set1_epi8(static_cast<char>(c.low_));
  k.span = _mm256_set1_epi8(static_cast<char>(c.high_ - c.low_));
  k.tab = _mm256_set1_epi8(kTab);
  k.lf = _mm256_set1_epi8('\n');
  k.cr = _mm256_set1_epi8('\r');
  k.controlsLow = _mm256_broadcastsi128_si256(
      _mm_loadu_si128(reinterpret_cast<const __m128i*>(c.table_.data())));
  k.controlsHigh = _mm256_broadcastsi128_si256(
      _mm_loadu_si128(reinterpret_cast<const __m128i*>(c.table_.data() + 16)));
  k.controls = c.low_ <= 32 && c.high_ >= 32;
  return k;
}

// The display characters of the 32 bytes of `v` as far as vector code makes
// them; `bad` receives the bits of the bytes still to be looked up.
ZORVO_AVX2 inline __m256i Shown32(__m256i v, const Lanes32& k, uint32_t& bad) {
  const __m256i in = _mm256_cmpeq_epi8(_mm256_max_epu8(_mm256_sub_epi8(v, k.low), k.span), k.span);
  if (!k.controls) {
    bad = ~static_cast<uint32_t>(_mm256_movemask_epi8(in));
    return v;
  }
  const __m256i below16 =
      _mm256_cmpeq_epi8(_mm256_max_epu8(v, _mm256_set1_epi8(15)), _mm256_set1_epi8(15));
  const __m256i below32 =
      _mm256_cmpeq_epi8(_mm256_max_epu8(v, _mm256_set1_epi8(31)), _mm256_set1_epi8(31));
  const __m256i control = _mm256_blendv_epi8(_mm256_shuffle_epi8(k.controlsHigh, v),
                                             _mm256_shuffle_epi8(k.controlsLow, v), below16);
  bad = ~static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_or_si256(in, below32)));
  return _mm256_blendv_epi8(v, control, below32);
}

// The AVX2 kernels stay in VEX code throughout: legacy SSE code after them
// while the upper halves are in use costs a transition on some processors.
ZORVO_AVX2 inline uint32_t Block32(const DisplayCopy& c, const unsigned char* src, char* out,
                                   int64_t i, const Lanes32& k, bool tabsEnd) {
  const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
  uint32_t bad;
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), Shown32(v, k, bad));
  const auto tabs =
      tabsEnd ? static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(v, k.tab))) : 0u;
  bad &= BeforeFirst(tabs, 0xFFFFFFFF);
  if (bad) Patch(c, src + i, out + i, bad);
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
  const Lanes32 k = LanesOf(c);
  int64_t i = 0;
  for (; i + 32 <= n; i += 32) Block32(c, src, out, i, k, false);
  if (i < n) Block32(c, src, out, n - 32, k, false);
}

ZORVO_AVX2 int64_t CopyToTabAvx2(const DisplayCopy& c, const unsigned char* src, int64_t n,
                                 char* out) {
  if (n < 32) {
    if (n < 16) return CopyToTabPlain(c, src, n, out);
    const uint32_t tabs = Short(c, src, n, out, true);
    return tabs ? __builtin_ctz(tabs) : n;
  }
  const Lanes32 k = LanesOf(c);
  int64_t i = 0;
  for (; i + 32 <= n; i += 32) {
    const uint32_t tabs = Block32(c, src, out, i, k, true);
    if (tabs) return i + __builtin_ctz(tabs);
  }
  if (i < n) {
    const uint32_t tabs = Block32(c, src, out, n - 32, k, true);
    if (tabs) return n - 32 + __builtin_ctz(tabs);
  }
  return n;
}

// The bits of the bytes of `v` that the table leaves as they are.
ZORVO_AVX2 inline uint32_t InRange32(__m256i v, const Lanes32& k) {
  return static_cast<uint32_t>(_mm256_movemask_epi8(
      _mm256_cmpeq_epi8(_mm256_max_epu8(_mm256_sub_epi8(v, k.low), k.span), k.span)));
}

ZORVO_AVX2 inline uint32_t Below(int64_t bits) {
  return bits >= 32 ? 0xFFFFFFFF : (1u << bits) - 1;
}

// The spaces of a tab from column col up to `stop`.
ZORVO_AVX2 inline void Spaces(char* out, int32_t col, int32_t stop, int32_t writable) {
  if (stop - col <= 32 && col + 32 <= writable) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + col), _mm256_set1_epi8(' '));
  } else {
    std::memset(out + col, ' ', static_cast<size_t>(stop - col));
  }
}

// As ExpandWith, 32 bytes at a time while whole vectors can be read and
// written, then the rest through CopyToTabAvx2. Between tabs, bytes below
// the space are few: they are looked up one by one.
ZORVO_AVX2 int32_t ExpandTabsAvx2(const DisplayCopy& c, const unsigned char* src, int64_t n,
                                  int64_t readable, char* out, int32_t room, int32_t writable,
                                  int32_t tabLength, int32_t lineLength, int64_t& consumed) {
  const Lanes32 k = LanesOf(c);
  int32_t col = 0;
  int64_t i = 0;
  bool finished = false;  // the room ran out, or the bytes did
  while (!finished && i < n && i + 32 <= readable && col + 32 <= writable) {
    // The run from i goes on for at most m bytes, as in ExpandWith.
    const int64_t m = std::min<int64_t>(n - i, room - col);
    const int64_t look = std::min<int64_t>(m, 32);
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + col), v);
    const uint32_t tabs =
        static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(v, k.tab))) & Below(look);
    const int64_t run = tabs ? __builtin_ctz(tabs) : look;
    const uint32_t bad = ~InRange32(v, k) & Below(run);
    if (bad) Patch(c, src + i, out + col, bad);
    col += static_cast<int32_t>(run);
    i += run;
    if (!tabs) {
      finished = run == m;  // done, or out of room
      continue;
    }
    const int32_t stop = std::min(lineLength, NextTabStop(col, tabLength));
    if (stop > room) {
      finished = true;
      continue;
    }
    Spaces(out, col, stop, writable);
    col = stop;
    ++i;
  }
  if (finished || i >= n) {
    consumed = i;
    return col;
  }
  return ExpandWith(
      [&c](const unsigned char* s, int64_t m, char* o) { return CopyToTabAvx2(c, s, m, o); }, src,
      n, out, room, tabLength, lineLength, consumed, i, col);
}

// ExpandTabs up to the first CR or LF, found in the same pass. Each step
// copies the run up to the next tab or line end (or 32 bytes of a longer
// run) and then a tab's spaces, without a branch between the two kinds of
// step: runs between tabs are short and of every length, so such a branch
// would be guessed wrong half the time.
ZORVO_AVX2 int64_t ExpandToLineEndAvx2(const DisplayCopy& c, const unsigned char* src,
                                       int64_t avail, char* out, int32_t room, int32_t writable,
                                       int32_t tabLength, int32_t lineLength, int32_t& columns,
                                       int64_t& cut) {
  cut = -1;
  const Lanes32 k = LanesOf(c);
  const __m256i spaces = _mm256_set1_epi8(' ');
  int32_t col = 0;
  int64_t i = 0;
  for (;;) {
    // The run's 32 bytes, then 32 spaces after it.
    if (i + 32 > avail || col + 64 > writable) return -1;
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + col), v);
    const uint64_t tabs = static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(v, k.tab)));
    const uint64_t ends = static_cast<uint32_t>(_mm256_movemask_epi8(
        _mm256_or_si256(_mm256_cmpeq_epi8(v, k.lf), _mm256_cmpeq_epi8(v, k.cr))));
    const int run = __builtin_ctzll(tabs | ends | uint64_t{1} << 32);  // 32: no stop
    if (col + run > room) {
      // The room runs out before the run does: the line is cut there.
      const uint32_t shown = ~InRange32(v, k) & Below(room - col);
      if (shown) Patch(c, src + i, out + col, shown);
      cut = i + (room - col);
      return -1;
    }
    const uint32_t bad = ~InRange32(v, k) & Below(run);
    if (bad) Patch(c, src + i, out + col, bad);
    col += run;
    i += run;
    if (ends >> run & 1) {
      columns = col;
      return i;
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + col), spaces);
    const bool tab = tabs >> run & 1;
    const int32_t stop = std::min(lineLength, NextTabStop(col, tabLength));
    if (tab && col >= room) {  // a full line has no room for a tab
      cut = i;
      return -1;
    }
    if (tab && stop > room) return -1;
    // A tab longer than the vector of spaces.
    if (tab && stop - col > 32) {
      std::memset(out + col + 32, ' ', static_cast<size_t>(stop - col - 32));
    }
    col = tab ? stop : col;
    i += tab;
  }
}

ZORVO_AVX2 int64_t CopyToLineEndAvx2(const DisplayCopy& c, const unsigned char* src, int64_t avail,
                                     char* out, int64_t room, int64_t most) {
  const Lanes32 k = LanesOf(c);
  const int64_t end = std::min(avail, room);
  for (int64_t i = 0; i + 32 <= end && i <= most; i += 32) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
    uint32_t bad;
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), Shown32(v, k, bad));
    const auto ends = static_cast<uint32_t>(_mm256_movemask_epi8(
        _mm256_or_si256(_mm256_cmpeq_epi8(v, k.lf), _mm256_cmpeq_epi8(v, k.cr))));
    bad &= BeforeFirst(ends, 0xFFFFFFFF);
    if (bad) Patch(c, src + i, out + i, bad);
    if (ends) return i + __builtin_ctz(ends);
  }
  return -1;
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
  copyToLineEnd_ = nullptr;
  expandToLineEnd_ = nullptr;
#if ZORVO_COPY_X86
  // A table that leaves too few bytes alone gains nothing from runs.
  if (bestHigh - bestLow < 32) return;
  if (path == detail::ScanPath::kAvx2) {
    copy_ = CopyAvx2;
    copyToTab_ = CopyToTabAvx2;
    expandTabs_ = ExpandTabsAvx2;
    copyToLineEnd_ = CopyToLineEndAvx2;
    expandToLineEnd_ = ExpandToLineEndAvx2;
  } else if (path == detail::ScanPath::kSse2) {
    copy_ = CopySse2;
    copyToTab_ = CopyToTabSse2;
    expandTabs_ = ExpandTabsSse2;
    copyToLineEnd_ = CopyToLineEndSse2;
  }
#else
  (void)path;
#endif
}

}  // namespace zorvo
