#include "viewer/frame/go_to.h"

#include <algorithm>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <limits>

namespace zorvo {

namespace {

std::wstring Hex(int64_t value) {
  wchar_t text[32];
  std::swprintf(text, 32, L"0x%llX", static_cast<unsigned long long>(value));
  return text;
}

}  // namespace

GoToFieldTexts GoToFields(int32_t mode, const GoToLimits& limits) {
  switch (mode) {
    case kGoToOffset:
      return {Hex(limits.fileLength), L"1 to " + Hex(limits.fileLength), true};
    case kGoToPage:
      return {L"1", limits.pages < 1 ? L"N/A" : L"1 to " + std::to_wstring(limits.pages), true};
    default:
      return {L"N/A", L" ", false};
  }
}

GoToRequest MakeGoToRequest(int32_t mode, int64_t value) {
  switch (mode) {
    case kGoToTop:
      return {kGoToTop, 0, 0};
    case kGoToBottom:
      return {kGoToBottom, std::numeric_limits<int64_t>::max(),
              std::numeric_limits<int32_t>::max()};
    case kGoToOffset:
      return {kGoToOffset, value, 0};
    case kGoToPage:
      return {
          kGoToPage, -1,
          static_cast<int32_t>(std::clamp<int64_t>(value, 0, std::numeric_limits<int32_t>::max()))};
    default:
      return {};
  }
}

GoToAction DecideGoTo(const GoToRequest& request, int64_t fileLength,
                      const std::function<int64_t(int32_t page)>& lookup) {
  switch (request.mode) {
    case kGoToTop:
      return {GoToAction::kScrollTop, 0};
    case kGoToBottom:
      return {GoToAction::kScrollBottom, 0};
    case kGoToOffset:
      return {GoToAction::kOffsetReload, std::clamp<int64_t>(request.position, 0, fileLength)};
    case kGoToPage: {
      const int64_t offset = lookup ? lookup(request.page) : -1;
      if (offset < 0) return {GoToAction::kInvalidPage, 0};
      return {GoToAction::kOffset, offset};
    }
    default:
      return {};
  }
}

}  // namespace zorvo
