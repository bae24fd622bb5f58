#include "viewer/print/page_heading.h"

#include <algorithm>

namespace zorvo {

namespace {

constexpr size_t kHeadingChars = 255;

}  // namespace

void PageHeading::Prepare(uint32_t flags, const LocalTime& now, const RegionalSettings& settings) {
  flags_ = flags;
  dateTime_.clear();
  if (flags & kHeadDateTime) {
    // One reading of the clock for both, so that a job started at midnight
    // does not get the old date with the new time.
    dateTime_ = FormatShortDate(now, settings) + L"  " + FormatClockTime(now, settings);
  }
  pageNumber_ = (flags & kHeadPageNumber) != 0;
  if (pageNumber_ && !dateTime_.empty()) dateTime_ += L"  ";
}

std::wstring PageHeading::RightText(int32_t page) const {
  std::wstring text = dateTime_;
  if (pageNumber_) {
    std::wstring number = std::to_wstring(page);
    if (number.size() < 3) number.append(3 - number.size(), L' ');
    text += L"Page " + number;
  }
  if (text.size() > kHeadingChars) text.resize(kHeadingChars);
  return text;
}

DeviceUnits PageHeading::Place(PrintSurface* surface, const std::wstring& path, int32_t page,
                               const PageGeometry& g) const {
  const bool name = (flags_ & (kHeadFileName | kHeadFullPath)) != 0;
  const std::wstring right = RightText(page);
  if (surface) {
    if (name) {
      const size_t cut = path.find_last_of(L'\\');
      const std::wstring shown =
          (flags_ & kHeadFullPath) || cut == std::wstring::npos ? path : path.substr(cut + 1);
      surface->WideText(g.x0, g.y0, shown);
    }
    if (!right.empty()) {
      // Right-aligned on the printable width, moved left to a whole
      // character position.
      const int32_t width = surface->WideTextWidth(right).value;
      const int32_t c = std::max(g.charWidth.value, 1);
      surface->WideText(g.x0 + DeviceUnits((g.width.value - width) / c * c), g.y0, right);
    }
  }
  if (right.empty() && !name) return g.y0;
  return g.y0 + LineCount(2) * g.lineHeight;
}

}  // namespace zorvo
