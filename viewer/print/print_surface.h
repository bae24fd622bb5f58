// What page layout draws on: a printer's device context in the program, a
// recording in the tests. Layout decides every position; a surface only
// draws and measures.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "viewer/print/page_geometry.h"
#include "viewer/settings/colors.h"

namespace zorvo {

// What the spooler says about a page call: positive when it went well,
// otherwise the code that ended the job.
enum SpoolResult : int32_t {
  kSpoolOk = 1,
  kSpoolError = -1,
  kSpoolAppAbort = -2,
  kSpoolUserAbort = -3,  // Cancel in the abort dialog
  kSpoolOutOfDisk = -4,
  kSpoolOutOfMemory = -5,
};

struct TextColors {
  ColorRef text = 0;
  ColorRef background = 0xFFFFFF;
  bool operator==(const TextColors&) const = default;
};

struct Box {
  DeviceUnits left, top, right, bottom;
  bool operator==(const Box&) const = default;
};

class PrintSurface {
 public:
  virtual ~PrintSurface() = default;

  virtual DeviceCaps Caps() = 0;
  // Makes the print font from the screen font's face at `height` pixels
  // (negative: character height; 0: the face's own), or the stock fixed
  // font when that fails, and selects it.
  virtual void SelectPrintFont(int32_t height) = 0;
  // Selects the print font again: ending a page resets the device.
  virtual void ReselectFont() = 0;
  virtual FontMetrics Metrics() = 0;
  // The width of `text` in the screen font's face at `height`; -1 when no
  // such font can be made. For fitting the font to the paper.
  virtual int32_t TrialWidth(int32_t height, std::string_view text) = 0;

  virtual int32_t StartPage() = 0;  // a SpoolResult
  virtual int32_t EndPage() = 0;    // a SpoolResult
  // The abort dialog's progress line; false once the user cancelled.
  virtual bool Progress(std::wstring_view text) = 0;
  // The same while a tags-only job skips untagged lines, with how far into
  // the file it has come, in percent.
  virtual bool Skipping(std::wstring_view text, int32_t /*percent*/) { return Progress(text); }

  virtual void SetColors(TextColors colors) = 0;
  virtual TextColors Colors() = 0;
  // Display characters in `box`, its background filled and the text clipped
  // to it.
  virtual void TextInBox(DeviceUnits x, DeviceUnits y, const Box& box, std::string_view text) = 0;
  // Display characters, not clipped.
  virtual void Text(DeviceUnits x, DeviceUnits y, std::string_view text) = 0;
  virtual DeviceUnits TextWidth(std::string_view text) = 0;
  virtual void WideText(DeviceUnits x, DeviceUnits y, std::wstring_view text) = 0;
  virtual DeviceUnits WideTextWidth(std::wstring_view text) = 0;
};

// A surface that keeps what was asked of it, for tests: a fixed-pitch
// printer whose every character is `charWidth` wide.
class RecordingSurface : public PrintSurface {
 public:
  struct Drawn {
    int32_t page = 0;  // 1-based count of pages started
    int32_t x = 0, y = 0;
    std::wstring text;  // display bytes widened one to one
    TextColors colors;
    bool boxed = false;
  };

  DeviceCaps caps{DeviceUnits(2400), DeviceUnits(3000), 300, 300};
  int32_t lineHeight = 50;
  int32_t charWidth = 25;
  int32_t endPageResult = kSpoolOk;
  int32_t failEndPageAt = 0;     // the page whose end fails with endPageResult; 0 none
  int32_t cancelAtProgress = 0;  // Progress answers false from this call on; 0 never

  std::vector<Drawn> drawn;
  std::vector<std::wstring> progress;
  std::vector<int32_t> skipped;  // the percent of every Skipping
  std::vector<int32_t> fontHeights;  // every SelectPrintFont
  int32_t pagesStarted = 0;
  int32_t pagesEnded = 0;

  DeviceCaps Caps() override { return caps; }
  void SelectPrintFont(int32_t height) override { fontHeights.push_back(height); }
  void ReselectFont() override {}
  FontMetrics Metrics() override { return {DeviceUnits(lineHeight), DeviceUnits(charWidth)}; }
  int32_t TrialWidth(int32_t height, std::string_view text) override {
    // Characters half as wide as the font is high.
    return (height < 0 ? -height : height) / 2 * static_cast<int32_t>(text.size());
  }
  int32_t StartPage() override {
    ++pagesStarted;
    return kSpoolOk;
  }
  int32_t EndPage() override {
    ++pagesEnded;
    return failEndPageAt == pagesEnded ? endPageResult : kSpoolOk;
  }
  bool Skipping(std::wstring_view text, int32_t percent) override {
    skipped.push_back(percent);
    return Progress(text);
  }
  bool Progress(std::wstring_view text) override {
    progress.emplace_back(text);
    return cancelAtProgress == 0 || static_cast<int32_t>(progress.size()) < cancelAtProgress;
  }
  void SetColors(TextColors colors) override { colors_ = colors; }
  TextColors Colors() override { return colors_; }
  void TextInBox(DeviceUnits x, DeviceUnits y, const Box&, std::string_view text) override {
    Add(x, y, Widen(text), true);
  }
  void Text(DeviceUnits x, DeviceUnits y, std::string_view text) override {
    Add(x, y, Widen(text), false);
  }
  DeviceUnits TextWidth(std::string_view text) override {
    return DeviceUnits(charWidth * static_cast<int32_t>(text.size()));
  }
  void WideText(DeviceUnits x, DeviceUnits y, std::wstring_view text) override {
    Add(x, y, std::wstring(text), false);
  }
  DeviceUnits WideTextWidth(std::wstring_view text) override {
    return DeviceUnits(charWidth * static_cast<int32_t>(text.size()));
  }

  // The texts drawn on page `page`, top to bottom as drawn.
  std::vector<std::wstring> TextsOf(int32_t page) const {
    std::vector<std::wstring> texts;
    for (const Drawn& d : drawn) {
      if (d.page == page) texts.push_back(d.text);
    }
    return texts;
  }

 private:
  static std::wstring Widen(std::string_view text) {
    std::wstring wide;
    for (char c : text) wide.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
    return wide;
  }
  void Add(DeviceUnits x, DeviceUnits y, std::wstring text, bool boxed) {
    drawn.push_back({pagesStarted, x.value, y.value, std::move(text), colors_, boxed});
  }
  TextColors colors_;
};

}  // namespace zorvo
