// Fuzzes Copy and Copy Tags. The first bytes choose the display options, the
// selection and the tiny blocks, line batches, text and clipboard the copy
// works in; the rest is the file. The copied text must be the lines the
// window shows from the selection's start, whole, as far as the clipboard
// holds them.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/fuzz_support.h"
#include "support/memory_file.h"
#include "support/whole_pass.h"
#include "viewer/file/clipboard_text.h"

namespace {

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "copy invariant broken: %s\n", what);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zorvo;
  Reader in{data, size};
  const uint8_t display = in.Byte();
  const uint8_t length = in.Byte();
  const uint8_t pieces = in.Byte();
  const uint8_t selection = in.Byte();
  const uint8_t room = in.Byte();
  if (in.size == 0) return 0;
  in.size = std::min<size_t>(in.size, 0x10000);  // a longer file only costs time

  const int format = (display & 0x03) % 3;
  FormatParams params;
  params.options = (display & 0x04 ? uint32_t{kOptWrap} : 0u) |
                   (display & 0x08 ? uint32_t{kOptExpandTabs} : 0u) |
                   (display & 0x10 ? uint32_t{kOptFormFeedPage} : 0u) |
                   (display & 0x20 ? uint32_t{kOptPageGaps} : 0u) |
                   (display & 0x80 ? uint32_t{kOptEbcdic} : 0u);
  if (display & 0x40) {
    params.options |= kOptCarriageControl | kOptCcAsa;
    params.skipCounts = &AsaSkipCounts();
  }
  params.lineLength = format == kFormatHex ? 24 + length % 80 : 1 + length % 64;
  params.tabLength = 1 + length % 9;

  const std::string bytes(reinterpret_cast<const char*>(in.data), in.size);
  MemoryFile memory(bytes);
  FileRecord file{0, static_cast<int64_t>(bytes.size()), L"fuzz"};
  RecordingNotifier notifier;
  const int32_t clipboard = 3 + room * 64;
  CopySource source{file,    format, params, notifier, 0, &memory,
                    WalkPieces{64u + (pieces & 0x7Fu) * 5u, 16, 64}, clipboard};

  // The lines the window shows from the one that holds the start (a whole
  // record with carriage control); from inside a line otherwise, and in Hex
  // Dump and Raw Text, the lines of one pass from the start. A record's
  // spacing rows can take offsets beyond the next record's start: where
  // they do, which row holds a byte is not told by the offsets, and the
  // copy starts at the file's start.
  const std::vector<ShownLine> whole = WholePass(bytes, format, params);
  const bool records = format == kFormatText && (params.options & kOptCarriageControl);
  bool ordered = true;
  for (size_t i = 1; i < whole.size(); ++i) ordered = ordered && whole[i - 1].offset < whole[i].offset;
  const int64_t start =
      records && !ordered ? 0 : static_cast<int64_t>(selection * bytes.size() / 256);
  std::string copied;
  Check(CopySelectionText(source, start, -1, copied) == 1, "a copy that placed nothing");
  std::vector<ShownLine> shown;
  const bool atRow = std::any_of(whole.begin(), whole.end(),
                                 [&](const ShownLine& line) { return line.offset == start; });
  if (records || atRow) {
    for (size_t i = 0; i < whole.size(); ++i) {
      const int64_t next = i + 1 < whole.size() ? whole[i + 1].offset : INT64_MAX;
      if (records ? next > start : whole[i].offset >= start) shown.push_back(whole[i]);
    }
  } else {
    shown = WholePass(bytes, format, params, start);
  }
  std::string expected;
  bool full = false;
  for (const ShownLine& line : shown) {
    if (expected.size() + line.text.size() + 3 > static_cast<size_t>(clipboard)) {
      // The first line alone may be longer than the clipboard: its head.
      if (expected.empty()) expected = line.text.substr(0, clipboard - 3) + "\r\n";
      full = true;
      break;
    }
    expected += line.text + "\r\n";
  }
  Check(copied == expected, "the copy is not the lines shown from its start");
  Check(notifier.shown.size() == (full ? 1u : 0u), "a message for a copy that fit, or none");

  // Every line tagged: the same lines from the start of the file, or the
  // message that they do not fit.
  notifier.shown.clear();
  std::string tagged;
  const int32_t count = CopyTaggedText(
      source,
      [](LineTable& table) {
        for (int32_t i = table.Afirst; i < table.Alast; ++i) table[i].flags |= 0x2;
      },
      1, tagged);
  std::string all;
  int32_t lines = 0;
  for (const ShownLine& line : whole) {
    if (all.size() + line.text.size() + 3 > static_cast<size_t>(clipboard)) break;
    all += line.text + "\r\n";
    ++lines;
  }
  Check(tagged == all, "the tagged copy is not the lines of one pass");
  Check(count == (notifier.shown.empty() ? lines : -lines), "the tagged copy's count");
  return 0;
}
