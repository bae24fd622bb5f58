// Laying out a whole file for printing, every page drawn on a surface that
// only counts, and Copy Tags over the whole file with its one tag on the last
// line, beside the reference: the same file read in 4 MiB blocks and cut
// into lines by the Text formatter alone, 4096 lines at a time.
//   print_bench FILE
#include <chrono>
#include <cstdio>
#include <memory>

#include "common/wide_text.h"
#include "viewer/file/clipboard_text.h"
#include "viewer/file/rebuild.h"
#include "viewer/print/print_file_range.h"

namespace zorvo {
namespace {

class CountingSurface : public PrintSurface {
 public:
  int64_t lines = 0;
  int64_t pages = 0;
  DeviceCaps Caps() override { return {DeviceUnits(2550), DeviceUnits(3300), 300, 300}; }
  void SelectPrintFont(int32_t) override {}
  void ReselectFont() override {}
  FontMetrics Metrics() override { return {DeviceUnits(49), DeviceUnits(25)}; }
  int32_t TrialWidth(int32_t, std::string_view) override { return 0; }
  int32_t StartPage() override {
    ++pages;
    return kSpoolOk;
  }
  int32_t EndPage() override { return kSpoolOk; }
  bool Progress(std::wstring_view) override { return true; }
  void SetColors(TextColors) override {}
  TextColors Colors() override { return {}; }
  void TextInBox(DeviceUnits, DeviceUnits, const Box&, std::string_view) override { ++lines; }
  void Text(DeviceUnits, DeviceUnits, std::string_view) override {}
  DeviceUnits TextWidth(std::string_view text) override {
    return DeviceUnits(25 * static_cast<int32_t>(text.size()));
  }
  void WideText(DeviceUnits, DeviceUnits, std::wstring_view) override {}
  DeviceUnits WideTextWidth(std::wstring_view) override { return DeviceUnits(0); }
};

class Host : public PrintJobHost {
 public:
  CountingSurface surface;
  PrintSurface* StartJob(const JobStart&, ChosenRange&) override { return &surface; }
  bool EndJob(bool) override { return true; }
  LocalTime Now() override { return {}; }
  RegionalSettings Regional() override { return {}; }
};

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace
}  // namespace zorvo

int main(int argc, char** argv) {
  using namespace zorvo;
  if (argc < 2) {
    std::fprintf(stderr, "usage: print_bench FILE\n");
    return 2;
  }
  RecordingNotifier notifier;
  FileRecord file{0, 0, WideFromUtf8(argv[1])};
  ReadRequest probe{nullptr, 0, 0};
  ReadRequest result;
  if (ReadBlock(file, probe, result, notifier) & kReadFailed) {
    std::fprintf(stderr, "cannot open %s\n", argv[1]);
    return 1;
  }
  FormatParams params;
  params.options = 0x220;  // the Text format's default word
  params.lineLength = 90;

  // The reference: read and format, batch after batch.
  auto t0 = std::chrono::steady_clock::now();
  LineTable table(kScreenLines, kScreenText);
  std::unique_ptr<unsigned char[]> block(new unsigned char[kRebuildPiece]);
  int64_t lines = 0;
  int64_t at = 0;
  while (at < file.Flen) {
    file.Fcur = at;
    ReadRequest request{block.get(), kRebuildPiece, 0};
    if (ReadBlock(file, request, result, notifier) & kReadFailed) return 1;
    // Near the end of the file the block ends there and begins before `at`.
    const int64_t base = file.Fcur - static_cast<int64_t>(result.back);
    int64_t start = at - base;
    while (start < result.size) {
      LineCursor cursor{table.entries(), table.Acnt, 0};
      TextCursor text{table.chars(), table.Tlen - 1, 0};
      FormatText(Block{block.get(), result.size, start}, cursor, text, base + start,
                 Direction::kForward, params);
      if (cursor.index < 1) break;
      lines += cursor.index;
      start = table[cursor.index].offset - base;
    }
    at = std::max(base + start, at + 1);
  }
  const double reference = Seconds(t0);

  t0 = std::chrono::steady_clock::now();
  Host host;
  PrintRequest request;
  request.flags = 0x6FF | kPrintNoDialog;
  request.file = file;
  PrintSettings settings;
  settings.params = params;
  SidesRange sides;
  PrintFileRange(request, settings, host, notifier, PlatformFileOpener(), sides);
  const double print = Seconds(t0);

  t0 = std::chrono::steady_clock::now();
  std::string copied;
  FileRecord copying = file;
  const CopySource source{copying, kFormatText, params, notifier};
  const int64_t last = file.Flen - 1;
  const int32_t tagged = CopyTaggedText(
      source,
      [last](LineTable& table) {
        for (int32_t i = table.Afirst; i < table.Alast; ++i) {
          if (table[i].offset <= last && table[i + 1].offset > last) table[i].flags |= 0x2;
        }
      },
      1, copied);
  const double copy = Seconds(t0);

  std::printf(
      "%.2f GiB, %lld lines: formatting alone %.2f s, print layout %.2f s (%lld lines, "
      "%lld pages), ratio %.2f; copy tags %.2f s (%d line), ratio %.2f\n",
      static_cast<double>(file.Flen) / (1 << 30), static_cast<long long>(lines), reference, print,
      static_cast<long long>(host.surface.lines), static_cast<long long>(host.surface.pages),
      print / reference, copy, tagged, copy / reference);
  return 0;
}
