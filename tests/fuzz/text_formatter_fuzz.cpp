// Fuzzes the Text formatter. The first bytes choose the options, the line
// and tab lengths, the direction and the table; the rest is the block. Any
// broken invariant aborts, so the fuzzer keeps the input.
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "support/fuzz_support.h"
#include "viewer/file/formatter.h"
#include "viewer/file/scan_path.h"

namespace zorvo {
namespace {

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "text formatter invariant broken: %s\n", what);
    std::abort();
  }
}

SkipCounts AsaLikeCounts() {
  SkipCounts counts = PlainSkipCounts();
  counts[' '] = 1;
  counts['0'] = 2;
  counts['-'] = 3;
  counts['1'] = 255;
  counts['+'] = 0;
  return counts;
}

// Every count from 0 to 255 somewhere, spread over the bytes by a seed.
SkipCounts ScrambledCounts(uint8_t seed) {
  SkipCounts counts;
  for (int c = 0; c < 256; ++c) counts[c] = static_cast<unsigned char>(c * 167 + seed);
  return counts;
}

constexpr uint32_t kOptionBits[] = {kOptWrap,
                                    kOptExpandTabs,
                                    kOptFormFeedPage,
                                    kOptPageGaps,
                                    kOptCarriageControl,
                                    kOptPagePadding,
                                    kOptFixedLength,
                                    0x100 /* form feed shown */};

// The lines of one pass, kept in its table: entries [from, to) in file order.
struct Pass {
  GuardedTable table;
  int32_t from = 0;
  int32_t to = 0;
  unsigned status = 0;
  int64_t endOffset = -1;  // forward only
  bool exhausted = false;  // forward stopped for want of slots or text

  int32_t size() const { return to - from; }
};

// Same offsets, flags and characters, line by line.
bool SameLines(const Pass& a, const Pass& b) {
  if (a.size() != b.size()) return false;
  for (int32_t k = 0; k < a.size(); ++k) {
    const LineEntry& x = a.table.entries()[a.from + k];
    const LineEntry& y = b.table.entries()[b.from + k];
    if (x.offset != y.offset || x.flags != y.flags || x.length != y.length ||
        std::memcmp(a.table.chars() + x.text, b.table.chars() + y.text, x.length) != 0) {
      return false;
    }
  }
  return true;
}

// One pass with every invariant of the cursors, the entries and the text
// checked.
Pass Run(const Block& block, int64_t fileOffset, Direction dir, const FormatParams& params,
         int32_t slots, int32_t firstIndex, int32_t capacity) {
  Pass pass{GuardedTable(slots, capacity)};
  GuardedTable& table = pass.table;
  LineCursor lines{table.entries(), slots, firstIndex};
  TextCursor text{table.chars(), capacity, 0};
  pass.status = FormatText(block, lines, text, fileOffset, dir, params);
  Check(table.GuardIntact(), "text written past the capacity");
  Check(text.end >= 0 && text.end <= capacity, "text end outside the buffer");
  Check((pass.status & kStatusFailed) == 0, "the Text formatter never fails");

  const int32_t longest = params.lineLength < 1 ? 1 : params.lineLength;
  if (dir == Direction::kForward) {
    Check(lines.index >= firstIndex && lines.index < slots, "forward cursor out of range");
    pass.from = firstIndex;
    pass.to = lines.index;
    const LineEntry& end = table.entries()[lines.index];
    Check(end.length == -1, "forward passes end on the end entry");
    pass.endOffset = end.offset;
    pass.exhausted = lines.index >= slots - 1 || capacity - text.end < longest;
    Check(table.Untouched(0, firstIndex) && table.Untouched(lines.index + 1, slots),
          "slot outside the pass written");
  } else {
    Check(lines.index >= 0 && lines.index <= firstIndex, "backward cursor out of range");
    pass.from = lines.index;
    pass.to = firstIndex;
    Check(table.Untouched(0, lines.index) && table.Untouched(firstIndex, slots),
          "slot outside the pass written");
  }
  for (int32_t i = pass.from; i < pass.to; ++i) {
    const LineEntry& e = table.entries()[i];
    Check(e.length >= 0, "negative line length");
    Check(e.length <= longest, "line longer than the line length");
    Check(static_cast<int64_t>(e.text) + e.length <= text.end, "line text beyond the text used");
  }
  return pass;
}

