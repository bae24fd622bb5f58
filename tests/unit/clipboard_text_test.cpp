// Copy and Copy Tags: the clipboard text is the display lines a single pass
// over the whole file makes, whatever the tables, blocks and buffers the
// copy goes through; the limits and messages of both copies.
#include "viewer/file/clipboard_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "support/memory_file.h"
#include "support/whole_pass.h"

namespace zorvo {
namespace {

std::string Joined(const std::vector<ShownLine>& lines, int64_t from = 0, int64_t end = INT64_MAX) {
  std::string text;
  for (const ShownLine& line : lines) {
    if (line.offset >= from && line.offset < end) text += line.text + "\r\n";
  }
  return text;
}

class CopyText : public testing::Test {
 protected:
  CopySource Source(int format, FormatParams params) {
    file = FileRecord{0, static_cast<int64_t>(memory.bytes.size()), L"memory"};
    return CopySource{file, format, params, notifier, 7, &memory, pieces, clipboard};
  }
  std::string Selection(int format, FormatParams params, int64_t start, int64_t end) {
    std::string text;
    EXPECT_EQ(CopySelectionText(Source(format, params), start, end, text), 1);
    return text;
  }
  // Tags the lines that hold the offsets `tagged` (sorted), or every line.
  int32_t Tagged(int format, FormatParams params, std::vector<int64_t> tagged, std::string& text,
                 bool all = false) {
    auto mark = [&](LineTable& table) {
      for (int32_t i = table.Afirst; i < table.Alast; ++i) {
        table[i].flags &= ~kTagMask;
        const auto at = std::lower_bound(tagged.begin(), tagged.end(), table[i].offset);
        if (all || (at != tagged.end() && *at < table[i + 1].offset)) table[i].flags |= 0x2;
      }
    };
    const auto count = static_cast<uint32_t>(all ? 40000 : tagged.size());
    return CopyTaggedText(Source(format, params), mark, count, text);
  }

