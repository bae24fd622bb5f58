// The print commands of the real main window on Wine's PostScript driver:
// two printers of the test's own, each writing every job to its own file.
#include <windows.h>
// After windows.h, which they need.
#include <commdlg.h>
#include <dlgs.h>
#include <winspool.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "file_printer.h"
#include "viewer/frame/win32/dialogs.h"
#include "viewer/print/win32/print_job.h"
#include "viewer/settings/printer_settings.h"
#include "window_fixture.h"

namespace zorvo {
namespace {

std::wstring TextOf(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return text;
}

class PrintWindow : public WindowTest {
 protected:
  static void SetUpTestSuite() {
    WindowTest::SetUpTestSuite();
    folder = std::filesystem::temp_directory_path() /
             ("zorvo print " + std::to_string(GetCurrentProcessId()));
    std::filesystem::create_directories(folder);
    wchar_t name[256] = {};
    DWORD size = 256;
    if (GetDefaultPrinterW(name, &size)) formerDefault = name;
    // A run that was stopped before its end left one of its own printers as
    // the default: the prefix's own printer is put back in its place.
    if (formerDefault == kPrinterA || formerDefault == kPrinterB) {
      formerDefault = L"Zorvo PostScript";
    }
    for (const wchar_t* printer : {kPrinterA, kPrinterB}) {
      std::wstring step;
      const unsigned long failed = AddFilePrinter(printer, OutputOf(printer).wstring(), &step);
      ASSERT_EQ(failed, 0u) << "adding a printer: " << std::string(step.begin(), step.end());
    }
  }
  static void TearDownTestSuite() {
    for (const wchar_t* printer : {kPrinterA, kPrinterB}) {
      HANDLE handle = nullptr;
      PRINTER_DEFAULTSW access{nullptr, nullptr, PRINTER_ALL_ACCESS};
      if (OpenPrinterW(const_cast<wchar_t*>(printer), &handle, &access)) {
        DeletePrinter(handle);
        ClosePrinter(handle);
      }
    }
    if (!formerDefault.empty()) SetDefaultPrinterW(formerDefault.c_str());
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    ForgetPrinter(Parked());
    WindowTest::TearDownTestSuite();
  }

  // A dialog that nothing closes within 20 seconds is cancelled, so that a
  // test fails instead of hanging.
  static void CALLBACK CloseStuckDialogs(HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND top, LPARAM) -> BOOL {
          wchar_t name[16] = {};
          GetClassNameW(top, name, 16);
          if (std::wstring(name) == L"#32770" && IsWindowVisible(top)) {
            PostMessageW(top, WM_COMMAND, IDCANCEL, 0);
          }
          return TRUE;
        },
        0);
  }

  void SetUp() override {
    WindowTest::SetUp();
    watchdog = SetTimer(nullptr, 0, 20000, CloseStuckDialogs);
    Start();
    ForgetPrinter(app());
    MakeDefaultPrinter(kPrinterA);
    for (const wchar_t* printer : {kPrinterA, kPrinterB}) {
      std::error_code ignored;
      std::filesystem::remove(OutputOf(printer), ignored);
    }
  }
  void TearDown() override {
    SetDialogInitHook({});
    KillTimer(nullptr, watchdog);
    WindowTest::TearDown();
  }

  static std::filesystem::path OutputOf(const wchar_t* printer) {
    return folder / (std::wstring(printer) + L".ps");
  }
  // The pages of the last job the printer wrote; -1 when there is none.
  static int PagesOf(const wchar_t* printer) {
    std::ifstream in(OutputOf(printer), std::ios::binary);
    if (!in) return -1;
    std::stringstream text;
    text << in.rdbuf();
    const std::string ps = text.str();
    int pages = 0;
    for (size_t at = ps.find("\n%%Page: "); at != std::string::npos;
         at = ps.find("\n%%Page: ", at + 1)) {
      ++pages;
    }
    return pages;
  }

  // A print file of `pages` pages of 40 lines each, every page starting
  // with a form feed after the first.
  std::wstring PrintFile(int pages) {
    std::string bytes;
    for (int p = 1; p <= pages; ++p) {
      for (int line = 1; line <= 40; ++line) {
        bytes += (line == 1 && p > 1 ? "\f" : "") + std::string("page ") + std::to_string(p) +
                 " line " + std::to_string(line) + "\r\n";
      }
    }
    const std::wstring path = MakeFile(0);
    std::ofstream(std::filesystem::path(path), std::ios::binary) << bytes;
    return path;
  }
  void OpenPrintFile(int pages) {
    Open(PrintFile(pages));
    app().settings.pageSetup = PageSetup{};
    app().settings.pageSetup.PrintOptions |= 0x100;  // eject on form feeds
  }
  void Print(int id, LPARAM lParam = 1) {
    SendMessageW(window, WM_COMMAND, id, lParam);
    Pump();
  }
  std::vector<std::wstring> Shown() const {
    std::vector<std::wstring> out;
    for (const auto& s : notifier.shown) out.push_back(s.caption + L": " + s.text);
    return out;
  }

