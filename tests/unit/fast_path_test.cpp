// The formatters copy and scan many bytes at a time in the ways the processor
// has; each way must make exactly the lines of the plain way, which takes
// every byte through the code table. Random blocks, every option set, the
// three character codes, carriage control, and tiny tables and text buffers
// that fill inside a block of bytes.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "viewer/file/carriage_control.h"
#include "viewer/file/display_copy.h"
#include "viewer/file/formatter.h"
#include "viewer/file/line_table.h"

namespace zorvo {
namespace {

using detail::ScanPath;

std::vector<ScanPath> FastPaths() {
  std::vector<ScanPath> paths;
  for (ScanPath path : {ScanPath::kSse2, ScanPath::kAvx2}) {
    if (detail::SetScanPath(path)) paths.push_back(path);
  }
  detail::SetScanPath(ScanPath::kBest);
  return paths;
}

const uint32_t kCodes[] = {0, kOptAscii, kOptEbcdic};

// Long runs of plain text (so that whole vectors are copied) broken by line
// ends, tabs, form feeds, other control bytes and bytes above 127.
std::string RandomBytes(std::mt19937& random) {
  std::string bytes;
  const int pieces = static_cast<int>(random() % 40);
  for (int p = 0; p < pieces; ++p) {
    const int run =
        random() % 4 == 0 ? static_cast<int>(random() % 300) : static_cast<int>(random() % 40);
    for (int k = 0; k < run; ++k) bytes += static_cast<char>(' ' + random() % 95);
    switch (random() % 8) {
      case 0:
        bytes += "\r\n";
        break;
      case 1:
        bytes += '\n';
        break;
      case 2:
        bytes += '\r';
        break;
      case 3:
        bytes += '\t';
        break;
      case 4:
        bytes += '\f';
        break;
      default:
        bytes += static_cast<char>(random() % 256);
        break;
    }
  }
  return bytes;
}

struct Outcome {
  unsigned status;
  int32_t index;
  int32_t textEnd;
  std::vector<LineEntry> entries;
  std::vector<std::string> texts;
};

Outcome Format(int format, const std::string& bytes, int64_t start, bool atFileEnd, Direction dir,
               const FormatParams& params, int32_t slots, int32_t capacity) {
  LineTable table(slots, capacity + 64);
  LineCursor lines{table.entries(), slots, dir == Direction::kForward ? 0 : slots};
  TextCursor text{table.chars(), capacity, 0};
  const Block block{reinterpret_cast<const unsigned char*>(bytes.data()),
                    static_cast<int64_t>(bytes.size()), start, atFileEnd};
  Outcome out;
  out.status = FormatterFor(format)(block, lines, text, start, dir, params);
  out.index = lines.index;
  out.textEnd = text.end;
  const int32_t from = dir == Direction::kForward ? 0 : lines.index;
  const int32_t to = dir == Direction::kForward ? std::min(lines.index + 1, slots) : slots;
  for (int32_t i = from; i < to; ++i) {
    out.entries.push_back(table[i]);
    if (table[i].length > 0) out.texts.emplace_back(table.TextOf(i), table[i].length);
  }
  return out;
}

void ExpectSame(const Outcome& plain, const Outcome& fast, const std::string& what) {
  ASSERT_EQ(plain.status, fast.status) << what;
  ASSERT_EQ(plain.index, fast.index) << what;
  ASSERT_EQ(plain.textEnd, fast.textEnd) << what;
  ASSERT_EQ(plain.entries.size(), fast.entries.size()) << what;
  for (size_t k = 0; k < plain.entries.size(); ++k) {
    const LineEntry& a = plain.entries[k];
    const LineEntry& b = fast.entries[k];
    ASSERT_TRUE(a.offset == b.offset && a.text == b.text && a.length == b.length &&
                a.flags == b.flags)
        << what << " entry " << k;
  }
  ASSERT_EQ(plain.texts, fast.texts) << what;
}

TEST(FastPathTest, EveryWayOfCopyingMatchesThePlainOne) {
  const std::vector<ScanPath> paths = FastPaths();
  if (paths.empty()) GTEST_SKIP() << "the processor has only the plain way";
  std::mt19937 random(2026);
  for (int round = 0; round < 3000; ++round) {
    const std::string bytes = RandomBytes(random);
    const int format = static_cast<int>(random() % 3);
    FormatParams params;
    params.options = kCodes[random() % 3] | (random() % 2 ? uint32_t{kOptFormFeedChar} : 0u);
    for (uint32_t bit : {kOptWrap, kOptExpandTabs, kOptFormFeedPage, kOptPageGaps}) {
      if (random() % 2) params.options |= bit;
    }
    if (random() % 3 == 0) {
      params.options |= kOptCarriageControl | kOptCcAsa;
      params.skipCounts = &AsaSkipCounts();
    }
    params.lineLength = format == kFormatHex ? 14 + static_cast<int>(random() % 300)
                                             : 1 + static_cast<int>(random() % 400);
    params.tabLength = 1 + static_cast<int>(random() % (random() % 4 ? 12 : 255));
    const bool tiny = random() % 2;
    const int32_t slots = tiny ? 2 + static_cast<int32_t>(random() % 8) : 4096;
    const int32_t capacity = tiny ? static_cast<int32_t>(random() % 200) : 1 << 16;
    const auto n = static_cast<int64_t>(bytes.size());
    const Direction dir = random() % 2 ? Direction::kForward : Direction::kBackward;
    const int64_t start = dir == Direction::kForward ? (n ? random() % n : 0) : n;
    const bool atFileEnd = random() % 4 != 0;

    detail::SetScanPath(ScanPath::kPlain);
    const Outcome plain = Format(format, bytes, start, atFileEnd, dir, params, slots, capacity);
    for (ScanPath path : paths) {
      detail::SetScanPath(path);
      ExpectSame(
          plain, Format(format, bytes, start, atFileEnd, dir, params, slots, capacity),
          "round " + std::to_string(round) + " way " + std::to_string(static_cast<int>(path)));
    }
    detail::SetScanPath(ScanPath::kBest);
    if (HasFatalFailure()) return;
  }
}

// The copy kernels alone, at every length and alignment around their widths,
// with a tab at every place: the bytes up to the first tab are the table's.
TEST(FastPathTest, CopiesEveryLengthAndTabPlace) {
  const std::vector<ScanPath> paths = FastPaths();
  std::mt19937 random(7);
  std::string src(160, ' ');
  for (char& c : src) c = static_cast<char>(random() % 256 == 0 ? '\t' : ' ' + random() % 160);
  for (uint32_t code : kCodes) {
    const CodeTable table = CodeTableFor(code);
    for (ScanPath path : paths) {
      const DisplayCopy copy(table, path);
      for (int from = 0; from < 8; ++from) {
        for (int n = 0; n + from <= 150; ++n) {
          const auto* s = reinterpret_cast<const unsigned char*>(src.data()) + from;
          std::string want(n, '\0'), got(n + 1, '#');
          for (int k = 0; k < n; ++k) want[k] = static_cast<char>(table[s[k]]);
          copy.Copy(s, n, got.data());
          ASSERT_EQ(got.substr(0, n), want) << code << " " << from << " " << n;
          ASSERT_EQ(got[n], '#') << "written past the end";
          std::string tabbed(s, s + n);
          const int tabAt = n ? static_cast<int>(random() % n) : 0;
          if (n) tabbed[tabAt] = '\t';
          const auto* t = reinterpret_cast<const unsigned char*>(tabbed.data());
          const int64_t first = static_cast<int64_t>(tabbed.find('\t'));
          got.assign(n + 1, '#');
          ASSERT_EQ(copy.CopyToTab(t, n, got.data()), n ? first : 0);
          for (int64_t k = 0; k < (n ? first : 0); ++k) {
            ASSERT_EQ(got[k], static_cast<char>(table[t[k]])) << code << " " << n << " " << k;
          }
          ASSERT_EQ(got[n], '#') << "written past the end";
        }
      }
    }
  }
}

// The kernels that copy a line up to its end, with and without tabs, against
// the plain way: every place of the line end, tabs at random, rooms and
// readable lengths that cut the line anywhere. Either a kernel gives up (-1)
// or it gives the plain way's line end, columns and characters.
TEST(FastPathTest, CopiesLinesUpToTheirEnds) {
  std::mt19937 random(11);
  for (ScanPath path : FastPaths()) {
    for (uint32_t code : {0u, uint32_t{kOptAscii}}) {
      const CodeTable table = CodeTableFor(code);
      const DisplayCopy plain(table, ScanPath::kPlain);
      const DisplayCopy copy(table, path);
      ASSERT_TRUE(copy.CopiesLines());
      int tried = 0, taken = 0;
      for (int round = 0; round < 4000; ++round) {
        std::string line(static_cast<size_t>(random() % 200), ' ');
        for (char& c : line) {
          const unsigned r = random() % 16;
          c = static_cast<char>(r == 0 ? '\t' : r == 1 ? random() % 32 : ' ' + random() % 224);
          if (c == '\n' || c == '\r') c = 'x';
        }
        const int64_t end = static_cast<int64_t>(line.size());
        line += random() % 2 ? '\n' : '\r';
        line.append(static_cast<size_t>(random() % 80), '\n');
        const auto* src = reinterpret_cast<const unsigned char*>(line.data());
        const int64_t avail = 1 + static_cast<int64_t>(random() % line.size());
        const auto room = static_cast<int32_t>(random() % 260);
        const int32_t writable = room + static_cast<int32_t>(random() % 70);
        auto lineLength = static_cast<int32_t>(1 + random() % 250);
        const auto tabLength = static_cast<int32_t>(1 + random() % (random() % 4 ? 12 : 80));
        const size_t tab = line.find('\t');
        if (random() % 3 == 0 && tab != std::string::npos && tab > 0) {
          // The line length ends just before a tab: a full line has no room for it.
          std::string scratch(4096, '\0');
          int64_t consumed = 0;
          lineLength = plain.ExpandTabs(src, static_cast<int64_t>(tab), end, scratch.data(), 4000,
                                        4000, tabLength, 4000, consumed);
        }
        const std::string what =
            std::to_string(static_cast<int>(path)) + " round " + std::to_string(round);
        ++tried;

        // Without tabs expanded: the plain copy of [0, end) when it fits.
        std::string got(static_cast<size_t>(writable) + 1, '#');
        const int64_t e = copy.CopyToLineEnd(src, avail, got.data(), writable, lineLength);
        if (e >= 0) {
          ++taken;
          ASSERT_EQ(e, end) << what;
          std::string want(static_cast<size_t>(end), '\0');
          plain.Copy(src, end, want.data());
          ASSERT_EQ(got.substr(0, static_cast<size_t>(end)), want) << what;
        }
        ASSERT_EQ(got[static_cast<size_t>(writable)], '#') << what << ": written past the end";

        // With tabs expanded, where the processor has the kernel.
        if (!copy.ExpandsLines()) continue;
        const int32_t cut = std::min(room, lineLength);
        got.assign(static_cast<size_t>(writable) + 1, '#');
        int32_t columns = -1;
        int64_t shownTo = -1;
        const int64_t x = copy.ExpandToLineEnd(src, avail, got.data(), cut, writable, tabLength,
                                               lineLength, columns, shownTo);
        std::string want(static_cast<size_t>(std::max(writable, 1)), '\0');
        int64_t consumed = 0;
        const int32_t wantColumns = plain.ExpandTabs(src, end, end, want.data(), cut, writable,
                                                     tabLength, lineLength, consumed);
        if (x >= 0) {
          ASSERT_EQ(x, end) << what;
          ASSERT_EQ(consumed, end) << what << ": the plain way does not fit the line";
          ASSERT_EQ(columns, wantColumns) << what;
          ASSERT_EQ(got.substr(0, columns), want.substr(0, wantColumns)) << what;
        } else if (shownTo >= 0) {
          // Cut short: the columns show the bytes before shownTo, as when
          // the plain way has just the room for them.
          std::string part(static_cast<size_t>(writable) + 1, '\0');
          int64_t partShown = 0;
          const int32_t partColumns = plain.ExpandTabs(src, shownTo, end, part.data(), cut,
                                                       writable, tabLength, lineLength, partShown);
          ASSERT_LT(consumed, end) << what << ": cut although the line fits";
          ASSERT_EQ(partShown, shownTo) << what;
          ASSERT_EQ(partColumns, cut) << what;
          ASSERT_EQ(got.substr(0, cut), part.substr(0, cut)) << what;
        } else if (avail >= end + 64 && writable >= cut + 64) {
          // With room to read and write whole vectors, it gives up only
          // when the line does not fit.
          ASSERT_LT(consumed, end) << what;
        }
        ASSERT_EQ(got[static_cast<size_t>(writable)], '#') << what << ": written past the end";
      }
      EXPECT_GT(taken, tried / 10) << "the kernels gave up nearly always";
    }
  }
}

}  // namespace
}  // namespace zorvo
