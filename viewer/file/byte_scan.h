// Fast scans for the line-end bytes CR and LF, forward and backward. The
// formatters spend most of their time here on long text files.
#pragma once

#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zorvo {

inline constexpr unsigned char kCtrlZ = 26;  // ends a file written by old programs

inline bool IsLineEnd(unsigned char c) { return c == '\n' || c == '\r'; }

// Index of the first CR or LF in [from, to), or `to`.
inline int64_t FindLineEnd(const unsigned char* d, int64_t from, int64_t to) {
  int64_t i = from;
#if defined(__SSE2__)
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i cr = _mm_set1_epi8('\r');
  for (; i + 16 <= to; i += 16) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
    int mask = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, cr)));
    if (mask != 0) return i + __builtin_ctz(static_cast<unsigned>(mask));
  }
#endif
  for (; i < to; ++i) {
    if (IsLineEnd(d[i])) return i;
  }
  return to;
}

// Index just after the last CR or LF in [from, to), or `from`.
inline int64_t FindLineStartBefore(const unsigned char* d, int64_t from, int64_t to) {
  int64_t i = to;
#if defined(__SSE2__)
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i cr = _mm_set1_epi8('\r');
  for (; i - 16 >= from; i -= 16) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i - 16));
    int mask = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, cr)));
    if (mask != 0) return i - 16 + (31 - __builtin_clz(static_cast<unsigned>(mask))) + 1;
  }
#endif
  for (; i > from; --i) {
    if (IsLineEnd(d[i - 1])) return i;
  }
  return from;
}

// Index of the first tab in [from, to), or `to`. Lines hold few bytes
// between tabs, so this is inline rather than a call to memchr.
inline int64_t FindTab(const unsigned char* d, int64_t from, int64_t to) {
  int64_t i = from;
#if defined(__SSE2__)
  const __m128i tab = _mm_set1_epi8('\t');
  for (; i + 16 <= to; i += 16) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
    int mask = _mm_movemask_epi8(_mm_cmpeq_epi8(v, tab));
    if (mask != 0) return i + __builtin_ctz(static_cast<unsigned>(mask));
  }
#endif
  for (; i < to; ++i) {
    if (d[i] == '\t') return i;
  }
  return to;
}

}  // namespace zorvo
