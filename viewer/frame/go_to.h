// Go To: the choices of its dialog, the texts its entry field and hint show
// for each, the request it returns, and what the window does with it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace zorvo {

enum GoToMode : int32_t {
  kGoToNone = 0,
  kGoToTop = 1,
  kGoToBottom = 2,
  kGoToOffset = 3,  // a byte position
  kGoToPage = 4,    // a page number
};

// What the dialog returns on OK.
struct GoToRequest {
  int32_t mode = kGoToNone;
  int64_t position = 0;
  int32_t page = 0;
};

// What the window gives the dialog: the largest byte position offered and
// the pages known so far (below 1: page numbers are not available).
struct GoToLimits {
  int64_t fileLength = 0;
  int32_t pages = -1;
};

// The entry field and the hint for a choice.
struct GoToFieldTexts {
  std::wstring entry;
  std::wstring hint;
  bool enabled = false;
};
GoToFieldTexts GoToFields(int32_t mode, const GoToLimits& limits);

// The request for a choice, with the number checked for it (offset or
// page); mode kGoToNone for a choice that is none of the four.
GoToRequest MakeGoToRequest(int32_t mode, int64_t value);

// What the window does with a request.
struct GoToAction {
  enum Kind {
    kNothing,
    kScrollTop,
    kScrollBottom,
    kOffsetReload,  // rebuild around `offset`
    kOffset,        // show the line holding `offset` at the top
    kInvalidPage,   // "Invalid page number."
  } kind = kNothing;
  int64_t offset = 0;
};
// `lookup` gives a page's offset from the page index, or a negative value
// when there is no index or the page is not known.
GoToAction DecideGoTo(const GoToRequest& request, int64_t fileLength,
                      const std::function<int64_t(int32_t page)>& lookup);

}  // namespace zorvo
