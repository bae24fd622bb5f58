// The heading line of every printed page: the file's name or path at the
// left margin, the job's date and time and the page number at the right.
#pragma once

#include <cstdint>
#include <string>

#include "viewer/print/page_geometry.h"
#include "viewer/print/print_surface.h"
#include "viewer/print/regional_time.h"

namespace zorvo {

// Heading bits of the page setup's print options.
enum HeadingBits : uint32_t {
  kHeadDateTime = 0x1,
  kHeadPageNumber = 0x2,
  kHeadFileName = 0x4,
  kHeadFullPath = 0x8,
};

class PageHeading {
 public:
  // Once per job: the date and time of `now` and the place of the page
  // number, as `flags` ask for them.
  void Prepare(uint32_t flags, const LocalTime& now, const RegionalSettings& settings);
  // The text right-aligned on page `page` ("Page %-3d" filled in, at most
  // 255 characters); empty when neither date nor page number is asked for.
  std::wstring RightText(int32_t page) const;
  // Draws the heading of page `page` on `surface` (null: a page laid out but
  // not printed) and returns where the page's text starts: two lines below
  // the top edge when there is a heading, else the top edge.
  DeviceUnits Place(PrintSurface* surface, const std::wstring& path, int32_t page,
                    const PageGeometry& geometry) const;

 private:
  uint32_t flags_ = 0;
  std::wstring dateTime_;  // with the two blanks before the page part, when both are asked for
  bool pageNumber_ = false;
};

}  // namespace zorvo
