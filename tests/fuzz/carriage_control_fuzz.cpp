// Fuzzes the user carriage-control table: the parser against the C library's
// strtol, the round trip through the profile, then the Text formatter with
// the parsed table, whose two directions must make the same lines. The first
// byte is the length of the table text, the next two the options and the
// line length; the table text follows, the rest is the block. Any broken
// invariant aborts, so the fuzzer keeps the input.
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "viewer/file/carriage_control.h"
#include "viewer/settings/profile_store.h"
#include "viewer/settings/settings.h"
#include "viewer/settings/user_skip_counts.h"

namespace zorvo {
namespace {

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "carriage control invariant broken: %s\n", what);
    std::abort();
  }
}

// The reading the parser promises, written with strtoll over the C string.
// False when a number overflowed, where strtoll saturates and the parser
// wraps, or when the library might read a "0b" prefix (C23).
bool ReferenceCounts(const std::string& value, SkipCounts& counts) {
  counts.fill(1);
  const std::string text = value.substr(0, value.find('\0'));
  if (text.find("0b") != std::string::npos || text.find("0B") != std::string::npos) return false;
  const char* p = text.c_str();
  while (*p != '\0') {
    errno = 0;
    char* end;
    const long long code = std::strtoll(p, &end, 0);
    p = end;
    if (*p == '=') {
      const long long count = std::strtoll(p + 1, &end, 0);
      p = end;
      counts[static_cast<uint8_t>(code)] = static_cast<uint8_t>(count);
    }
    if (errno == ERANGE) return false;
    if (*p != '\0') ++p;
  }
  return true;
}

struct Lines {
  std::vector<LineEntry> entries;
  std::vector<char> chars;
  int32_t from = 0;
  int32_t to = 0;
  int32_t textEnd = 0;
  unsigned status = 0;
};

// One pass with `slots` and `capacity` to spare; false when it ran out.
bool Pass(const unsigned char* data, int64_t n, Direction dir, const FormatParams& params,
          int32_t slots, int32_t capacity, Lines& out) {
  out.entries.assign(static_cast<size_t>(slots), LineEntry{});
  out.chars.assign(static_cast<size_t>(capacity), '\0');
  const bool forward = dir == Direction::kForward;
  LineCursor lines{out.entries.data(), slots, forward ? 0 : slots};
  TextCursor text{out.chars.data(), capacity, 0};
  out.status = FormatText(Block{data, n, forward ? 0 : n}, lines, text, forward ? 0 : n, dir,
                          params);
  Check(text.end >= 0 && text.end <= capacity, "text end outside the buffer");
  out.textEnd = text.end;
  out.from = forward ? 0 : lines.index;
  out.to = forward ? lines.index : slots;
  if (!forward) return true;
  Check(lines.index >= 0 && lines.index < slots, "forward cursor out of range");
  const int32_t longest = params.lineLength < 1 ? 1 : params.lineLength;
  if (lines.index >= slots - 1 || capacity - text.end < longest) return false;
  Check(out.entries[lines.index].length == -1, "forward passes end on the end entry");
  Check(out.entries[lines.index].offset == n, "a forward pass with room ends at the block end");
  return true;
}

// Backward from the end of the block makes the lines a forward pass over the
// whole block makes, given room for all of them. A count up to 254 makes as
// many lines of one byte: the room grows until the forward pass fits.
void CheckDirectionsAgree(const unsigned char* data, int64_t n, const FormatParams& params) {
  const int64_t longest = params.lineLength < 1 ? 1 : params.lineLength;
  int64_t slots = n + 64;
  int64_t capacity = 2 * n + 2 * longest + 64;
  Lines fwd;
  for (;;) {
    if (slots > (1 << 24) || capacity > (1 << 28)) return;
    if (Pass(data, n, Direction::kForward, params, static_cast<int32_t>(slots),
             static_cast<int32_t>(capacity), fwd)) {
      break;
    }
    slots *= 2;
    capacity *= 2;
  }
  const int32_t count = fwd.to - fwd.from;
  Lines back;
  Pass(data, n, Direction::kBackward, params, count + 1, static_cast<int32_t>(capacity), back);
  Check(back.to - back.from == count, "backward made a different number of lines");
  Check(back.status == fwd.status, "the directions disagree on the status");
  for (int32_t k = 0; k < count; ++k) {
    const LineEntry& x = fwd.entries[fwd.from + k];
    const LineEntry& y = back.entries[back.from + k];
    Check(x.length >= 0 && x.length <= longest, "line length out of range");
    Check(static_cast<int64_t>(x.text) + x.length <= fwd.textEnd, "line text beyond the text");
    Check(static_cast<int64_t>(y.text) + y.length <= back.textEnd, "line text beyond the text");
    Check(x.offset == y.offset && x.flags == y.flags && x.length == y.length &&
              std::memcmp(fwd.chars.data() + x.text, back.chars.data() + y.text, x.length) == 0,
          "backward lines differ from forward lines");
  }
}

constexpr uint32_t kOptionBits[] = {kOptWrap,     kOptExpandTabs, kOptFormFeedPage, kOptPageGaps,
                                    0x40 /* ASCII */, 0x80 /* EBCDIC */};

}  // namespace
}  // namespace zorvo

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zorvo;
  Settings settings;

  size_t at = 0;
  auto byte = [&]() -> uint8_t { return at < size ? data[at++] : 0; };
  const size_t length = byte();
  const uint8_t bits = byte();
  const uint8_t lineLength = byte();
  const size_t tableLength = std::min(length, size - at);
  const std::string value(reinterpret_cast<const char*>(data) + at, tableLength);
  at += tableLength;

  const SkipCounts counts = ParseUserSkipCounts(value);
  SkipCounts reference;
  if (ReferenceCounts(value, reference)) {
    Check(counts == reference, "the parser disagrees with strtoll");
  }
  Check(ParseUserSkipCounts(value + ",") == counts, "a final separator changed the table");

  // Through the profile: the bytes up to a null survive as 8-bit text.
  settings.profile().WriteTextNarrow(L"CarriageControl", L"FUZZ", value.c_str());
  MarkUserSkipCountsStale(settings);
  Check(ProfileSkipCounts(settings, kOptCarriageControl | kOptCcUser, L"FUZZ") == counts,
        "the profile changed the table");
  Check(!UserSkipCountsStale(settings), "reading the table leaves it current");

  FormatParams params;
  params.options = kOptCarriageControl | kOptCcUser;
  for (size_t k = 0; k < std::size(kOptionBits); ++k) {
    if (bits & (1u << k)) params.options |= kOptionBits[k];
  }
  params.lineLength = 1 + lineLength % 160;
  params.tabLength = 1 + (bits >> 6);
  params.skipCounts = &counts;
  CheckDirectionsAgree(data + at, static_cast<int64_t>(size - at), params);
  return 0;
}
