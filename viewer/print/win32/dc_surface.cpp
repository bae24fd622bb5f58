#include "viewer/print/win32/dc_surface.h"

#include <algorithm>

#include "viewer/frame/win32/screen_font.h"
#include "viewer/print/win32/print_job.h"
#include "viewer/settings/format_options.h"

namespace zorvo {

namespace {

// The spooler's word for a page call that failed.
int32_t FailureCode(int result) {
  if (PrintCancelled()) return kSpoolUserAbort;
  // Codes of the older spooler interface come back as they are.
  if (result <= kSpoolAppAbort && result >= kSpoolOutOfMemory) return result;
  switch (GetLastError()) {
    case ERROR_PRINT_CANCELLED:
    case ERROR_CANCELLED:
      return kSpoolUserAbort;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return kSpoolOutOfDisk;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return kSpoolOutOfMemory;
    default:
      return kSpoolError;
  }
}

class DcSurface : public PrintSurface {
 public:
  DcSurface(HDC dc, int32_t progressDelay)
      : dc_(dc), started_(GetTickCount64()), progressDelay_(std::max(progressDelay, 0)) {}
  ~DcSurface() override {
    if (oldFont_) SelectObject(dc_, oldFont_);
    ReleaseFont();
  }
  DcSurface(const DcSurface&) = delete;
  DcSurface& operator=(const DcSurface&) = delete;

  DeviceCaps Caps() override {
    return {DeviceUnits(GetDeviceCaps(dc_, HORZRES)), DeviceUnits(GetDeviceCaps(dc_, VERTRES)),
            GetDeviceCaps(dc_, LOGPIXELSX), GetDeviceCaps(dc_, LOGPIXELSY)};
  }

  void SelectPrintFont(int32_t height) override {
    ReleaseFontSelected();
    font_ = MakeFont(height);
    stock_ = font_ == nullptr;
    if (stock_) font_ = static_cast<HFONT>(GetStockObject(ANSI_FIXED_FONT));
    ReselectFont();
  }
  void ReselectFont() override {
    if (!font_) return;
    HGDIOBJ previous = SelectObject(dc_, font_);
    if (!oldFont_) oldFont_ = previous;
  }
  FontMetrics Metrics() override {
    TEXTMETRICW metrics{};
    if (!GetTextMetricsW(dc_, &metrics)) return {DeviceUnits(1), DeviceUnits(1)};
    return {DeviceUnits(metrics.tmHeight), DeviceUnits(metrics.tmAveCharWidth)};
  }
  int32_t TrialWidth(int32_t height, std::string_view text) override {
    HFONT trial = MakeFont(height);
    if (!trial) return -1;
    HGDIOBJ previous = SelectObject(dc_, trial);
    SIZE extent{0, 0};
    const bool measured = GetTextExtentPoint32A(dc_, text.data(), Length(text), &extent) != 0;
    SelectObject(dc_, previous);
    DeleteObject(trial);
    return measured ? extent.cx : -1;
  }

  int32_t StartPage() override {
    const int result = ::StartPage(dc_);
    return result > 0 ? kSpoolOk : FailureCode(result);
  }
  int32_t EndPage() override {
    const int result = ::EndPage(dc_);
    if (result <= 0) return FailureCode(result);
    // Not every spooler calls the abort procedure while a page goes out:
    // the job does so itself, so that Cancel always works.
    return PumpAbortDialog() ? kSpoolOk : kSpoolUserAbort;
  }
  bool Progress(std::wstring_view text) override {
    ShowPrintProgress(text);
    return PumpAbortDialog();
  }
  // A job that has run a while tells how far into the file its skipping
  // has come: a tags-only job may pass a large file between two pages.
  bool Skipping(std::wstring_view text, int32_t percent) override {
    if (GetTickCount64() - started_ < static_cast<ULONGLONG>(progressDelay_)) {
      return Progress(text);
    }
    std::wstring line(text);
    line += L" (" + std::to_wstring(percent) + L"%)";
    return Progress(line);
  }

  void SetColors(TextColors colors) override {
    SetTextColor(dc_, colors.text);
    SetBkColor(dc_, colors.background);
  }
  TextColors Colors() override { return {GetTextColor(dc_), GetBkColor(dc_)}; }
  void TextInBox(DeviceUnits x, DeviceUnits y, const Box& box, std::string_view text) override {
    const RECT rect{box.left.value, box.top.value, box.right.value, box.bottom.value};
    ExtTextOutA(dc_, x.value, y.value, ETO_OPAQUE | ETO_CLIPPED, &rect, text.data(),
                static_cast<UINT>(Length(text)), nullptr);
  }
  void Text(DeviceUnits x, DeviceUnits y, std::string_view text) override {
    TextOutA(dc_, x.value, y.value, text.data(), Length(text));
  }
  DeviceUnits TextWidth(std::string_view text) override {
    SIZE extent{0, 0};
    GetTextExtentPoint32A(dc_, text.data(), Length(text), &extent);
    return DeviceUnits(extent.cx);
  }
  void WideText(DeviceUnits x, DeviceUnits y, std::wstring_view text) override {
    TextOutW(dc_, x.value, y.value, text.data(), static_cast<int>(text.size()));
  }
  DeviceUnits WideTextWidth(std::wstring_view text) override {
    SIZE extent{0, 0};
    GetTextExtentPoint32W(dc_, text.data(), static_cast<int>(text.size()), &extent);
    return DeviceUnits(extent.cx);
  }

 private:
  static int Length(std::string_view text) {
    return static_cast<int>(std::min<size_t>(text.size(), 0x7FFFFFFF));
  }
  // The screen font's face, weight and italic at `height`.
  static HFONT MakeFont(int32_t height) {
    LOGFONTW record = ScreenFontRecord();
    record.lfHeight = height;
    if (record.lfFaceName[0] == 0) record.lfPitchAndFamily = FF_MODERN | FIXED_PITCH;
    return CreateFontIndirectW(&record);
  }
  void ReleaseFontSelected() {
    if (oldFont_) SelectObject(dc_, oldFont_);
    oldFont_ = nullptr;
    ReleaseFont();
  }
  void ReleaseFont() {
    if (font_ && !stock_) DeleteObject(font_);
    font_ = nullptr;
    stock_ = false;
  }

  HDC dc_;
  ULONGLONG started_;  // when the job began, for the progress of its skipping
  int32_t progressDelay_;
  HFONT font_ = nullptr;
  bool stock_ = false;  // the stock font is never deleted
  HGDIOBJ oldFont_ = nullptr;
};

}  // namespace

std::unique_ptr<PrintSurface> MakeDcSurface(HDC dc, int32_t progressDelay) {
  return std::make_unique<DcSurface>(dc, progressDelay);
}

}  // namespace zorvo
