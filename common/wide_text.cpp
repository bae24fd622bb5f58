#include "common/wide_text.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace zorvo {

namespace {

// Undecodable bytes are carried in the low-surrogate block, where no valid
// UTF-8 sequence can land.
constexpr char32_t kEscapeBase = 0xDC00;
constexpr char32_t kReplacement = 0xFFFD;

constexpr bool kWide16 = sizeof(wchar_t) == 2;

void AppendWide(std::wstring& out, char32_t cp) {
  if (kWide16 && cp >= 0x10000) {
    cp -= 0x10000;
    out.push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
  } else {
    out.push_back(static_cast<wchar_t>(cp));
  }
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// Decodes one well-formed UTF-8 sequence at `p`; returns its length, or 0
// when the bytes there are not one (overlong, surrogate, beyond U+10FFFF,
// truncated).
size_t DecodeOne(const unsigned char* p, size_t left, char32_t& cp) {
  const unsigned char b0 = p[0];
  size_t len;
  char32_t min;
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  } else if (b0 >= 0xC2 && b0 <= 0xDF) {
    len = 2, min = 0x80, cp = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    len = 3, min = 0x800, cp = b0 & 0x0F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    len = 4, min = 0x10000, cp = b0 & 0x07;
  } else {
    return 0;
  }
  if (left < len) return 0;
  for (size_t i = 1; i < len; ++i) {
    if ((p[i] & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (p[i] & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return len;
}

// UTF-8 of every Windows-1252 byte, packed as up to three bytes plus length.
struct Cp1252Entry {
  char bytes[4];
  uint8_t len;
};

constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

constexpr std::array<Cp1252Entry, 256> MakeCp1252Table() {
  std::array<Cp1252Entry, 256> table{};
  for (unsigned b = 0; b < 256; ++b) {
    char32_t cp = (b >= 0x80 && b < 0xA0) ? kCp1252High[b - 0x80] : b;
    Cp1252Entry& e = table[b];
    if (cp < 0x80) {
      e.bytes[0] = static_cast<char>(cp);
      e.len = 1;
    } else if (cp < 0x800) {
      e.bytes[0] = static_cast<char>(0xC0 | (cp >> 6));
      e.bytes[1] = static_cast<char>(0x80 | (cp & 0x3F));
      e.len = 2;
    } else {
      e.bytes[0] = static_cast<char>(0xE0 | (cp >> 12));
      e.bytes[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      e.bytes[2] = static_cast<char>(0x80 | (cp & 0x3F));
      e.len = 3;
    }
  }
  return table;
}

constexpr std::array<Cp1252Entry, 256> kCp1252 = MakeCp1252Table();

}  // namespace

std::wstring WideFromUtf8(std::string_view bytes) {
  std::wstring out;
  out.reserve(bytes.size());
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  size_t left = bytes.size();
  while (left > 0) {
    char32_t cp;
    size_t len = DecodeOne(p, left, cp);
    if (len == 0) {
      out.push_back(static_cast<wchar_t>(kEscapeBase + *p));
      len = 1;
    } else {
      AppendWide(out, cp);
    }
    p += len;
    left -= len;
  }
  return out;
}

std::string Utf8FromWide(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t cp = static_cast<char32_t>(text[i]);
    if (kWide16) cp &= 0xFFFF;
    if (cp >= kEscapeBase + 0x80 && cp <= kEscapeBase + 0xFF) {
      out.push_back(static_cast<char>(cp - kEscapeBase));
      continue;
    }
    if (kWide16 && cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size()) {
      char32_t low = static_cast<char32_t>(text[i + 1]) & 0xFFFF;
      if (low >= 0xDC00 && low <= 0xDFFF) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      }
    }
    if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) cp = kReplacement;
    AppendUtf8(out, cp);
  }
  return out;
}

std::wstring WideFromLatin1(std::string_view bytes) {
  std::wstring out(bytes.size(), L'\0');
  for (size_t i = 0; i < bytes.size(); ++i) {
    out[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]));
  }
  return out;
}

std::string Utf8FromWindows1252(std::string_view bytes) {
  std::string out;
  AppendUtf8FromWindows1252(out, bytes);
  return out;
}

void AppendUtf8FromWindows1252(std::string& out, std::string_view bytes) {
  // Runs of ASCII bytes, which stand for themselves, go over in one append;
  // they are found eight bytes at a time.
  const char* p = bytes.data();
  const char* const end = p + bytes.size();
  while (p < end) {
    const char* run = p;
    uint64_t word;
    while (end - p >= 8 && (std::memcpy(&word, p, 8), (word & 0x8080808080808080ULL) == 0)) {
      p += 8;
    }
    while (p < end && static_cast<unsigned char>(*p) < 0x80) ++p;
    out.append(run, static_cast<size_t>(p - run));
    for (; p < end && static_cast<unsigned char>(*p) >= 0x80; ++p) {
      const Cp1252Entry& e = kCp1252[static_cast<unsigned char>(*p)];
      out.append(e.bytes, e.len);
    }
  }
}

}  // namespace zorvo
