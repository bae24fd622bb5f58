// A print job on a printer: the program's one print-dialog record (so that
// the printer chosen once stays chosen), starting and ending a document,
// the modeless abort dialog kept alive between pages, and Print Setup.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>

#include "viewer/print/print_file_range.h"

namespace zorvo {

struct Viewer;

// What the print dialog shows for the next job.
struct PrintDialogLook {
  std::wstring title;       // empty: the platform's own
  bool lockCopies = false;  // the number of copies cannot be changed
};
PrintDialogLook& NextPrintDialog();

// The job on `owner`'s printer as the renderer sees it.
class WindowPrintHost : public PrintJobHost {
 public:
  explicit WindowPrintHost(HWND owner);
  ~WindowPrintHost() override;
  PrintSurface* StartJob(const JobStart& job, ChosenRange& chosen) override;
  bool EndJob(bool abandon) override;
  LocalTime Now() override;
  RegionalSettings Regional() override;

 private:
  HWND owner_;
  std::unique_ptr<PrintSurface> surface_;
};

// Starts a document on the printer of the print-dialog record (asking with
// the dialog unless `noDialog` and a printer is known), shows the abort
// dialog and disables `owner`. Null when no job started.
HDC StartPrintJob(HWND owner, const JobStart& job, ChosenRange& chosen);
// Enables `owner` again, ends (or with `abandon` throws away) the document,
// deletes `dc` and the abort dialog. Safe with a null `dc`. False when the
// document could not be ended.
bool EndPrintJob(HWND owner, HDC dc, bool abandon);
// A job is running, or Print Sides waits between its two passes.
bool PrintJobActive();
// While one lives, Print Sides waits for the paper to be turned over: the
// job counts as running, so that nothing (a DDE command, the page index)
// changes the file or the tags that the odd pages are printed from.
class BetweenPrintPasses {
 public:
  BetweenPrintPasses();
  ~BetweenPrintPasses();
  BetweenPrintPasses(const BetweenPrintPasses&) = delete;
  BetweenPrintPasses& operator=(const BetweenPrintPasses&) = delete;
};
// While a job runs, a request to close `window` waits for its end; true
// when it was held.
bool HoldCloseWhilePrinting(HWND window);
// Runs the waiting messages as the abort procedure does; false once Cancel
// was pressed in the abort dialog.
bool PumpAbortDialog();
// The abort dialog's progress line (at most 63 characters).
void ShowPrintProgress(std::wstring_view text);
// Cancel was pressed in the abort dialog.
bool PrintCancelled();

// File > Print Setup: the print dialog in its setup form on the program's
// record.
void PrintSetupCommand(HWND owner);

// Brings the print-dialog record in line with the settings' printer after it was loaded
// from the profile, and the settings' printer in line with the record after a dialog.
void SyncPrinterFromSettings(Viewer& app);
void SyncSettingsFromPrinter(Viewer& app);
// Forgets the chosen printer (the window tests start from none).
void ForgetPrinter(Viewer& app);

}  // namespace zorvo
