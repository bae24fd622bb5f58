// The three formatters: line ends, wrapping and truncation, tabs, page
// breaks, carriage control, the hex layout, backward alignment, a full text
// buffer, and agreement between the two directions.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "viewer/file/formatter.h"

#ifndef _WIN32
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace zorvo {
namespace {

struct Line {
  int64_t offset;
  uint32_t flags;
  std::string text;
  bool operator==(const Line&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Line& line) {
  return os << "{" << line.offset << ", 0x" << std::hex << line.flags << std::dec << ", \""
            << line.text << "\"}";
}

struct Result {
  std::vector<Line> lines;
  unsigned status = 0;
  int64_t endOffset = -1;  // forward only
  int32_t textUsed = 0;
};

struct Pass {
  int format = kFormatText;
  FormatParams params;
  int32_t slots = 1 << 16;  // forward passes
  int32_t backSlots = 1 << 16;
  int32_t textCapacity = 1 << 22;

  Result Forward(const std::string& bytes, int64_t start = 0, int64_t fileOffset = 0) const {
    return Go(bytes, start, fileOffset, Direction::kForward);
  }
  Result Backward(const std::string& bytes, int64_t start, int64_t fileOffset) const {
    return Go(bytes, start, fileOffset, Direction::kBackward);
  }
  Result Go(const std::string& bytes, int64_t start, int64_t fileOffset, Direction dir) const {
    const int32_t count = dir == Direction::kForward ? slots : backSlots;
    LineTable table(count, textCapacity);
    Block block{reinterpret_cast<const unsigned char*>(bytes.data()),
                static_cast<int64_t>(bytes.size()), start};
    LineCursor lines{table.entries(), table.Acnt, dir == Direction::kForward ? 0 : count};
    TextCursor text{table.chars(), table.Tlen, 0};
    Result r;
    r.status = FormatterFor(format)(block, lines, text, fileOffset, dir, params);
    const int32_t from = dir == Direction::kForward ? 0 : lines.index;
    const int32_t to = dir == Direction::kForward ? lines.index : count;
    for (int32_t i = from; i < to; ++i) {
      const LineEntry& e = table[i];
      EXPECT_GE(e.length, 0);
      EXPECT_LE(static_cast<int64_t>(e.text) + e.length, text.end);
      r.lines.push_back({e.offset, e.flags, std::string(table.TextOf(i), e.length)});
    }
    if (dir == Direction::kForward && !(r.status & kStatusFailed)) {
      EXPECT_EQ(table[lines.index].length, -1) << "forward passes end on the end entry";
      r.endOffset = table[lines.index].offset;
    }
    r.textUsed = text.end;
    return r;
  }
};

std::vector<std::string> Texts(const Result& r) {
  std::vector<std::string> out;
  for (const Line& l : r.lines) out.push_back(l.text);
  return out;
}

using Texts_ = std::vector<std::string>;

Pass FormatPass(int format, int32_t length) {
  Pass pass;
  pass.format = format;
  pass.params.lineLength = length;
  return pass;
}

Pass TextPass(uint32_t options = 0, int32_t length = 4096) {
  Pass run;
  run.params.options = options;
  run.params.lineLength = length;
  return run;
}

// ---------------------------------------------------------------- Text ----

TEST(TextFormatter, EachLineEndEndsOneLine) {
  const Pass run = TextPass();
  for (const char* sep : {"\r\n", "\n\r", "\r", "\n"}) {
    const std::string file = std::string("ab") + sep + "cd" + sep;
    const Result r = run.Forward(file);
    EXPECT_EQ(Texts(r), (Texts_{"ab", "cd"})) << "separator " << testing::PrintToString(sep);
    EXPECT_EQ(r.lines[1].offset, static_cast<int64_t>(2 + std::string(sep).size()));
    EXPECT_EQ(r.endOffset, static_cast<int64_t>(file.size()));
    EXPECT_EQ(r.status, 0u);
  }
  // CR CR ends two lines, the second empty; so do LF LF and CR LF LF.
  EXPECT_EQ(Texts(run.Forward("a\r\rb\n")), (Texts_{"a", "", "b"}));
  EXPECT_EQ(Texts(run.Forward("a\n\nb\n")), (Texts_{"a", "", "b"}));
  EXPECT_EQ(Texts(run.Forward("a\r\n\nb\n")), (Texts_{"a", "", "b"}));
  // LF CR pairs even after a CR LF: "a" CRLF, then an empty line ended by LF CR.
  const Result mixed = run.Forward("a\r\n\n\rb");
  EXPECT_EQ(Texts(mixed), (Texts_{"a", "", "b"}));
  EXPECT_EQ(mixed.lines[2].offset, 5);
}

TEST(TextFormatter, CtrlZAfterTheLastLineEndMakesNoLine) {
  const Pass run = TextPass();
  const Result r = run.Forward("one\r\ntwo\r\n\x1a");
  EXPECT_EQ(Texts(r), (Texts_{"one", "two"}));
  EXPECT_EQ(r.endOffset, 11);
  // Not after a line end, or not the last byte: an ordinary byte.
  EXPECT_EQ(Texts(run.Forward("x\x1a")), (Texts_{"x\xB7"}));
  EXPECT_EQ(Texts(run.Forward("x\n\x1a\x1a")), (Texts_{"x", "\xB7\xB7"}));
  // Backward steps over it the same way.
  const std::string file = "one\r\ntwo\r\n\x1a";
  EXPECT_EQ(run.Backward(file, file.size(), file.size()).lines, r.lines);
  // A pass that starts at it, the line end having been in the block before.
  const Result after = run.Forward(file, 10, 10);
  EXPECT_TRUE(after.lines.empty());
  EXPECT_EQ(after.endOffset, 11);
}

TEST(TextFormatter, MissingFinalLineEndIsIncomplete) {
  const Pass run = TextPass();
  const Result r = run.Forward("done\npartial");
  ASSERT_EQ(r.lines.size(), 2u);
  EXPECT_EQ(r.lines[0].flags, 0u);
  EXPECT_EQ(r.lines[1].flags, static_cast<uint32_t>(kIncomplete));
  EXPECT_EQ(r.status, static_cast<unsigned>(kStatusIncomplete));
  EXPECT_EQ(r.endOffset, 12);
  const Result back = run.Backward("done\npartial", 12, 12);
  EXPECT_EQ(back.lines, r.lines);
  EXPECT_EQ(back.status, static_cast<unsigned>(kStatusIncomplete));
}

TEST(TextFormatter, WrapAndTruncation) {
  // A line of exactly the line length followed by CR LF is one line.
  EXPECT_EQ(Texts(TextPass(kOptWrap, 10).Forward("0123456789\r\nx\n")),
            (Texts_{"0123456789", "x"}));
  // Longer lines continue on the next display line at the next byte's offset.
  const Result wrapped = TextPass(kOptWrap, 4).Forward("abcdefghij\n");
  EXPECT_EQ(Texts(wrapped), (Texts_{"abcd", "efgh", "ij"}));
  EXPECT_EQ(wrapped.lines[2].offset, 8);
  EXPECT_EQ(wrapped.status, 0u);

  // Without wrap a 5000-character line shows 4096 characters and is marked;
  // the next line starts after its line end.
  const std::string longLine(5000, 'x');
  const Result cut = TextPass(0, 4096).Forward(longLine + "\r\nnext\r\n");
  ASSERT_EQ(cut.lines.size(), 2u);
  EXPECT_EQ(cut.lines[0].text, std::string(4096, 'x'));
  EXPECT_EQ(cut.lines[0].flags, static_cast<uint32_t>(kTruncated));
  EXPECT_EQ(cut.lines[1], (Line{5002, 0, "next"}));
  EXPECT_EQ(cut.status, static_cast<unsigned>(kStatusTruncated));

  // A truncated line that the data ends inside is full, so not incomplete.
  const Result tail = TextPass(0, 4).Forward("abcdefg");
  EXPECT_EQ(tail.lines[0].flags, static_cast<uint32_t>(kTruncated));
  EXPECT_EQ(tail.endOffset, 7);
}

TEST(TextFormatter, TabExpansion) {
  Pass run = TextPass(kOptExpandTabs, 12);
  // A tab at column 5 with tab length 8 fills columns 5-7.
  EXPECT_EQ(Texts(run.Forward("12345\tX\n")), (Texts_{"12345   X"}));
  // Near the line length the fill stops at the line length.
  EXPECT_EQ(Texts(run.Forward("1234567890\tX\n")), (Texts_{"1234567890  "}));
  EXPECT_EQ(run.Forward("1234567890\tX\n").lines[0].flags, static_cast<uint32_t>(kTruncated));
  run.params.tabLength = 3;
  EXPECT_EQ(Texts(run.Forward("a\tb\t\tc\n")), (Texts_{"a  b     c"}));
  // Without expansion a tab is a character of its own.
  EXPECT_EQ(Texts(TextPass().Forward("a\tb\n")), (Texts_{"a\xA4" "b"}));
  // With wrap, a tab that no longer fits starts the next line.
  Pass wrap = TextPass(kOptExpandTabs | kOptWrap, 8);
  EXPECT_EQ(Texts(wrap.Forward("abcdefgh\tZ\n")), (Texts_{"abcdefgh", "        ", "Z"}));
}

TEST(TextFormatter, FormFeedStartsAPage) {
  const std::string file = "one\n\ftwo\nx\fy\n";
  // Without the option the form feed is a character.
  EXPECT_EQ(Texts(TextPass().Forward(file)), (Texts_{"one", "\xF0two", "x\xF0y"}));
  const Result pages = TextPass(kOptFormFeedPage).Forward(file);
  EXPECT_EQ(pages.lines, (std::vector<Line>{{0, 0, "one"}, {4, kPageBreak, "two"},
                                            {9, 0, "x\xF0y"}}));
  // With page gaps the page break is an empty gap line and the text follows.
  const Result gaps = TextPass(kOptFormFeedPage | kOptPageGaps).Forward(file);
  EXPECT_EQ(gaps.lines, (std::vector<Line>{{0, 0, "one"}, {4, kPageGap, ""}, {5, 0, "two"},
                                           {9, 0, "x\xF0y"}}));
  EXPECT_EQ(TextPass(kOptFormFeedPage | kOptPageGaps).Backward(file, file.size(), file.size()).lines,
            gaps.lines);
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

TEST(TextFormatter, CarriageControlSpacingAndPages) {
  static const SkipCounts counts = AsaLikeCounts();
  Pass run = TextPass(kOptCarriageControl);
  run.params.skipCounts = &counts;
  const std::string file = "1first\n second\n0third\n-fourth\n+fifth\n";
  const Result r = run.Forward(file);
  EXPECT_EQ(r.lines, (std::vector<Line>{
                         {0, kPageBreak, "first"},
                         {7, 0, "second"},
                         {15, 0, ""},        // '0': one spacing line
                         {17, 0, "third"},   // offsets count up past the control byte
                         {22, 0, ""},        // '-': two spacing lines
                         {24, 0, ""},
                         {25, 0, "fourth"},
                         {30, 0, "fifth"},   // '+': a line of its own
                     }));
  EXPECT_EQ(run.Backward(file, file.size(), file.size()).lines, r.lines);

  // An empty line has no control byte: it stays one empty line.
  EXPECT_EQ(Texts(run.Forward(" a\n\n b\n")), (Texts_{"a", "", "b"}));

  // With page gaps a new page is an empty gap line and the rest of the input
  // line is its text, in both directions.
  run.params.options |= kOptPageGaps;
  const std::string page = " x\n1y1\n";
  const Result gap = run.Forward(page);
  EXPECT_EQ(gap.lines, (std::vector<Line>{{0, 0, "x"}, {3, kPageGap, ""}, {4, 0, "y1"}}));
  EXPECT_EQ(run.Backward(page, page.size(), page.size()).lines, gap.lines);
}

TEST(TextFormatter, TextBufferFillsForward) {
  Pass run = TextPass();
  run.textCapacity = 10;
  const Result r = run.Forward("abcd\nefgh\nijkl\n");
  ASSERT_EQ(r.lines.size(), 3u);
  EXPECT_EQ(r.lines[2], (Line{10, kIncomplete, "ij"}));
  EXPECT_EQ(r.status, static_cast<unsigned>(kStatusIncomplete));
  EXPECT_EQ(r.endOffset, 12) << "the next pass starts at the first byte not shown";
}

TEST(TextFormatter, TextBufferFillsBackward) {
  Pass run = TextPass();
  run.textCapacity = 10;
  const std::string file = "abcd\nefgh\nijkl\n";
  const Result r = run.Backward(file, file.size(), file.size());
  ASSERT_EQ(r.lines.size(), 3u);
  EXPECT_EQ(r.lines[0], (Line{0, kIncomplete, "ab"})) << "flags are exactly 0x200";
  EXPECT_EQ(r.lines[1], (Line{5, 0, "efgh"}));
  EXPECT_EQ(r.lines[2], (Line{10, 0, "ijkl"}));
}

TEST(TextFormatter, SlotsLimitBothDirections) {
  Pass run = TextPass(kOptWrap, 2);
  run.slots = 4;
  run.backSlots = 3;
  const std::string file = "aabbcc\ndd\n";
  const Result fwd = run.Forward(file);
  EXPECT_EQ(Texts(fwd), (Texts_{"aa", "bb", "cc"})) << "one slot stays for the end entry";
  EXPECT_EQ(fwd.endOffset, 7);
  // Backward uses every slot below its cursor and keeps the display lines
  // nearest the start position.
  const Result back = run.Backward(file, file.size(), file.size());
  EXPECT_EQ(Texts(back), (Texts_{"bb", "cc", "dd"}));
  EXPECT_EQ(back.lines[0].offset, 2);
}

TEST(TextFormatter, BackwardFromTheStartOfTheFileMakesNothing) {
  EXPECT_TRUE(TextPass().Backward("abc\n", 0, 0).lines.empty());
  EXPECT_TRUE(FormatPass(kFormatHex, 80).Backward("abc\n", 0, 0).lines.empty());
  EXPECT_TRUE(FormatPass(kFormatRaw, 16).Backward("abc\n", 0, 0).lines.empty());
}

// ----------------------------------------------------------------- Hex ----

TEST(HexFormatter, LayoutAtLineLength80) {
  Pass run{kFormatHex, {0, 80}};
  std::string file;
  for (int i = 0; i < 20; ++i) file.push_back(static_cast<char>('A' + i));
  const Result r = run.Forward(file);
  ASSERT_EQ(r.lines.size(), 2u);
  EXPECT_EQ(r.lines[0].text,
            "00000000  41424344 45464748 494A4B4C 4D4E4F50  ABCDEFGHIJKLMNOP");
  EXPECT_EQ(r.lines[0].text.size(), 63u);
  // The last line leaves the missing bytes blank and its character column is shorter.
  EXPECT_EQ(r.lines[1].text, "00000010  51525354                             QRST");
  EXPECT_EQ(r.lines[1].offset, 16);
  EXPECT_EQ(r.endOffset, 20);
}

TEST(HexFormatter, GroupsFollowTheWidth) {
  const std::string file(64, '\0');
  // 10 address columns; 13 columns per group of four bytes.
  for (auto [length, perLine] : std::vector<std::pair<int, size_t>>{
           {24, 4}, {36, 4}, {37, 8}, {62, 8}, {63, 16}, {114, 16}, {115, 32}, {219, 64}}) {
    const Result r = FormatPass(kFormatHex, length).Forward(file);
    EXPECT_EQ(r.lines.size(), 64 / perLine) << "line length " << length;
  }
  // Past 0x7FFFFFFF the address takes 10 digits.
  const Result big = FormatPass(kFormatHex, 80).Forward(file, 0, 0x80000000LL);
  EXPECT_EQ(big.lines[0].text.substr(0, 12), "0080000000  ");
}

TEST(HexFormatter, TooShortForOneGroup) {
  EXPECT_EQ(FormatPass(kFormatHex, 23).Forward("abc").status, 0x110u);
  EXPECT_EQ(FormatPass(kFormatHex, 24).Forward("abc").status, 0u);
}

TEST(HexFormatter, BackwardLinesBeforeTheStartOfTheFile) {
  Pass run{kFormatHex, {0, 80}};
  const std::string file = "0123456789";
  const Result r = run.Backward(file, 10, 10);
  ASSERT_EQ(r.lines.size(), 1u);
  EXPECT_EQ(r.lines[0].offset, 0);
  EXPECT_EQ(r.lines[0].text,
            "FFFFFFFA               3031 32333435 36373839        0123456789");
  // From a line boundary, backward lines are the forward ones.
  const std::string more(100, 'z');
  EXPECT_EQ(run.Backward(more, 96, 96).lines, run.Forward(more.substr(0, 96)).lines);
}

// ----------------------------------------------------------------- Raw ----

TEST(RawFormatter, FixedLengthLinesIgnoreLineEnds) {
  Pass run{kFormatRaw, {0, 4}};
  const Result r = run.Forward("ab\r\ncd\tef");
  EXPECT_EQ(r.lines, (std::vector<Line>{{0, 0, "ab\xB7\xB7"}, {4, 0, "cd\xA4" "e"}, {8, 0, "f"}}));
}

TEST(RawFormatter, BackwardKeepsTheAlignmentOfTheStart) {
  Pass run{kFormatRaw, {0, 16}};
  const std::string file = "0123456789abcdefghijklmnopqrstuvwxyz";
  const Result r = run.Backward(file, 10, 10);
  ASSERT_EQ(r.lines.size(), 1u);
  EXPECT_EQ(r.lines[0], (Line{0, 0, "      0123456789"}));
  const Result two = run.Backward(file, 26, 26);
  EXPECT_EQ(two.lines, (std::vector<Line>{{0, 0, "      0123456789"}, {10, 0, "abcdefghijklmnop"}}));
}

TEST(RawFormatter, BackwardStopsAtTheBlockStartInsideTheFile) {
  // The block holds file offsets 100-135: lines before it are not made.
  Pass run{kFormatRaw, {0, 16}};
  const std::string block(36, 'q');
  const Result r = run.Backward(block, 36, 136);
  EXPECT_EQ(r.lines.size(), 2u);
  EXPECT_EQ(r.lines[0].offset, 104);
}

// ---------------------------------------------------- both directions ----

// The line starts a forward pass over `file` sees, by a plain reading of the
// rules: CR LF and LF CR pair, other line-end bytes stand alone.
std::vector<int64_t> InputLineStarts(const std::string& file) {
  std::vector<int64_t> starts{0};
  const auto isEnd = [](char c) { return c == '\n' || c == '\r'; };
  size_t i = 0;
  while (i < file.size()) {
    if (!isEnd(file[i])) {
      ++i;
      continue;
    }
    size_t next = i + 1;
    if (next < file.size() && isEnd(file[next]) && file[next] != file[i]) ++next;
    if (next == file.size() - 1 && file[next] == '\x1a') ++next;
    starts.push_back(static_cast<int64_t>(next));
    i = next;
  }
  if (starts.back() != static_cast<int64_t>(file.size())) starts.push_back(file.size());
  return starts;
}

// Lines assembled backward from `start` are the last lines a forward pass
// from the start of the file makes up to `start`.
void ExpectDirectionsAgree(const Pass& run, const std::string& file, int64_t start,
                           const std::string& what) {
  const Result fwd = run.Forward(file.substr(0, start));
  const Result back = run.Backward(file, start, start);
  const size_t n = back.lines.size();
  ASSERT_LE(n, fwd.lines.size()) << what;
  const std::vector<Line> tail(fwd.lines.end() - n, fwd.lines.end());
  ASSERT_EQ(back.lines, tail) << what << " from " << start;
  if (run.backSlots > static_cast<int32_t>(fwd.lines.size())) {
    ASSERT_EQ(n, fwd.lines.size()) << what << ": backward stopped early from " << start;
  }
}

TEST(Formatters, DirectionsAgreeOnRandomFiles) {
  std::mt19937 rng(20261207);
  static const SkipCounts counts = AsaLikeCounts();
  const std::string alphabet = "ab \t\r\n\r\n\f\x1a" "01+-";
  for (int round = 0; round < 3000; ++round) {
    std::string file(rng() % 120, '\0');
    for (char& c : file) c = alphabet[rng() % alphabet.size()];
    Pass run;
    run.format = static_cast<int>(rng() % 3);
    run.params.lineLength = 1 + static_cast<int32_t>(rng() % 24);
    run.params.tabLength = 1 + static_cast<int32_t>(rng() % 9);
    const uint32_t bits[] = {kOptWrap, kOptExpandTabs, kOptFormFeedPage, kOptPageGaps,
                             kOptCarriageControl, 0x40, 0x80};
    for (uint32_t bit : bits) {
      if (rng() % 2) run.params.options |= bit;
    }
    if (rng() % 2) run.params.skipCounts = &counts;
    run.slots = 1 << 11;  // small files: small tables keep the rounds quick
    run.textCapacity = 1 << 14;
    run.backSlots = rng() % 4 == 0 ? 1 + static_cast<int32_t>(rng() % 6) : 1 << 11;
    const std::string what = "round " + std::to_string(round);
    if (run.format == kFormatText) {
      for (int64_t start : InputLineStarts(file)) ExpectDirectionsAgree(run, file, start, what);
    } else {
      run.params.lineLength += run.format == kFormatHex ? 14 : 0;
      const Result fwd = run.Forward(file);
      if (fwd.lines.size() < 2) continue;
      // Backward from the start of any full line before the last one.
      for (size_t k = 0; k + 1 < fwd.lines.size(); ++k) {
        ExpectDirectionsAgree(run, file, fwd.lines[k + 1].offset, what);
      }
    }
    if (HasFatalFailure()) return;
  }
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(Formatters, RealFilesInEveryFormatAndCode) {
  static const SkipCounts counts = AsaLikeCounts();
  int files = 0;
  for (const auto& entry :
       std::filesystem::recursive_directory_iterator(std::filesystem::path(ZORVO_TEST_DATA))) {
    if (!entry.is_regular_file() || entry.path().extension() == ".md") continue;
    const std::string file = ReadFile(entry.path());
    ++files;
    for (int format = 0; format < 3; ++format) {
      for (uint32_t options : {0u, 0x80u | kOptWrap, kOptFormFeedPage | kOptPageGaps | kOptExpandTabs,
                               kOptCarriageControl | kOptFormFeedPage}) {
        Pass run;
        run.format = format;
        run.params.options = options;
        run.params.lineLength = 80;
        run.params.skipCounts = &counts;
        const Result fwd = run.Forward(file);
        ASSERT_EQ(fwd.status & kStatusFailed, 0u);
        ASSERT_EQ(fwd.endOffset, static_cast<int64_t>(file.size())) << entry.path();
        // Hex and raw lines align on the start position: go back from the
        // start of the last line, which the forward lines share.
        const int64_t start = format == kFormatText ? static_cast<int64_t>(file.size())
                                                    : fwd.lines.back().offset;
        ExpectDirectionsAgree(run, file, start, entry.path().string());
      }
    }
  }
  EXPECT_GE(files, 20);
}

#ifndef _WIN32
// With tabs expanded, finding where a display line ends looks for a tab on
// that display line only, not to the end of its input line: a long line
// without tabs costs its length, not its length squared. Here the bytes
// past the line cannot even be read (a page that is not readable follows).
TEST(TextDisplayLines, MeasuringALineReadsOnlyThatLine) {
  const auto page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  auto* d = static_cast<unsigned char*>(
      mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
  ASSERT_NE(d, MAP_FAILED);
  mprotect(d + page, page, PROT_NONE);
  std::fill(d, d + page, 'a');
  d[170] = '\t';  // at column 10 of the third display line, which ends 5 bytes sooner
  const int64_t lineEnd = int64_t{1} << 40;
  FormatParams params;
  params.options = kOptWrap | kOptExpandTabs;
  params.lineLength = 80;
  const Block block{d, lineEnd, 0};
  bool more = true;
  for (auto [target, start] : {std::pair{100, 80}, {240, 235}, {1000, 955}}) {
    EXPECT_EQ(
        TextDisplayLineStart(block, 0, BlockEdge::kLineStart, target, lineEnd, true, params, more),
        start);
    EXPECT_FALSE(more);
  }
  munmap(d, 2 * page);
}
#endif

}  // namespace
}  // namespace zorvo