  MemoryFile memory;
  FileRecord file;
  RecordingNotifier notifier;
  WalkPieces pieces;
  int32_t clipboard = kClipboardBytes;
};

FormatParams Params(uint32_t options, int32_t length, const SkipCounts* skip = nullptr) {
  FormatParams params;
  params.options = options;
  params.lineLength = length;
  params.skipCounts = skip;
  return params;
}

// Random files and option sets copied through tiny blocks, line tables
// and text buffers (a block ends inside CR LF pairs, wrapped lines and
// carriage-controlled records, a table ends among a record's spacing
// lines): the copy is what one pass over the whole file shows.
TEST_F(CopyText, TheWholeFileIsWhatOnePassShows) {
  std::mt19937 random(5);
  for (int round = 0; round < 300; ++round) {
    const RandomCase c = MakeRandomCase(random);
    SCOPED_TRACE(testing::Message() << "round " << round);
    pieces = WalkPieces{static_cast<uint32_t>(64 + random() % 200), 16, 64};
    memory.bytes = c.bytes;
    const std::vector<ShownLine> whole = WholePass(c.bytes, c.format, c.params);
    ASSERT_EQ(Selection(c.format, c.params, 0, -1), Joined(whole));
    // A selection in the middle: the lines the window shows from the one
    // that holds its start (a whole record with carriage control) to the
    // last that begins before its end; from inside a line without carriage
    // control, and in Hex Dump and Raw Text, what one pass from its start
    // makes.
    // Where a record's spacing rows take offsets beyond the next record's
    // start, the offsets do not tell which row holds a byte.
    bool ordered = true;
    for (size_t i = 1; i < whole.size(); ++i) ordered = ordered && whole[i - 1].offset < whole[i].offset;
    if (!ordered && (c.params.options & kOptCarriageControl)) continue;
    const int64_t from = static_cast<int64_t>(random() % c.bytes.size());
    const int64_t to = from + 1 + static_cast<int64_t>(random() % c.bytes.size());
    std::string expected;
    if (c.format == kFormatText && (c.params.options & kOptCarriageControl)) {
      for (size_t i = 0; i < whole.size(); ++i) {
        const int64_t next = i + 1 < whole.size() ? whole[i + 1].offset : INT64_MAX;
        if (next > from && whole[i].offset < to) expected += whole[i].text + "\r\n";
      }
    } else if (std::any_of(whole.begin(), whole.end(),
                           [&](const ShownLine& l) { return l.offset == from; })) {
      expected = Joined(whole, from, to);
    } else {
      expected = Joined(WholePass(c.bytes, c.format, c.params, from), from, to);
    }
    ASSERT_EQ(Selection(c.format, c.params, from, to), expected);
  }
  EXPECT_TRUE(notifier.shown.empty());
}

// The product's own sizes, on a file larger than its 4 MiB block, with a
// CR LF pair across the block's end.
TEST_F(CopyText, AFileLargerThanTheBlock) {
  std::string split(0x400000 + 5000, 'x');  // lines of 9,000 bytes
  for (size_t at = 8998; at < split.size(); at += 9000) split.replace(at, 2, "\r\n");
  split.replace(0x400000 - 1, 2, "\r\n");
  memory.bytes = split;
  const FormatParams params = Params(0, 8);
  std::string text;
  EXPECT_EQ(Tagged(kFormatText, params, {0x400000 - 1, 0x400000 + 1}, text), 2);
  EXPECT_EQ(text, "xxxxxxxx\r\nxxxxxxxx\r\n");
  EXPECT_EQ(Tagged(kFormatText, params, {}, text, true),
            static_cast<int32_t>(WholePass(split, kFormatText, params).size()));
}

TEST_F(CopyText, ASelectionStartsExactlyWhereItStarts) {
  memory.bytes = "first line\r\nsecond line\r\nthird\r\nx";
  const FormatParams text = Params(kOptFormFeedPage, 80);
  const struct {
    int64_t start, end;
    const char* copied;
  } cases[] = {
      {2, 5, "rst line\r\n"},                     // inside one line: to its end
      {-5, 13, "first line\r\nsecond line\r\n"},  // a negative start is 0
      {12, 12, "second line\r\n"},                // the end is at least start + 1
      {25, -1, "third\r\nx\r\n"},                 // to the end of the file
      {32, 33, "x\r\n"},                          // a one-byte last line
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Selection(kFormatText, text, c.start, c.end), c.copied) << c.start << "-" << c.end;
  }
  // Hex Dump: the whole line, address, hex groups and characters.
  EXPECT_EQ(Selection(kFormatHex, Params(0, 80), 0, 1),
            "00000000  66697273 74206C69 6E650D0A 7365636F  first line\xB7\xB7seco\r\n");
  // A record read with carriage control is copied from its row that holds
  // the start, never from a byte inside it taken for its control byte.
  memory.bytes = "1FIRST\r\n0SECOND\r\n";
  const FormatParams asa = Params(kOptCarriageControl | kOptCcAsa, 80, &AsaSkipCounts());
  EXPECT_EQ(Selection(kFormatText, asa, 10, -1), "SECOND\r\n");
  EXPECT_EQ(Selection(kFormatText, asa, 8, -1), "\r\nSECOND\r\n");
}

// A selection larger than the clipboard: whole lines as far as they fit,
// and the user is told how many of how many were copied.
TEST_F(CopyText, ASelectionBeyondTheClipboardSaysHowMuchWasCopied) {
  memory.bytes.clear();
  for (int i = 0; i < 30000; ++i) memory.bytes += std::string(40, 'a') + "\r\n";
  const std::string text = Selection(kFormatText, Params(0, 80), 0, -1);
  const size_t copied = (kClipboardBytes - 1) / 42;
  EXPECT_EQ(text.size(), copied * 42) << "no line is cut";
  ASSERT_EQ(notifier.shown.size(), 1u);
  EXPECT_EQ(notifier.shown[0].text, L"Selected lines do not fit in the clipboard. \nOnly " +
                                        std::to_wstring(copied) + L" of 30000 lines copied.");
  EXPECT_EQ(notifier.shown[0].style, kIconExclamation);
  EXPECT_EQ(notifier.shown[0].caption, L"Tessary");
  // A selection that fits says nothing; one line longer than the whole
  // clipboard gives its head.
  notifier.shown.clear();
  EXPECT_EQ(Selection(kFormatText, Params(0, 80), 0, 42 * 100).size(), 4200u);
  EXPECT_TRUE(notifier.shown.empty());
  clipboard = 20;
  EXPECT_EQ(Selection(kFormatText, Params(0, 80), 0, 1), std::string(17, 'a') + "\r\n");
  EXPECT_EQ(notifier.shown.size(), 1u);
}

TEST_F(CopyText, TaggedLinesInOrderAndOnlyThem) {
  memory.bytes = "zero\r\none\r\ntwo\r\nlast";
  std::string text;
  EXPECT_EQ(Tagged(kFormatText, Params(0, 80), {6, 17}, text), 2);
  EXPECT_EQ(text, "one\r\nlast\r\n") << "a tag inside a line tags it; the last line once";
  EXPECT_EQ(Tagged(kFormatText, Params(0, 80), {}, text), 0);
  EXPECT_EQ(text, "");
  EXPECT_TRUE(notifier.shown.empty());
}

// Lines made again after a table ends are copied once.
TEST_F(CopyText, TaggedLinesAcrossTables) {
  memory.bytes.clear();
  for (int i = 0; i < 10000; ++i) memory.bytes += "line " + std::to_string(i) + "\n";
  const int64_t at9000 = static_cast<int64_t>(memory.bytes.find("line 9000"));
  memory.bytes += "end";
  std::string text;
  const FormatParams wrapped = Params(kOptWrap, 3);  // "line 12" is three lines
  EXPECT_EQ(Tagged(kFormatText, wrapped, {0, at9000, static_cast<int64_t>(memory.bytes.size()) - 1},
                   text),
            3);
  EXPECT_EQ(text, "lin\r\nlin\r\nend\r\n");
}

TEST_F(CopyText, TaggedLinesBeyondTheClipboardStopWithTheirNumber) {
  memory.bytes.clear();
  for (int i = 0; i < 40000; ++i) memory.bytes += std::string(30, 'b') + "\r\n";
  std::string text;
  const int32_t copied = Tagged(kFormatText, Params(0, 80), {}, text, true);
  // 32 bytes a line with its CR LF; the next would leave less than 3 free.
  EXPECT_EQ(copied, -32767);
  EXPECT_EQ(text.size(), 32767u * 32);
  ASSERT_EQ(notifier.shown.size(), 1u);
  EXPECT_EQ(notifier.shown[0].text, L"Tagged lines do not fit in the clipboard. \nOnly " +
                                        std::to_wstring(-copied) + L" of 40000 lines copied.");
  EXPECT_EQ(notifier.shown[0].style, kIconExclamation);
  EXPECT_EQ(notifier.shown[0].owner, 7u);
}

// A file that cannot be read or lines that cannot be made: the message of
// each copy, and what was gathered until then.
TEST_F(CopyText, FailuresAreReportedWithTheirIcons) {
  memory.bytes = "abc\r\n";
  memory.fail = true;
  std::string text;
  EXPECT_EQ(CopySelectionText(Source(kFormatText, Params(0, 80)), 0, -1, text), 1);
  EXPECT_EQ(Tagged(kFormatText, Params(0, 80), {0}, text), 0);
  memory.fail = false;
  EXPECT_EQ(CopySelectionText(Source(kFormatHex, Params(0, 12)), 0, -1, text), 1);
  EXPECT_EQ(text, "");
  std::vector<std::pair<std::wstring, uint32_t>> shown;
  for (const auto& s : notifier.shown) {
    if (s.caption == L"Tessary") shown.push_back({s.text, s.style});
  }
  const std::vector<std::pair<std::wstring, uint32_t>> expected = {
      {CannotOpenMessage(L"memory", 2), kIconHand},
      {L"File read error", kIconHand},
      {CannotOpenMessage(L"memory", 2), kIconHand},
      {L"File read error", kIconExclamation},
      {L"Program error", kIconHand}};
  EXPECT_EQ(shown, expected);
}

}  // namespace
}  // namespace zorvo
