// The Hex Dump formatter: an address column, the bytes in hex in groups of
// four, and their display characters.
#include <algorithm>
#include <array>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "viewer/file/code_tables.h"
#include "viewer/file/display_copy.h"
#include "viewer/file/formatter.h"

namespace zorvo {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

struct HexLayout {
  int addressWidth;  // digits plus two spaces
  int groups;        // groups of four bytes per line
  int BytesPerLine() const { return 4 * groups; }
  int Width() const { return addressWidth + 13 * groups + 1; }
  int CharColumn() const { return addressWidth + 9 * groups + 1; }
};

// Writes one line showing `count` bytes from `src` at byte positions
// [first, first + count) of the line; the other positions stay blank.
// Returns the columns used.
int WriteLine(char* out, const HexLayout& layout, uint64_t address, const unsigned char* src,
              int first, int count, bool fullWidth, const DisplayCopy& code) {
  const int width = layout.Width();
  std::memset(out, ' ', static_cast<size_t>(width));
  const int digits = layout.addressWidth - 2;
  for (int k = digits - 1; k >= 0; --k) {
    out[k] = kHexDigits[address & 0xF];
    address >>= 4;
  }
  char* chars = out + layout.CharColumn();
  for (int j = first; j < first + count; ++j) {
    const unsigned char b = src[j - first];
    char* hex = out + layout.addressWidth + 2 * j + j / 4;
    hex[0] = kHexDigits[b >> 4];
    hex[1] = kHexDigits[b & 0xF];
    chars[j] = static_cast<char>(code[b]);
  }
  return fullWidth ? width : layout.CharColumn() + first + count;
}


#if defined(__SSE2__)
// The two digits of every byte value, for the address.
constexpr std::array<char, 512> kHexPairs = [] {
  std::array<char, 512> pairs{};
  for (int b = 0; b < 256; ++b) {
    pairs[2 * b] = kHexDigits[b >> 4];
    pairs[2 * b + 1] = kHexDigits[b & 0xF];
  }
  return pairs;
}();

// The two hex digits of every byte of src[0, 16): bytes 0-7 in `a`, 8-15 in `b`.
inline void HexDigits16(const unsigned char* src, __m128i& a, __m128i& b) {
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
  const __m128i nibble = _mm_set1_epi8(0x0F);
  const __m128i high = _mm_and_si128(_mm_srli_epi16(v, 4), nibble);
  const __m128i low = _mm_and_si128(v, nibble);
  auto digits = [](__m128i n) {
    // '0' + n, and 7 more for A-F.
    const __m128i letters = _mm_and_si128(_mm_cmpgt_epi8(n, _mm_set1_epi8(9)), _mm_set1_epi8(7));
    return _mm_add_epi8(_mm_add_epi8(n, _mm_set1_epi8('0')), letters);
  };
  a = digits(_mm_unpacklo_epi8(high, low));
  b = digits(_mm_unpacklo_epi8(_mm_unpackhi_epi64(high, high), _mm_unpackhi_epi64(low, low)));
}

// WriteLine for a whole line of 16 bytes or more, the hex digits 16 bytes at
// a time: each group of four bytes is eight digits stored in one go.
int WriteFullLine(char* out, const HexLayout& layout, uint64_t address, const unsigned char* src,
                  const DisplayCopy& code) {
  const int width = layout.Width();
  // Blank the line 16 columns at a time, the last store overlapping.
  const __m128i spaces = _mm_set1_epi8(' ');
  for (int j = 0; j + 16 < width; j += 16) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + j), spaces);
  }
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out + width - 16), spaces);
  for (int k = layout.addressWidth - 4; k >= 0; k -= 2) {
    std::memcpy(out + k, kHexPairs.data() + 2 * (address & 0xFF), 2);
    address >>= 8;
  }
  char* hex = out + layout.addressWidth;
  const int bytes = layout.BytesPerLine();
  for (int j = 0; j < bytes; j += 16, hex += 36) {
    __m128i a, b;
    HexDigits16(src + j, a, b);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(hex), a);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(hex + 9), _mm_unpackhi_epi64(a, a));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(hex + 18), b);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(hex + 27), _mm_unpackhi_epi64(b, b));
  }
  char* chars = out + layout.CharColumn();
  if (code.high_ < code.low_) {
    code.Copy(src, bytes, chars);
    return width;
  }
  // The characters as DisplayCopy makes them, without a call per line.
  const __m128i low = _mm_set1_epi8(static_cast<char>(code.low_));
  const __m128i span = _mm_set1_epi8(static_cast<char>(code.high_ - code.low_));
  for (int j = 0; j < bytes; j += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + j));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(chars + j), v);
    const __m128i t = _mm_max_epu8(_mm_sub_epi8(v, low), span);
    auto out = static_cast<uint32_t>(~_mm_movemask_epi8(_mm_cmpeq_epi8(t, span)) & 0xFFFF);
    for (; out != 0; out &= out - 1) {
      const int k = j + __builtin_ctz(out);
      chars[k] = static_cast<char>(code[src[k]]);
    }
  }
  return width;
}
#endif