  UINT_PTR watchdog = 0;
  static constexpr wchar_t kPrinterA[] = L"Zorvo Test A";
  static constexpr wchar_t kPrinterB[] = L"Zorvo Test B";
  static inline std::filesystem::path folder;
  static inline std::wstring formerDefault;
};

TEST_F(PrintWindow, PrintCommandsWithoutADialog) {
  struct Case {
    const char* what;
    int id;
    int scrollLines;
    std::vector<int> tagLines;  // of the 40 on each page, on page 1
    int pages;
  };
  const Case cases[] = {
      {"the whole file (the DDE Print)", IDM_PRINTALL, 0, {}, 3},
      {"Print with lParam 1", IDM_PRINT, 0, {}, 3},
      {"one page from the top line", IDM_PRINTPAGE, 45, {}, 1},
      {"the tagged lines", IDM_PRINTTAGSNOW, 0, {3, 50, 90}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    OpenPrintFile(3);
    Scroll(c.scrollLines);
    for (int line : c.tagLines) {
      AddTag(app().doc.tags, app().doc.screen[line].offset, kUserMark);
    }
    Print(c.id);
    EXPECT_EQ(PagesOf(kPrinterA), c.pages);
    EXPECT_TRUE(IsWindowEnabled(window));
    EXPECT_EQ(FindWindowW(nullptr, L"Printing File"), nullptr) << "the abort dialog is gone";
    EXPECT_EQ(Shown(), std::vector<std::wstring>{});
    std::filesystem::remove(OutputOf(kPrinterA));
  }
  // Without a file nothing happens.
  SendMessageW(window, WM_COMMAND, IDM_CLOSE, 0);
  Print(IDM_PRINTALL);
  EXPECT_EQ(PagesOf(kPrinterA), -1);
  EXPECT_EQ(Shown(), std::vector<std::wstring>{});
}

// Watches the abort dialog's progress line: `onProgress` sees each text
// set there, with the dialog.
using ProgressWatch = std::function<void(HWND dialog, const std::wstring& text)>;
ProgressWatch watch;
WNDPROC staticProc = nullptr;

LRESULT CALLBACK WatchProgress(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETTEXT && watch && lParam) {
    watch(GetParent(control), reinterpret_cast<const wchar_t*>(lParam));
  }
  return CallWindowProcW(staticProc, control, message, wParam, lParam);
}

// True for the abort dialog, whose progress line is then watched.
bool WatchedAbortDialog(HWND dialog) {
  if (TextOf(dialog) != L"Printing File") return false;
  HWND line = GetDlgItem(dialog, IDC_ABORT_PROGRESS);
  staticProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(line, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchProgress)));
  return true;
}

void WatchAbortDialog(ProgressWatch onProgress) {
  watch = std::move(onProgress);
  SetDialogInitHook([&](HWND dialog) { WatchedAbortDialog(dialog); });
}

