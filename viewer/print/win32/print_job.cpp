#include "viewer/print/win32/print_job.h"

#include <windows.h>
// After windows.h, which it needs.
#include <commdlg.h>
#include <dlgs.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "viewer/frame/view_state.h"
#include "viewer/frame/win32/dialogs.h"
#include "viewer/frame/win32/frame.h"
#include "viewer/print/win32/dc_surface.h"
#include "viewer/resources/resource.h"
#include "viewer/settings/printer_settings.h"

namespace zorvo {

namespace {

// The job of the moment; there is at most one.
struct JobState {
  HDC dc = nullptr;
  HWND abortDialog = nullptr;
  bool userAbort = false;
  std::wstring progress;  // the progress line the abort dialog shows
  bool documentStarted = false;
  bool active = false;
  HWND owner = nullptr;
  bool ownerWasDisabled = false;  // by a modal dialog that the job ran under
  HWND closeHeld = nullptr;       // a window whose close waits for the job's end
};

// What printing keeps for the run, in one place. The print dialog's hook
// and the abort procedure are called by the system with no data of ours,
// so this is the print part's one global record.
struct PrintRecords {
  JobState job;
  // The one print-dialog record of the run, and the printer selection it
  // was last brought in line with.
  PRINTDLGW record{};
  PrinterSelection synced;
  PrintDialogLook nextDialog;  // how the next print dialog looks
  bool betweenPasses = false;  // the operator turns the paper over
};

PrintRecords& Records() {
  static PrintRecords records;
  return records;
}

JobState& Job() { return Records().job; }
PRINTDLGW& Record() { return Records().record; }
PrinterSelection& Synced() { return Records().synced; }

bool Same(const PrinterSelection& a, const PrinterSelection& b) {
  return a.devMode == b.devMode && a.devNames == b.devNames;
}

void FreeRecordHandles() {
  PRINTDLGW& record = Record();
  if (record.hDevMode) GlobalFree(record.hDevMode);
  if (record.hDevNames) GlobalFree(record.hDevNames);
  record.hDevMode = record.hDevNames = nullptr;
}

DeviceMode FromDevMode(const DEVMODEW& dm) {
  DeviceMode mode;
  mode.deviceName.assign(dm.dmDeviceName, wcsnlen(dm.dmDeviceName, CCHDEVICENAME));
  if (mode.deviceName.size() > 31) mode.deviceName.resize(31);
  mode.specVersion = dm.dmSpecVersion;
  mode.driverVersion = dm.dmDriverVersion;
  mode.size = dm.dmSize;
  mode.fields = dm.dmFields;
  mode.orientation = dm.dmOrientation;
  mode.paperSize = dm.dmPaperSize;
  mode.paperLength = dm.dmPaperLength;
  mode.paperWidth = dm.dmPaperWidth;
  mode.scale = dm.dmScale;
  mode.copies = dm.dmCopies;
  mode.defaultSource = dm.dmDefaultSource;
  mode.printQuality = dm.dmPrintQuality;
  mode.color = dm.dmColor;
  mode.duplex = dm.dmDuplex;
  mode.yResolution = dm.dmYResolution;
  mode.ttOption = dm.dmTTOption;
  return mode;
}

HGLOBAL ToDevMode(const DeviceMode& mode) {
  HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DEVMODEW));
  if (!handle) return nullptr;
  auto* dm = static_cast<DEVMODEW*>(GlobalLock(handle));
  if (!dm) {
    GlobalFree(handle);
    return nullptr;
  }
  lstrcpynW(dm->dmDeviceName, mode.deviceName.c_str(), CCHDEVICENAME);
  dm->dmSpecVersion = mode.specVersion ? mode.specVersion : DM_SPECVERSION;
  dm->dmDriverVersion = mode.driverVersion;
  dm->dmSize = sizeof(DEVMODEW);
  dm->dmFields = mode.fields;
  dm->dmOrientation = mode.orientation;
  dm->dmPaperSize = mode.paperSize;
  dm->dmPaperLength = mode.paperLength;
  dm->dmPaperWidth = mode.paperWidth;
  dm->dmScale = mode.scale;
  dm->dmCopies = mode.copies;
  dm->dmDefaultSource = mode.defaultSource;
  dm->dmPrintQuality = mode.printQuality;
  dm->dmColor = mode.color;
  dm->dmDuplex = mode.duplex;
  dm->dmYResolution = mode.yResolution;
  dm->dmTTOption = mode.ttOption;
  GlobalUnlock(handle);
  return handle;
}

