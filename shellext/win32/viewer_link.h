// The hand-over to the viewer through the system: its DDE service and, when
// none answers, a new viewer process.
#pragma once

#include <windows.h>

#include <string>

#include "common/notifier.h"
#include "shellext/hand_off.h"

namespace zorvo {

// Asks the viewer serving DDE (kDdeService, kDdeTopic) to open
// `path`. True when a viewer answered, whether or not the command could be
// sent (a command that cannot be sent is a beep).
bool SendOpenToViewer(HWND owner, const std::wstring& path, Notifier& notifier);

// Starts the viewer at `viewerPath` (empty: found through the search path)
// with -D in `folder` (empty: the caller's), shown as `show`, and waits up to
// a second until it is ready for input. False when it could not be started.
bool StartViewer(const std::wstring& viewerPath, const std::wstring& folder, int show);

class SystemViewerLink final : public ViewerLink {
 public:
  SystemViewerLink(HWND owner, std::wstring fileName, std::wstring viewerPath, std::wstring folder,
                   int show, Notifier& notifier)
      : owner_(owner),
        fileName_(std::move(fileName)),
        viewerPath_(std::move(viewerPath)),
        folder_(std::move(folder)),
        show_(show),
        notifier_(notifier) {}
  bool SendOpen() override { return SendOpenToViewer(owner_, fileName_, notifier_); }
  bool Start() override { return StartViewer(viewerPath_, folder_, show_); }
  void Sleep(unsigned milliseconds) override { ::Sleep(milliseconds); }

 private:
  HWND owner_;
  std::wstring fileName_;
  std::wstring viewerPath_;
  std::wstring folder_;
  int show_;
  Notifier& notifier_;
};

}  // namespace zorvo