TEST_F(PrintWindow, TheAbortDialogShowsTheJobAndCancelEndsIt) {
  OpenPrintFile(3);
  std::vector<std::wstring> lines;
  WatchAbortDialog([&](HWND dialog, const std::wstring& text) {
    if (lines.empty()) {
      lines.push_back(TextOf(GetDlgItem(dialog, IDC_ABORT_FILE)));
      lines.push_back(TextOf(GetDlgItem(dialog, IDC_ABORT_PRINTER)));
    }
    lines.push_back(text);
    if (text == L"Printing page 2") PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  Print(IDM_PRINTALL);
  const std::wstring name = std::filesystem::path(app().doc.file.path).filename().wstring();
  EXPECT_EQ(lines, (std::vector<std::wstring>{
                       L"Printing " + name,
                       L"on the \"Zorvo Test A\"\r\n on \"" + OutputOf(kPrinterA).wstring() + L"\"",
                       L"Printing page 1", L"Printing page 2"}));
  // A cancelled job is thrown away by the spooler; it never has all pages.
  EXPECT_LT(PagesOf(kPrinterA), 3);
  EXPECT_TRUE(IsWindowEnabled(window));
  EXPECT_EQ(FindWindowW(nullptr, L"Printing File"), nullptr);
  EXPECT_EQ(Shown(), std::vector<std::wstring>{}) << "a cancel is not an error";
  // The next job runs as usual.
  SetDialogInitHook({});
  Print(IDM_PRINTALL);
  EXPECT_EQ(PagesOf(kPrinterA), 3);
}

// Closing the window while a job prints (its close box, then a WM_CLOSE
// from another program) waits for the job: every page is printed, then
// the window closes.
TEST_F(PrintWindow, ClosingTheWindowDuringAJobClosesItAfterTheJob) {
  OpenPrintFile(3);
  HWND owner = window;
  bool stillThere = true;
  WatchAbortDialog([&](HWND, const std::wstring& text) {
    if (text == L"Printing page 1") PostMessageW(owner, WM_SYSCOMMAND, SC_CLOSE, 0);
    if (text == L"Printing page 2") PostMessageW(owner, WM_CLOSE, 0, 0);
    if (text == L"Printing page 3") stillThere = IsWindow(owner) && IsWindowVisible(owner);
  });
  SendMessageW(window, WM_COMMAND, IDM_PRINTALL, 1);
  EXPECT_TRUE(stillThere) << "the window closed in the middle of its job";
  EXPECT_EQ(PagesOf(kPrinterA), 3) << "the job was not printed whole";
  EXPECT_EQ(Shown(), std::vector<std::wstring>{});
  // The close held during the job comes now.
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (IsWindow(owner) && std::chrono::steady_clock::now() < end) {
    Pump();
    MsgWaitForMultipleObjectsEx(0, nullptr, 50, QS_ALLINPUT, 0);
  }
  EXPECT_FALSE(IsWindow(owner)) << "the window did not close after its job";
  if (!IsWindow(owner)) shared = window = nullptr;
}

TEST_F(PrintWindow, SidesPrintsEvenPagesThenOddPagesAfterThePrompt) {
  OpenPrintFile(3);
  std::vector<std::wstring> progress;
  WatchAbortDialog([&](HWND, const std::wstring& text) { progress.push_back(text); });
  Print(IDM_SIDES);
  EXPECT_EQ(progress, (std::vector<std::wstring>{L"Skipping page 1", L"Printing page 2",
                                                 L"Skipping page 3", L"Printing page 1",
                                                 L"Skipping page 2", L"Printing page 3"}));
  ASSERT_EQ(notifier.shown.size(), 1u);
  EXPECT_EQ(notifier.shown[0].caption, L"Printing Sides");
  EXPECT_EQ(notifier.beeps, (std::vector<uint32_t>{kIconExclamation})) << "a sound there is";
  EXPECT_EQ(notifier.shown[0].text,
            L"Zorvo finished printing even pages of your file.\nTo print odd pages feed the "
            L"paper back into the printer then press OK.\nTo cancel printing press Cancel.");
  EXPECT_EQ(PagesOf(kPrinterA), 2) << "the second pass is the last job";
}

// While the operator turns the paper over, the job still counts as running:
// DDE commands are answered busy and the odd pages come from the same tags.
TEST_F(PrintWindow, SidesCountsAsRunningWhileThePaperIsTurnedOver) {
  struct Prompt : RecordingNotifier {
    int Message(const std::wstring& text, const std::wstring& caption, uint32_t style,
                uintptr_t owner) override {
      runningMeanwhile = PrintJobActive();
      return RecordingNotifier::Message(text, caption, style, owner);
    }
    bool runningMeanwhile = false;
  } prompt;
  OpenPrintFile(3);
  SetFrameNotifier(&prompt);
  Print(IDM_SIDES);
  ASSERT_EQ(prompt.shown.size(), 1u);
  EXPECT_TRUE(prompt.runningMeanwhile);
  EXPECT_FALSE(PrintJobActive()) << "after the second pass";
}

// The print dialog as each command shows it; every one is cancelled.
TEST_F(PrintWindow, ThePrintDialogOfEachCommand) {
  struct Seen {
    std::wstring title;
    bool selectionEnabled = false;
    bool selectionChosen = false;
    bool copiesEnabled = false;
  };
  struct Case {
    const char* what;
    int id;
    bool select;
    Seen expected;
  };
  const Case cases[] = {
      {"Print without a selection", IDM_PRINT, false, {L"Print", false, false, true}},
      {"Print with a selection", IDM_PRINT, true, {L"Print", true, true, true}},
      {"Print Tags", IDM_PRINTTAGS, false, {L"Print Tags", false, false, true}},
      {"Print Sides", IDM_SIDES, false, {L"Print Sides", false, false, false}},
  };
  static Seen seen;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    OpenPrintFile(1);
    AddTag(app().doc.tags, 0, kUserMark);
    if (c.select) SendMessageW(window, WM_COMMAND, IDM_SELECTALL, 0);
    seen = Seen{};
    SetDialogInitHook([&](HWND dialog) {
      seen.title = TextOf(dialog);
      seen.selectionEnabled = IsWindowEnabled(GetDlgItem(dialog, rad2));
      seen.selectionChosen = IsDlgButtonChecked(dialog, rad2) == BST_CHECKED;
      seen.copiesEnabled = IsWindowEnabled(GetDlgItem(dialog, edt3));
      PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    Print(c.id, 0);
    EXPECT_EQ(seen.title, c.expected.title);
    EXPECT_EQ(seen.selectionEnabled, c.expected.selectionEnabled);
    EXPECT_EQ(seen.selectionChosen, c.expected.selectionChosen);
    EXPECT_EQ(seen.copiesEnabled, c.expected.copiesEnabled);
    EXPECT_EQ(PagesOf(kPrinterA), -1);
    EXPECT_EQ(Shown(), std::vector<std::wstring>{}) << "a cancelled dialog says nothing";
    EXPECT_TRUE(IsWindowEnabled(window));
  }
}

TEST_F(PrintWindow, ThePagesChosenInTheDialogArePrinted) {
  OpenPrintFile(3);
  std::vector<std::wstring> progress;
  WatchAbortDialog([&](HWND, const std::wstring& text) { progress.push_back(text); });
  SetDialogInitHook([&](HWND dialog) {
    if (WatchedAbortDialog(dialog)) return;
    SendDlgItemMessageW(dialog, rad3, BM_CLICK, 0, 0);
    SetDlgItemTextW(dialog, edt1, L"2");
    SetDlgItemTextW(dialog, edt2, L"3");
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  });
  Print(IDM_PRINT, 0);
  EXPECT_EQ(progress, (std::vector<std::wstring>{L"Skipping page 1", L"Printing page 2",
                                                 L"Printing page 3"}));
  EXPECT_EQ(PagesOf(kPrinterA), 2);
  EXPECT_EQ(Shown(), std::vector<std::wstring>{});
}

TEST_F(PrintWindow, ThePrinterOfPrintSetupComesBackInTheNextRun) {
  OpenPrintFile(1);
  MakeDefaultPrinter(kPrinterB);
  SetDialogInitHook([&](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDOK, 0); });
  Print(IDM_PRINTSETUP, 0);
  SetDialogInitHook({});
  ASSERT_TRUE(app().settings.printer.devNames);
  EXPECT_EQ(app().settings.printer.devNames->device, kPrinterB);
  ASSERT_EQ(SavePrinterSettings(app().settings, kPrintSetupSection), 1);
  EXPECT_EQ(app().settings.profile().GetText(kPrintSetupSection, L"PrtDevice", L"", 64), kPrinterB);
  EXPECT_EQ(app().settings.profile().GetText(kPrintSetupSection, L"PrtOutput", L"", 300),
            OutputOf(kPrinterB).wstring());

  // A new run: nothing chosen, another default printer, the profile read.
  ForgetPrinter(app());
  MakeDefaultPrinter(kPrinterA);
  LoadStartupSettings(app().settings, app().startup.commandLine);
  Print(IDM_PRINTPAGE);
  EXPECT_EQ(PagesOf(kPrinterB), 1);
  EXPECT_EQ(PagesOf(kPrinterA), -1);
  EXPECT_EQ(Shown(), std::vector<std::wstring>{});
}

TEST_F(PrintWindow, APrinterThatWentAway) {
  OpenPrintFile(1);
  app().settings.profile().backend().Write(kPrintSetupSection, L"PrtDevice", L"Zorvo Gone");
  app().settings.profile().backend().Write(kPrintSetupSection, L"PrtDriver", L"wineps.drv");
  app().settings.profile().backend().Write(kPrintSetupSection, L"PrtOutput", L"C:\\gone.ps");
  ASSERT_EQ(LoadPrinterSettings(app().settings, kPrintSetupSection), 1);
  // Printing without a dialog falls back to the dialog, which cannot use it.
  static std::vector<std::wstring> dialogs;
  dialogs.clear();
  SetDialogInitHook([&](HWND dialog) {
    dialogs.push_back(TextOf(dialog));
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  Print(IDM_PRINTPAGE);
  const std::vector<std::wstring> shown = Shown();
  ASSERT_EQ(shown.size() + dialogs.size(), 1u) << "a message or the dialog";
  if (!shown.empty()) {
    EXPECT_EQ(shown[0].rfind(L"Tessary: A printer definition changed or is invalid [", 0), 0u)
        << shown[0];
  }
  // Print Setup starts again from the default printer.
  notifier.shown.clear();
  SetDialogInitHook([&](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDOK, 0); });
  Print(IDM_PRINTSETUP, 0);
  ASSERT_TRUE(app().settings.printer.devNames);
  EXPECT_EQ(app().settings.printer.devNames->device, kPrinterA);
  EXPECT_EQ(Shown(), std::vector<std::wstring>{});
}

}  // namespace
}  // namespace zorvo