DeviceNames FromDevNames(const DEVNAMES& dn) {
  const auto* base = reinterpret_cast<const wchar_t*>(&dn);
  DeviceNames names;
  names.driver = base + dn.wDriverOffset;
  names.device = base + dn.wDeviceOffset;
  names.output = base + dn.wOutputOffset;
  names.capacity = 4 + names.driver.size() + names.device.size() + names.output.size() + 3;
  return names;
}

HGLOBAL ToDevNames(const DeviceNames& names) {
  const size_t chars = 4 + names.driver.size() + names.device.size() + names.output.size() + 3;
  HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, chars * sizeof(wchar_t));
  if (!handle) return nullptr;
  auto* dn = static_cast<DEVNAMES*>(GlobalLock(handle));
  if (!dn) {
    GlobalFree(handle);
    return nullptr;
  }
  auto* base = reinterpret_cast<wchar_t*>(dn);
  WORD at = 4;
  auto place = [&](const std::wstring& text, WORD& offset) {
    offset = at;
    text.copy(base + at, text.size());
    at = static_cast<WORD>(at + text.size() + 1);
  };
  place(names.driver, dn->wDriverOffset);
  place(names.device, dn->wDeviceOffset);
  place(names.output, dn->wOutputOffset);
  dn->wDefault = 0;
  GlobalUnlock(handle);
  return handle;
}

// The texts of the record's device names; false without one.
bool RecordNames(DeviceNames& names) {
  HGLOBAL handle = Record().hDevNames;
  if (!handle) return false;
  const auto* dn = static_cast<const DEVNAMES*>(GlobalLock(handle));
  if (!dn) return false;
  names = FromDevNames(*dn);
  GlobalUnlock(handle);
  return true;
}

void Fail(HWND owner, const wchar_t* text) {
  FrameNotifier().Message(text, kAppTitle, kIconHand, reinterpret_cast<uintptr_t>(owner));
}

// A device context straight from the chosen printer, without a dialog.
HDC DcFromRecord() {
  DeviceNames names;
  if (!RecordNames(names) || !Record().hDevMode) return nullptr;
  const auto* dm = static_cast<const DEVMODEW*>(GlobalLock(Record().hDevMode));
  if (!dm) return nullptr;
  HDC dc = CreateDCW(names.driver.c_str(), names.device.c_str(), names.output.c_str(), dm);
  GlobalUnlock(Record().hDevMode);
  return dc;
}

// Takes the device context a dialog returned, so that the record holds none.
HDC TakeDc() {
  HDC dc = Record().hDC;
  Record().hDC = nullptr;
  return dc;
}

UINT_PTR CALLBACK PrintHook(HWND dialog, UINT message, WPARAM, LPARAM) {
  return Guarded(
      [&]() -> UINT_PTR {
        if (message != WM_INITDIALOG) return 0;
        const PrintDialogLook& look = NextPrintDialog();
        if (!look.title.empty()) SetWindowTextW(dialog, look.title.c_str());
        if (look.lockCopies) EnableWindow(GetDlgItem(dialog, edt3), FALSE);
        DialogReady(dialog);
        return TRUE;
      },
      [](GuardFailure) -> UINT_PTR { return 0; });
}

UINT_PTR CALLBACK SetupHook(HWND dialog, UINT message, WPARAM, LPARAM) {
  return Guarded(
      [&]() -> UINT_PTR {
        if (message == WM_INITDIALOG) DialogReady(dialog);
        return message == WM_INITDIALOG ? TRUE : 0;
      },
      [](GuardFailure) -> UINT_PTR { return 0; });
}