// Backward from the end of the block makes the lines a forward pass over the
// whole block makes, given slots and text enough for all of them.
void CheckDirectionsAgree(const unsigned char* data, int64_t n, const FormatParams& params) {
  const int32_t longest = params.lineLength < 1 ? 1 : params.lineLength;
  int64_t slots = n + 64;
  int64_t capacity = 2 * n + 2 * static_cast<int64_t>(longest) + 64;
  for (;;) {
    if (slots > (1 << 26) || capacity > (1 << 30)) return;  // beyond what a block can need
    Pass fwd = Run(Block{data, n, 0}, 0, Direction::kForward, params, static_cast<int32_t>(slots),
                   0, static_cast<int32_t>(capacity));
    if (fwd.exhausted) {
      slots *= 2;
      capacity *= 2;
      continue;
    }
    Check(fwd.endOffset == n, "a forward pass with room for all ends at the block end");
    const int32_t backSlots = fwd.size() + 1;
    const Pass back = Run(Block{data, n, n}, n, Direction::kBackward, params, backSlots, backSlots,
                          static_cast<int32_t>(capacity));
    Check(back.size() == fwd.size(), "backward made a different number of lines");
    Check(SameLines(back, fwd), "backward lines differ from forward lines");
    Check(back.status == fwd.status, "the directions disagree on the status");
    return;
  }
}

}  // namespace
}  // namespace zorvo

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zorvo;
  Reader in{data, size};
  const uint8_t bits = in.Byte();
  const uint8_t choice = in.Byte();
  const uint8_t lengthLow = in.Byte();
  const uint8_t lengthHigh = in.Byte();
  const uint8_t tab = in.Byte();
  const uint8_t slotByte = in.Byte();
  const uint8_t capacityByte = in.Byte();
  const uint8_t startLow = in.Byte();
  const uint8_t startHigh = in.Byte();
  const uint8_t cursorByte = in.Byte();

  static const SkipCounts asa = AsaLikeCounts();
  SkipCounts scrambled = ScrambledCounts(tab);
  FormatParams params;
  for (int k = 0; k < 8; ++k) {
    if (bits & (1u << k)) params.options |= kOptionBits[k];
  }
  if (choice & 0x01) params.options |= 0x40;  // ASCII
  if (choice & 0x02) params.options |= 0x80;  // EBCDIC
  switch ((choice >> 2) & 3) {
    case 0:
      params.skipCounts = nullptr;
      break;
    case 1:
      params.skipCounts = &PlainSkipCounts();
      break;
    case 2:
      params.skipCounts = &asa;
      break;
    default:
      params.skipCounts = &scrambled;
      break;
  }
  params.lineLength = (lengthLow | lengthHigh << 8) % 300 + 1;
  params.tabLength = tab;  // 0 and values past the line length included

  const Direction dir = (choice & 0x10) ? Direction::kBackward : Direction::kForward;
  const int32_t slots = (choice & 0x20) ? kScreenLines : 1 + slotByte % 32;
  const int32_t capacity = (choice & 0x40) ? kScreenText : capacityByte;
  // Past 0x7FFFFFFF offsets change nothing for text, but the arithmetic must hold.
  const int64_t base = (choice & 0x80) ? 0x7FFFFFF0LL + slotByte : 0;

  const auto* block = reinterpret_cast<const unsigned char*>(in.data);
  const auto n = static_cast<int64_t>(in.size);
  const int64_t start = (startLow | startHigh << 8) % (n + 1);
  const int32_t firstIndex =
      dir == Direction::kForward ? cursorByte % slots : slots - cursorByte % (slots + 1);
  const Block cut{block, n, start};
  const Pass best = Run(cut, base + start, dir, params, slots, firstIndex, capacity);
  // The plain way of copying, a byte at a time, makes the very same lines.
  detail::SetScanPath(detail::ScanPath::kPlain);
  const Pass plain = Run(cut, base + start, dir, params, slots, firstIndex, capacity);
  detail::SetScanPath(detail::ScanPath::kBest);
  Check(SameLines(best, plain) && best.status == plain.status && best.endOffset == plain.endOffset,
        "the plain way made other lines");

  CheckDirectionsAgree(block, n, params);
  return 0;
}
