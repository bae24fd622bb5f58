#include "viewer/print/win32/print_commands.h"

#include <string>

#include "common/exception_guard.h"
#include "viewer/file/carriage_control.h"
#include "viewer/frame/view_state.h"
#include "viewer/frame/win32/dialogs.h"
#include "viewer/frame/win32/frame.h"
#include "viewer/print/odd_page_text.h"
#include "viewer/print/print_file_range.h"
#include "viewer/print/win32/print_job.h"
#include "viewer/resources/resource.h"
#include "viewer/settings/colors.h"
#include "viewer/settings/format_options.h"
#include "viewer/settings/user_skip_counts.h"

namespace zorvo {

namespace {

// Bits a job adds; a stored print options word never brings them.
constexpr uint32_t kJobBits =
    kPrintTagsOnly | kPrintEvenPagesOnly | kPrintOddPagesOnly | kPrintNoDialog;

// Kept from an even-page pass for the odd-page pass after it.
SidesRange& Sides() {
  static SidesRange sides;
  return sides;
}

PrintSettings CurrentPrintSettings(Viewer& app) {
  const FormatOptions& options = app.settings.options;
  const PageSetup& page = app.settings.pageSetup;
  PrintSettings s;
  s.margins = MarginsOf(page.PageMargins);
  s.autoFontSize = page.PrintFontAutoSize != 0;
  s.printMessages = page.PrintMessages != 0;
  s.format = options.Format;
  s.params.options = options.CurrentOptions;
  s.params.tabLength = options.TabLength;
  s.params.skipCounts = &ProfileSkipCounts(app.settings, options.CurrentOptions, options.CCName);
  s.fixedLength = (options.CurrentOptions & kOptFixedLength) != 0;
  s.maxLineLength = options.MaxLineLength;
  s.fontSize = options.FontSize;
  s.zoomSteps = app.doc.view.zoomSteps;
  s.colors = app.settings.colors;
  return s;
}

// The request of every print command before its own settings.
PrintRequest BaseRequest(HWND window) {
  Viewer& app = ViewerOf(window);
  const FileRecord& file = app.doc.file;
  const LineTable& screen = app.doc.screen;
  const Selection& selection = app.doc.view.selection;
  PrintRequest request;
  request.owner = reinterpret_cast<uintptr_t>(window);
  request.viewOffset = screen.Acur <= screen.Alast ? screen[screen.Acur].offset : 0;
  const size_t cut = file.path.find_last_of(L'\\');
  request.documentName = cut == std::wstring::npos ? file.path : file.path.substr(cut + 1);
  request.file = FileRecord{0, file.Flen, file.path};
  request.tags = &app.doc.tags;
  if (const std::unique_ptr<LineTable>& titles = app.doc.titles) {
    for (int32_t i = titles->Afirst; i < titles->Alast; ++i) {
      request.titles.emplace_back(titles->TextOf(i),
                                  static_cast<size_t>(std::max((*titles)[i].length, 0)));
    }
  }
  request.selectionStart = selection.Any() ? selection.start : -1;
  request.selectionEnd = selection.Any() ? selection.end : -1;
  request.start = request.selectionStart;
  request.end = request.selectionEnd;
  request.flags = app.settings.pageSetup.PrintOptions & ~kJobBits;
  return request;
}

int32_t Print(HWND window, const PrintRequest& request) {
  Viewer& app = ViewerOf(window);
  WindowPrintHost host(window);
  return PrintFileRange(request, CurrentPrintSettings(app), host, FrameNotifier(),
                        PlatformFileOpener(), Sides());
}

// Even pages first; after the operator turned the paper over, the odd ones
// on the same printer and range.
void PrintSides(HWND window, PrintRequest request) {
  PrintDialogLook& look = NextPrintDialog();
  look.title = L"Print Sides";
  look.lockCopies = true;
  request.flags |= kPrintEvenPagesOnly;
  if (Print(window, request) <= 0) return;
  BetweenPrintPasses between;
  const int answer = FrameNotifier().Message(LoadOddPageText(ViewerOf(window).settings.profile()),
                                             L"Printing Sides", kIconExclamation | MB_OKCANCEL,
                                             reinterpret_cast<uintptr_t>(window));
  if (answer != IDOK) return;
  request.flags = (request.flags & ~kPrintEvenPagesOnly) | kPrintOddPagesOnly | kPrintNoDialog;
  Print(window, request);
}

void RunPrintCommand(HWND window, int id, bool noDialog) {
  Viewer& app = ViewerOf(window);
  if (app.doc.file.path.empty()) return;
  if (PrintJobActive()) {
    // One job at a time: a command that arrives while pages go out waits
    // for nobody.
    FrameNotifier().Beep(kIconExclamation);
    return;
  }
  NextPrintDialog() = PrintDialogLook{};
  PrintRequest request = BaseRequest(window);
  if (noDialog) request.flags |= kPrintNoDialog;
  switch (id) {
    case IDM_PRINTPAGE:
      NextPrintDialog().title = L"Print Page";
      request.start = request.viewOffset;
      request.end = 0;
      request.firstPage = request.lastPage = 1;
      request.flags |= kPrintNoDialog;
      break;
    case IDM_PRINTALL:
      request.start = 0;
      request.end = -1;
      request.viewOffset = 0;
      request.flags |= kPrintNoDialog;
      break;
    case IDM_PRINTTAGS:
    case IDM_PRINTTAGSNOW:
      NextPrintDialog().title = L"Print Tags";
      request.flags |= kPrintTagsOnly;
      if (id == IDM_PRINTTAGSNOW) request.flags |= kPrintNoDialog;
      break;
    case IDM_SIDES:
      PrintSides(window, request);
      return;
    default:  // IDM_PRINT
      break;
  }
  Print(window, request);
}

}  // namespace

bool PrintCommand(HWND window, int id, LPARAM lParam) {
  switch (id) {
    case IDM_PRINTSETUP:
      PrintSetupCommand(window);
      return true;
    case IDM_PAGESETUP:
      PageSetupDialog(window);
      return true;
    case IDM_PRINT:
    case IDM_PRINTPAGE:
    case IDM_PRINTALL:
    case IDM_PRINTTAGS:
    case IDM_PRINTTAGSNOW:
    case IDM_SIDES:
      // A job that cannot go on for want of memory ends as any other.
      Guarded(
          [&] {
            RunPrintCommand(window, id, lParam == 1);
            return true;
          },
          [](GuardFailure) {
            FrameNotifier().Beep(kIconHand);
            return true;
          });
      return true;
    default:
      return false;
  }
}

}  // namespace zorvo