BOOL CALLBACK AbortProc(HDC, int) {
  return Guarded([] { return PumpAbortDialog() ? TRUE : FALSE; },
                 [](GuardFailure) { return TRUE; });
}

INT_PTR HandleAbortDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      SetFocus(GetDlgItem(dialog, IDCANCEL));
      DialogReady(dialog);
      return FALSE;  // the focus is set
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL) {
        JobState& job = Job();
        job.userAbort = true;
        if (job.abortDialog == dialog) job.abortDialog = nullptr;
        DestroyWindow(dialog);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

void SetDialogText(HWND dialog, int id, std::wstring text, size_t limit) {
  if (text.size() > limit) text.resize(limit);
  SetDlgItemTextW(dialog, id, text.c_str());
}

}  // namespace

PrintDialogLook& NextPrintDialog() { return Records().nextDialog; }

void SyncPrinterFromSettings(Viewer& app) {
  const PrinterSelection& printer = app.settings.printer;
  if (Same(printer, Synced())) return;
  FreeRecordHandles();
  PRINTDLGW& record = Record();
  if (printer.devMode) record.hDevMode = ToDevMode(*printer.devMode);
  if (printer.devNames) record.hDevNames = ToDevNames(*printer.devNames);
  Synced() = printer;
}

void SyncSettingsFromPrinter(Viewer& app) {
  PRINTDLGW& record = Record();
  PrinterSelection selection;
  if (record.hDevMode) {
    if (const auto* dm = static_cast<const DEVMODEW*>(GlobalLock(record.hDevMode))) {
      selection.devMode = FromDevMode(*dm);
      GlobalUnlock(record.hDevMode);
    }
  }
  DeviceNames names;
  if (RecordNames(names)) selection.devNames = names;
  app.settings.printer = selection;
  Synced() = selection;
}

void ForgetPrinter(Viewer& app) {
  FreeRecordHandles();
  app.settings.printer = PrinterSelection{};
  Synced() = PrinterSelection{};
}

namespace {

bool& BetweenPasses() { return Records().betweenPasses; }

}  // namespace

bool PrintJobActive() { return Job().active || BetweenPasses(); }

BetweenPrintPasses::BetweenPrintPasses() { BetweenPasses() = true; }
BetweenPrintPasses::~BetweenPrintPasses() { BetweenPasses() = false; }

bool HoldCloseWhilePrinting(HWND window) {
  if (!Job().active) return false;
  Job().closeHeld = window;
  return true;
}

bool PrintCancelled() { return Job().userAbort; }

void ShowPrintProgress(std::wstring_view text) {
  JobState& job = Job();
  // The same line again (a page whose skipped lines keep the dialog
  // answering) is not drawn again.
  if (job.abortDialog && text != job.progress) {
    job.progress = text;
    SetDialogText(job.abortDialog, IDC_ABORT_PROGRESS, job.progress, 63);
  }
}