#if defined(__x86_64__)
#define ZORVO_AVX2 __attribute__((target("avx2")))

// Whole lines of 16 bytes or more in AVX2 code, the address and the
// character column in vector code too: the character of every byte below
// the space is looked up 16 at a time (two 16-entry shuffles) when the
// table's identity range begins there, as in ANSI.
class FullLinesAvx2 {
 public:
  ZORVO_AVX2 FullLinesAvx2(const HexLayout& layout, const DisplayCopy& code)
      : layout_(layout), code_(code), controls_(code.low_ <= 32 && code.high_ >= 32) {}

  // Writes `count` lines of the bytes from src, the first at `address`,
  // into `out` and their entries from `entry`; `text` is the index of out
  // in the text.
  ZORVO_AVX2 void Write(int64_t count, const unsigned char* src, int64_t address, char* out,
                        uint32_t text, LineEntry* entry) const {
    const int width = layout_.Width();
    const int perLine = layout_.BytesPerLine();
    for (int64_t k = 0; k < count; ++k) {
      Line(out, static_cast<uint64_t>(address), src);
      *entry++ = LineEntry{address, text, width, 0, 0};
      out += width;
      text += static_cast<uint32_t>(width);
      src += perLine;
      address += perLine;
    }
  }

 private:
  ZORVO_AVX2 void Line(char* out, uint64_t address, const unsigned char* src) const {
    const int width = layout_.Width();
    const int digits = layout_.addressWidth - 2;
    // The address's digits first in a vector of 16, the rest written over.
    __m128i a, b;
    HexDigits16Of(
        _mm_cvtsi64_si128(static_cast<int64_t>(__builtin_bswap64(address << (64 - 4 * digits)))), a,
        b);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), a);
    const __m256i spaces = _mm256_set1_epi8(' ');
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + digits), spaces);
    for (int j = digits + 32; j + 32 < width; j += 32) {  // wider lines than 16 bytes
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + j), spaces);
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + width - 32), spaces);
    char* hex = out + layout_.addressWidth;
    char* chars = out + layout_.CharColumn();
    const int bytes = layout_.BytesPerLine();
    const __m128i low = _mm_set1_epi8(static_cast<char>(code_.low_));
    const __m128i span = _mm_set1_epi8(static_cast<char>(code_.high_ - code_.low_));
    const __m128i controlsLow =
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(code_.table_.data()));
    const __m128i controlsHigh =
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(code_.table_.data() + 16));
    for (int j = 0; j < bytes; j += 16, hex += 36) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + j));
      HexDigits16Of(v, a, b);
      _mm_storel_epi64(reinterpret_cast<__m128i*>(hex), a);
      _mm_storel_epi64(reinterpret_cast<__m128i*>(hex + 9), _mm_unpackhi_epi64(a, a));
      _mm_storel_epi64(reinterpret_cast<__m128i*>(hex + 18), b);
      _mm_storel_epi64(reinterpret_cast<__m128i*>(hex + 27), _mm_unpackhi_epi64(b, b));
      const __m128i in = _mm_cmpeq_epi8(_mm_max_epu8(_mm_sub_epi8(v, low), span), span);
      __m128i shown = v;
      __m128i done = in;
      if (controls_) {
        const __m128i below16 =
            _mm_cmpeq_epi8(_mm_max_epu8(v, _mm_set1_epi8(15)), _mm_set1_epi8(15));
        const __m128i below32 =
            _mm_cmpeq_epi8(_mm_max_epu8(v, _mm_set1_epi8(31)), _mm_set1_epi8(31));
        const __m128i control = _mm_blendv_epi8(_mm_shuffle_epi8(controlsHigh, v),
                                                _mm_shuffle_epi8(controlsLow, v), below16);
        shown = _mm_blendv_epi8(v, control, below32);
        done = _mm_or_si128(in, below32);
      }
      _mm_storeu_si128(reinterpret_cast<__m128i*>(chars + j), shown);
      for (auto bad = static_cast<uint32_t>(~_mm_movemask_epi8(done) & 0xFFFF); bad != 0;
           bad &= bad - 1) {
        const int k = j + __builtin_ctz(bad);
        chars[k] = static_cast<char>(code_[src[k]]);
      }
    }
  }

  // The two hex digits of every byte of v: bytes 0-7 in `a`, 8-15 in `b`.
  ZORVO_AVX2 static void HexDigits16Of(__m128i v, __m128i& a, __m128i& b) {
    const __m128i nibble = _mm_set1_epi8(0x0F);
    const __m128i high = _mm_and_si128(_mm_srli_epi16(v, 4), nibble);
    const __m128i low = _mm_and_si128(v, nibble);
    const __m128i digits = _mm_setr_epi8('0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'A', 'B',
                                         'C', 'D', 'E', 'F');
    a = _mm_shuffle_epi8(digits, _mm_unpacklo_epi8(high, low));
    b = _mm_shuffle_epi8(digits, _mm_unpackhi_epi8(high, low));
  }

  const HexLayout& layout_;
  const DisplayCopy& code_;
  bool controls_;
};
#endif

}  // namespace

