// Search: the first match of a byte pattern at or after a position.
//
// The scan compares the pattern's first and last bytes at sixteen positions
// at once and checks the whole pattern only where both agree; the results
// are those of comparing at every index in ascending order.
#include "viewer/file/search.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zorvo {

SearchState& Search() {
  static SearchState state;
  return state;
}

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

class Matcher {
 public:
  Matcher(std::string_view pattern, bool caseSensitive)
      : pattern_(reinterpret_cast<const unsigned char*>(pattern.data())),
        length_(static_cast<int64_t>(pattern.size())),
        caseSensitive_(caseSensitive) {
    if (!caseSensitive_) {
      folded_.resize(pattern.size());
      for (size_t i = 0; i < pattern.size(); ++i) folded_[i] = kFold[pattern_[i]];
    }
  }

  bool At(const unsigned char* p) const {
    if (caseSensitive_) return std::memcmp(p, pattern_, static_cast<size_t>(length_)) == 0;
    for (int64_t k = 0; k < length_; ++k) {
      if (kFold[p[k]] != folded_[k]) return false;
    }
    return true;
  }

  int64_t Find(const unsigned char* d, int64_t n) const {
    const int64_t last = n - length_;  // the last index a match may start at
    if (last < 0) return -1;
    int64_t i = 0;
#if defined(__SSE2__)
    const unsigned char first = pattern_[0];
    const unsigned char end = pattern_[length_ - 1];
    const bool foldFirst = !caseSensitive_ && IsLetter(first);
    const bool foldEnd = !caseSensitive_ && IsLetter(end);
    const __m128i f1 = _mm_set1_epi8(static_cast<char>(first));
    const __m128i f2 = _mm_set1_epi8(static_cast<char>(foldFirst ? first ^ 0x20 : first));
    const __m128i e1 = _mm_set1_epi8(static_cast<char>(end));
    const __m128i e2 = _mm_set1_epi8(static_cast<char>(foldEnd ? end ^ 0x20 : end));
    for (; i + 15 <= last; i += 16) {
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i + length_ - 1));
      const __m128i ma = _mm_or_si128(_mm_cmpeq_epi8(a, f1), _mm_cmpeq_epi8(a, f2));
      const __m128i mb = _mm_or_si128(_mm_cmpeq_epi8(b, e1), _mm_cmpeq_epi8(b, e2));
      unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(ma, mb)));
      while (mask != 0) {
        const int bit = __builtin_ctz(mask);
        if (At(d + i + bit)) return i + bit;
        mask &= mask - 1;
      }
    }
#endif
    for (; i <= last; ++i) {
      if (At(d + i)) return i;
    }
    return -1;
  }

 private:
  const unsigned char* pattern_;
  int64_t length_;
  bool caseSensitive_;
  std::basic_string<unsigned char> folded_;
};

}  // namespace

int64_t FindInBuffer(const unsigned char* data, int64_t size, std::string_view pattern,
                     bool caseSensitive) {
  if (pattern.empty()) return -1;
  return Matcher(pattern, caseSensitive).Find(data, size);
}

namespace detail {

int64_t ScanFile(FileRecord& file, std::string_view pattern, bool caseSensitive,
                 Notifier& notifier, FileOpener& opener, bool all,
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
  // few bytes at a time.
  int64_t fileLength = file.Flen;
  if (handle->Size(fileLength)) file.Flen = fileLength;
  if (position > fileLength - length) return kNotFound;
  const uint32_t size =
      static_cast<uint32_t>(std::min<int64_t>(kSearchBuffer, fileLength - position));
  std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[size]);
  if (!buffer) {
    notifier.Message(L"Cannot allocate memory for search buffer", L"Find Error", kIconHand, 0);
    return kNoSearchBuffer;
  }

  const Matcher matcher(pattern, caseSensitive);
  int64_t count = 0;
  for (;;) {
    if (!handle->Seek(position)) return kSearchSeekFailed;
    uint32_t got = 0;
    while (got < size) {
      uint32_t part = 0;
      if (!handle->Read(buffer.get() + got, size - got, part) || part == 0) break;
      got += part;
    }
    if (got < length) break;
    for (int64_t from = 0;;) {
      const int64_t at = matcher.Find(buffer.get() + from, got - from);
      if (at < 0) break;
      ++count;
      if (!report(context, position + from + at) || !all) return count;
      from += at + 1;
    }
    // The next buffer starts L - 1 bytes before this one ended, so that a
    // match across the boundary is found there, and none twice.
    position += got - length + 1;
    if (position > fileLength - length) break;
  }
  return count > 0 ? count : kNotFound;
}

}  // namespace detail

int64_t FindForward(FileRecord& file, std::string_view pattern, bool caseSensitive,
                    Notifier& notifier, FileOpener& opener) {
  int64_t match = kNotFound;
  const int64_t result = detail::ScanFile(
      file, pattern, caseSensitive, notifier, opener, false,
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