bool PumpAbortDialog() {
  JobState& job = Job();
  // A wait of no time lets input that the window system holds reach the
  // queue: some systems deliver it only while the thread waits, and a job
  // that pumps between its steps never waits.
  MsgWaitForMultipleObjectsEx(0, nullptr, 0, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  MSG message;
  while (!job.userAbort && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // The program is ending: stop the job and let the loop see the quit.
      PostQuitMessage(static_cast<int>(message.wParam));
      job.userAbort = true;
      break;
    }
    if (message.message == WM_CLOSE && message.hwnd && message.hwnd == job.owner) {
      job.closeHeld = message.hwnd;
      continue;
    }
    if (job.abortDialog && IsDialogMessageW(job.abortDialog, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return !job.userAbort;
}

HDC StartPrintJob(HWND owner, const JobStart& start, ChosenRange& chosen) {
  Viewer& app = ViewerOf(owner);
  JobState& job = Job();
  if (job.active) return nullptr;
  SyncPrinterFromSettings(app);
  PRINTDLGW& record = Record();
  HDC dc = nullptr;
  if (start.noDialog && record.hDevMode && record.hDevNames) dc = DcFromRecord();

  record.lStructSize = sizeof record;
  record.hwndOwner = owner;
  record.lpfnPrintHook = PrintHook;
  const DWORD selection = start.selectionAvailable ? PD_SELECTION : PD_NOSELECTION;
  if (start.noDialog && !dc && !record.hDevMode && !record.hDevNames) {
    record.Flags = PD_RETURNDC | PD_RETURNDEFAULT;
    if (PrintDlgW(&record)) {
      dc = TakeDc();
      SyncSettingsFromPrinter(app);
    }
  }
  chosen = ChosenRange{};
  if (!dc) {
    record.nMinPage = 0;
    record.nMaxPage = 0xFFFF;
    record.nFromPage =
        start.fromPage > 0 ? static_cast<WORD>(std::min(start.fromPage, 0xFFFE)) : 0xFFFF;
    record.nToPage = start.toPage < 0xFFFF ? static_cast<WORD>(start.toPage) : 0xFFFF;
    record.Flags = PD_RETURNDC | PD_ENABLEPRINTHOOK | PD_USEDEVMODECOPIESANDCOLLATE | selection;
    if (!PrintDlgW(&record)) {
      const DWORD code = CommDlgExtendedError();
      if (code != 0) {
        wchar_t text[160];
        std::swprintf(text, 160,
                      L"A printer definition changed or is invalid [%lX].\n\nUse File/Print "
                      L"Setup to pick a new printer.",
                      static_cast<unsigned long>(code));
        Fail(owner, text);
      }
      return nullptr;
    }
    dc = TakeDc();
    SyncSettingsFromPrinter(app);
    chosen.shown = true;
    if (record.Flags & PD_PAGENUMS) {
      chosen.choice = RangeChoice::kPages;
      chosen.from = record.nFromPage == 0xFFFF ? 0 : record.nFromPage;
      chosen.to = record.nToPage == 0xFFFF ? kNoPageLimit : record.nToPage;
    } else if (record.Flags & PD_SELECTION) {
      chosen.choice = RangeChoice::kSelection;
    }
  }
  if (!dc) return nullptr;

  job = JobState{};
  job.dc = dc;
  job.active = true;
  job.owner = owner;
  job.ownerWasDisabled = !IsWindowEnabled(owner);
  DOCINFOW document{};
  document.cbSize = sizeof document;
  document.lpszDocName = start.documentName.c_str();
  SetLastError(0);
  const int started = StartDocW(dc, &document);
  if (started <= 0) {
    const bool cancelled = started == kSpoolUserAbort || GetLastError() == ERROR_CANCELLED;
    if (!cancelled) Fail(owner, L"Cannot initialize document printing!");
    EndPrintJob(owner, dc, true);
    return nullptr;
  }
  job.documentStarted = true;
  if (SetAbortProc(dc, AbortProc) <= 0) {
    Fail(owner, L"Cannot set abort procedure!");
    EndPrintJob(owner, dc, true);
    return nullptr;
  }
  job.abortDialog = CreateDialogParamW(Instance(), L"AbortPrintDlg", owner,
                                       &GuardedDialogProc<HandleAbortDialog>, 0);
  if (!job.abortDialog) {
    Fail(owner, L"Cannot create information window!");
    EndPrintJob(owner, dc, true);
    return nullptr;
  }
  SetDialogText(job.abortDialog, IDC_ABORT_FILE, L"Printing " + start.documentName, 255);
  DeviceNames names;
  SetDialogText(job.abortDialog, IDC_ABORT_PRINTER,
                RecordNames(names)
                    ? L"on the \"" + names.device + L"\"\r\n on \"" + names.output + L"\""
                    : std::wstring(L"(unknown printer) on (unknown)"),
                255);
  ShowWindow(job.abortDialog, SW_SHOWNORMAL);
  UpdateWindow(job.abortDialog);
  EnableWindow(owner, FALSE);
  return dc;
}

bool EndPrintJob(HWND owner, HDC dc, bool abandon) {
  JobState& job = Job();
  if (!job.ownerWasDisabled) EnableWindow(owner, TRUE);
  bool ended = true;
  if (dc) {
    if (job.documentStarted) {
      if (abandon) {
        AbortDoc(dc);
      } else {
        ended = EndDoc(dc) > 0;
      }
    }
    DeleteDC(dc);
  }
  if (job.abortDialog) DestroyWindow(job.abortDialog);
  HWND close = job.closeHeld;
  job = JobState{};
  if (close) PostMessageW(close, WM_CLOSE, 0, 0);
  return ended;
}

void PrintSetupCommand(HWND owner) {
  Viewer& app = ViewerOf(owner);
  if (Job().active) {
    FrameNotifier().Beep(kIconExclamation);
    return;
  }
  SyncPrinterFromSettings(app);
  PRINTDLGW& record = Record();
  record.lStructSize = sizeof record;
  record.hwndOwner = owner;
  record.lpfnSetupHook = SetupHook;
  // Some systems call the print hook for the setup form too.
  record.lpfnPrintHook = SetupHook;
  constexpr DWORD kSetupFlags =
      PD_PRINTSETUP | PD_USEDEVMODECOPIESANDCOLLATE | PD_ENABLESETUPHOOK | PD_ENABLEPRINTHOOK;
  record.Flags = kSetupFlags;
  if (PrintDlgW(&record)) {
    if (HDC dc = TakeDc()) DeleteDC(dc);
    SyncSettingsFromPrinter(app);
    return;
  }
  DWORD code = CommDlgExtendedError();
  if (code == 0) return;
  if (record.hDevMode || record.hDevNames) {
    // A printer that went away: start again from the default one.
    ForgetPrinter(app);
    record.Flags = kSetupFlags;
    if (PrintDlgW(&record)) {
      if (HDC dc = TakeDc()) DeleteDC(dc);
      SyncSettingsFromPrinter(app);
      return;
    }
    code = CommDlgExtendedError();
    if (code == 0) return;
  }
  wchar_t text[64];
  std::swprintf(text, 64, L"Common dialog error: 0x%lX", static_cast<unsigned long>(code));
  Fail(owner, text);
}

WindowPrintHost::WindowPrintHost(HWND owner) : owner_(owner) {}

WindowPrintHost::~WindowPrintHost() {
  if (surface_) EndJob(true);
}

PrintSurface* WindowPrintHost::StartJob(const JobStart& job, ChosenRange& chosen) {
  HDC dc = StartPrintJob(owner_, job, chosen);
  if (!dc) return nullptr;
  surface_ = MakeDcSurface(dc, ViewerOf(owner_).settings.globals.ProgressDelay);
  return surface_.get();
}

bool WindowPrintHost::EndJob(bool abandon) {
  // The surface lets go of its fonts before the device context goes.
  surface_.reset();
  return EndPrintJob(owner_, Job().dc, abandon);
}

LocalTime WindowPrintHost::Now() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute};
}

namespace {

// The "intl" section of the system profile.
class IntlSource : public RegionalSource {
 public:
  int32_t Int(const wchar_t* key, int32_t fallback) override {
    return static_cast<int32_t>(GetProfileIntW(L"intl", key, fallback));
  }
  std::wstring Text(const wchar_t* key, const wchar_t* fallback, size_t capacity) override {
    std::vector<wchar_t> buffer(capacity, L'\0');
    const DWORD length =
        GetProfileStringW(L"intl", key, fallback, buffer.data(), static_cast<DWORD>(capacity));
    return std::wstring(buffer.data(), length);
  }
};

}  // namespace

RegionalSettings WindowPrintHost::Regional() {
  IntlSource source;
  return LoadRegionalSettings(source);
}

}  // namespace zorvo