unsigned FormatHex(const Block& block, LineCursor& lines, TextCursor& text, int64_t fileOffset,
                   Direction direction, const FormatParams& params) {
  HexLayout layout{fileOffset <= 0x7FFFFFFF ? 10 : 12, 16};
  const int available = params.lineLength - layout.addressWidth;
  if (available < 14) return kStatusLineTooShort;
  while (layout.groups > 1 && 13 * layout.groups >= available) layout.groups /= 2;

  const DisplayCopy code(CodeTableFor(params.options));
  const int perLine = layout.BytesPerLine();
  // Whole lines of 16 bytes or more go the fast way unless the plain one is asked for.
  const bool fast = perLine >= 16 && detail::CurrentScanPath() != detail::ScanPath::kPlain;
  const int width = layout.Width();
  const int64_t base = fileOffset - block.start;  // file offset of block index 0

  if (direction == Direction::kForward) {
    int64_t i = block.start;
    unsigned status = 0;
#if defined(__x86_64__)
    if (fast && detail::CurrentScanPath() == detail::ScanPath::kAvx2) {
      // The whole lines that the block, the slots and the text all have room for.
      const int64_t whole = std::max<int64_t>(
          0, std::min({(block.count - i) / perLine, int64_t{lines.count} - 1 - lines.index,
                       int64_t{text.capacity - text.end} / width}));
      FullLinesAvx2(layout, code)
          .Write(whole, block.data + i, base + i, text.chars + text.end,
                 static_cast<uint32_t>(text.end), lines.entries + lines.index);
      lines.index += static_cast<int32_t>(whole);
      text.end += static_cast<int32_t>(whole * width);
      i += whole * perLine;
    }
#endif
    while (lines.index < lines.count - 1 && text.capacity - text.end >= width) {
      if (i >= block.count || (!block.atFileEnd && block.count - i < perLine)) {
        // The file goes on: the next line is made whole from the next block.
        if (!block.atFileEnd) status = kStatusReadOn;
        break;
      }
      const int count = static_cast<int>(std::min<int64_t>(perLine, block.count - i));
      char* out = text.chars + text.end;
      const auto address = static_cast<uint64_t>(base + i);
#if defined(__SSE2__)
      const int used = fast && count == perLine
                           ? WriteFullLine(out, layout, address, block.data + i, code)
                           : WriteLine(out, layout, address, block.data + i, 0, count, false, code);
#else
      const int used = WriteLine(out, layout, address, block.data + i, 0, count, false, code);
#endif
      lines.entries[lines.index++] =
          LineEntry{base + i, static_cast<uint32_t>(text.end), used, 0, 0};
      text.end += used;
      i += count;
    }
    if (lines.index < lines.count) lines.entries[lines.index] = LineEntry{base + i, 0, -1, 0, 0};
    return status;
  }

  // Backward: full-width lines, each beginning one line's bytes before the
  // one above it.
  int64_t lineStart = block.start;
  while (lines.index > 0 && text.capacity - text.end >= width) {
    lineStart -= perLine;
    const int64_t offset = base + lineStart;
    if (offset + perLine <= 0) break;  // nothing of the file left
    // A line reaching before the start of the file shows blanks there and
    // its address as the two's complement of its negative start.
    const int skip = offset < 0 ? static_cast<int>(-offset) : 0;
    if (lineStart + skip < 0) break;  // bytes before the block are not at hand
    const int64_t from = lineStart + skip;
    char* out = text.chars + text.end;
#if defined(__SSE2__)
    if (fast && skip == 0) {
      WriteFullLine(out, layout, static_cast<uint64_t>(offset), block.data + from, code);
    } else {
      WriteLine(out, layout, static_cast<uint64_t>(offset), block.data + from, skip,
                perLine - skip, true, code);
    }
#else
    WriteLine(out, layout, static_cast<uint64_t>(offset), block.data + from, skip, perLine - skip,
              true, code);
#endif
    lines.entries[--lines.index] =
        LineEntry{std::max<int64_t>(offset, 0), static_cast<uint32_t>(text.end), width, 0, 0};
    text.end += width;
    if (offset <= 0 || lineStart <= 0) break;
  }
  return 0;
}

}  // namespace zorvo
