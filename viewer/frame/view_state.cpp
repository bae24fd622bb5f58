#include "viewer/frame/view_state.h"

#include <new>

#include "viewer/settings/format_options.h"

namespace zorvo {

LineTable* CreateTitleBuffers(std::unique_ptr<LineTable>& titles, bool reset, Notifier& notifier) {
  const bool fresh = !titles;
  if (fresh) {
    try {
      titles = std::make_unique<LineTable>(kTitleSlots, kTitleText + 1);
    } catch (const std::bad_alloc&) {
      notifier.Message(kNoMemoryForTitle, kAppTitle, kIconExclamation);
      return nullptr;
    }
  }
  titles->Tlen = kTitleText;
  if (fresh || reset) ClearTitles(*titles);
  return titles.get();
}

int32_t TitleCount(const std::unique_ptr<LineTable>& titles) { return titles ? titles->Alast : 0; }

int32_t LinesPerPage(const ViewState& view, int32_t titleCount) {
  if (view.lineHeight < 1) return 1;
  const int32_t lines = view.clientHeight / view.lineHeight - titleCount;
  return lines < 1 ? 1 : lines;
}

}  // namespace zorvo
