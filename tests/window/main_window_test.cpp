// The main window: start-up, opening and closing files, the display format
// commands, the positioning messages and the error report.
#include <windows.h>
// After windows.h, which they need.
#include <dlgs.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <vector>

#include "viewer/file/search.h"
#include "viewer/frame/win32/dialogs.h"
#include "viewer/frame/win32/find_dialogs.h"
#include "window_fixture.h"

namespace zorvo {
namespace {

class MainWindow : public WindowTest {};

TEST_F(MainWindow, StartupSwitchesAndTheSetup) {
  Start("\"my file.txt\" -w second.txt -Vdaily/W",
        {{{L"Setup: daily", L"Options0", L"1"}}, {{L"Setup: daily", L"MaxLineLength", L"77"}}},
        true);
  const CommandLine& line = app().startup.commandLine;
  EXPECT_EQ(line.startupFile, L"my file.txt") << "the name keeps its space; a second is ignored";
  EXPECT_EQ(app().settings.options.MaxLineLength, 77) << "the setup is loaded";
  EXPECT_EQ(app().settings.options.CurrentOptions & kOptWrap, 0u)
      << "-w wins, the /W after the name is skipped";
  EXPECT_EQ(app().settings.setups.CurrentSetup, L"Setup: daily");

  Start("-TH", {}, true);
  EXPECT_EQ(app().settings.options.Format, kFormatHex);
  Start("-RH", {}, true);
  EXPECT_EQ(app().settings.options.Format, kFormatRaw);
}

TEST_F(MainWindow, OpeningAndClosingAFile) {
  Start();
  EXPECT_EQ(Title(), L"Tessary");
  const std::wstring path = MakeFile(100);
  const auto before = std::filesystem::last_write_time(path);
  Open(path);
  const std::wstring name = std::filesystem::path(path).filename().wstring();
  EXPECT_EQ(Title(), name + L" - Tessary");
  EXPECT_EQ(Top(), "line 0");
  EXPECT_EQ(app().doc.screen.Alast - app().doc.screen.Afirst, 100);
  EXPECT_EQ(app().settings.recentFiles.count, 1);
  app().doc.tags.count = 3;

  Command(IDM_CLOSE);
  EXPECT_EQ(Title(), L"Tessary");
  EXPECT_TRUE(app().doc.file.path.empty());
  EXPECT_EQ(app().doc.tags.count, 0u) << "closing clears the marks";
  EXPECT_EQ(std::filesystem::last_write_time(path), before) << "the viewed file is never written";
}

// The Open dialog that a start-up file which does not exist brings up: its
// title and the name in its file name box, seen from a timer that runs in
// the dialog's own message loop and then cancels it.
struct SeenDialog {
  int shown = 0;
  std::wstring title, name;
};
SeenDialog seenOpen;
void CALLBACK CancelOpenDialog(HWND, UINT, UINT_PTR, DWORD) {
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND top, LPARAM) -> BOOL {
        wchar_t kind[16] = {};
        GetClassNameW(top, kind, 16);
        if (std::wstring(kind) != L"#32770" || !IsWindowVisible(top)) return TRUE;
        wchar_t text[MAX_PATH] = {};
        GetWindowTextW(top, text, MAX_PATH);
        seenOpen.title = text;
        text[0] = 0;
        // The box is a combo box in the Explorer style, an edit box otherwise.
        if (!GetDlgItemTextW(top, cmb13, text, MAX_PATH)) GetDlgItemTextW(top, edt1, text, MAX_PATH);
        seenOpen.name = text;
        ++seenOpen.shown;
        PostMessageW(top, WM_COMMAND, IDCANCEL, 0);
        return FALSE;
      },
      0);
}

TEST_F(MainWindow, StartupOpenOfAMissingFileAsksAndCloses) {
  const std::wstring folder = std::filesystem::temp_directory_path().wstring();
  const std::wstring missing = folder + L"\\nothing here.txt";
  const std::string line = "\"" + std::string(missing.begin(), missing.end()) + "\"";
  Start(line.c_str(), {}, true);
  ASSERT_EQ(app().startup.commandLine.startupFile, missing);

  // As the viewer starts on it: the Open dialog offers the missing name,
  // and its Cancel closes the window, which ends the program.
  seenOpen = {};
  const UINT_PTR timer = SetTimer(nullptr, 0, 200, CancelOpenDialog);
  SendMessageW(window, UM_STARTUP_OPEN, 0, reinterpret_cast<LPARAM>(missing.c_str()));
  KillTimer(nullptr, timer);
  EXPECT_EQ(seenOpen.shown, 1) << "no Open dialog for a start-up file that does not exist";
  EXPECT_EQ(seenOpen.title, L"Open");
  EXPECT_EQ(seenOpen.name, L"nothing here.txt");
  bool quit = false;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!quit && std::chrono::steady_clock::now() < end) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        quit = true;
        break;
      }
      DispatchMessageW(&message);
    }
    if (!quit) MsgWaitForMultipleObjectsEx(0, nullptr, 50, QS_ALLINPUT, 0);
  }
  EXPECT_TRUE(quit) << "the program does not end after Cancel";
  EXPECT_FALSE(IsWindow(window)) << "the window is still there after Cancel";
  if (!IsWindow(window)) shared = window = nullptr;  // the next test makes its own

  // Sent without the dialog, a name that does not exist reports 0, one that
  // does opens it, and a folder is ignored.
  Start();
  EXPECT_EQ(SendMessageW(window, UM_OPEN_IF_EXISTS, 0, reinterpret_cast<LPARAM>(missing.c_str())),
            0);
  const std::wstring path = MakeFile(3);
  EXPECT_EQ(SendMessageW(window, UM_OPEN_IF_EXISTS, 0, reinterpret_cast<LPARAM>(path.c_str())), 1);
  EXPECT_EQ(app().doc.file.path, path);
  SendMessageW(window, UM_OPEN_PATH, 0, reinterpret_cast<LPARAM>(folder.c_str()));
  EXPECT_EQ(app().doc.file.path, path);
}

TEST_F(MainWindow, EachFormatKeepsItsOwnWrap) {
  Start();
  Open(MakeFile(10));
  Command(IDM_HEX);
  EXPECT_EQ(app().settings.options.Format, kFormatHex);
  const uint32_t textWord = app().settings.options.Options[kFormatText];
  const uint32_t hexWrap = app().settings.options.CurrentOptions & kOptWrap;
  Command(IDM_WRAP);
  EXPECT_NE(app().settings.options.CurrentOptions & kOptWrap, hexWrap);
  EXPECT_EQ(app().settings.options.Options[kFormatHex], app().settings.options.CurrentOptions);
  EXPECT_EQ(app().settings.options.Options[kFormatText], textWord) << "the Text word is untouched";
  Command(IDM_TEXT);
  EXPECT_EQ(app().settings.options.CurrentOptions, textWord);
  EXPECT_EQ(Top(), "line 0");
}

TEST_F(MainWindow, LineMovesAtBothEnds) {
  Start();
  Open(MakeFile(5000));
  Scroll(-1);
  EXPECT_EQ(Top(), "line 0") << "line up at the top does nothing";
  for (int i = 1; i <= 3000; i += 997) {
    Scroll(997);
    EXPECT_EQ(Top(), "line " + std::to_string(i + 996)) << "scrolling past the table continues";
  }
  SendMessageW(window, WM_VSCROLL, SB_BOTTOM, 0);
  Pump();
  EXPECT_EQ(Top(), "line 4999");
  const int32_t before = app().doc.screen.Acur;
  Scroll(1);
  EXPECT_EQ(Top(), "line 4999") << "line down on the last line stays";
  EXPECT_EQ(app().doc.screen.Acur, before);
}

TEST_F(MainWindow, GoToAnOffset) {
  Start();
  const std::wstring path = MakeFile(20000);
  Open(path);
  // "line 9\r\n" is 8 bytes, "line 10\r\n" to "line 99\r\n" 9 bytes each.
  const int64_t line50 = 10 * 8 + 40 * 9;
  const int64_t table = app().doc.screen[app().doc.screen.Alast].offset;
  PositionOutcome inside = PositionView(window, PositionKind::kGotoOffset, line50 + 3);
  EXPECT_FALSE(inside.rebuilt) << "inside the table: a move";
  EXPECT_EQ(Top(), "line 50");
  PositionOutcome outside = PositionView(window, PositionKind::kGotoOffset, table + 100000);
  EXPECT_TRUE(outside.rebuilt);
  EXPECT_LE(app().doc.screen[app().doc.screen.Acur].offset, table + 100000);
  EXPECT_GT(app().doc.screen[app().doc.screen.Acur + 1].offset, table + 100000);
}

TEST_F(MainWindow, OneLineScrollMovesPixelsAPageRepaints) {
  Start();
  Open(MakeFile(300));
  UpdateWindow(window);
  const PositionOutcome one = PositionView(window, PositionKind::kScrollLines, 1);
  EXPECT_EQ(one.repaint, Repaint::kScrollUp);
  UpdateWindow(window);
  const PositionOutcome back = PositionView(window, PositionKind::kScrollLines, -1);
  EXPECT_EQ(back.repaint, Repaint::kScrollDown);
  UpdateWindow(window);
  const PositionOutcome page = PositionView(window, PositionKind::kScrollLines, 10);
  EXPECT_EQ(page.repaint, Repaint::kFull);
}

TEST_F(MainWindow, AFailedReadShowsTheReportAndHomeGoesBack) {
  Start();
  const std::wstring path = MakeFile(50);
  Open(path);
  // The file disappears; the next rebuild cannot read it.
  const std::wstring moved = path + L".away";
  ASSERT_TRUE(MoveFileW(path.c_str(), moved.c_str()));
  files.push_back(moved);
  PositionView(window, PositionKind::kGotoOffsetReload, 100);
  ASSERT_EQ(app().doc.screen.Alast, 10) << "ten report lines";
  EXPECT_EQ(Top(), "*****************************************");
  ASSERT_EQ(notifier.shown.size(), 1u);
  EXPECT_NE(notifier.shown[0].text.find(L"Cannot open"), std::wstring::npos);
  ASSERT_TRUE(MoveFileW(moved.c_str(), path.c_str()));
  SendMessageW(window, WM_VSCROLL, SB_TOP, 0);
  Pump();
  EXPECT_EQ(Top(), "line 0");
}

// A drop as the shell sends it: WM_DROPFILES with a global block that holds
// a DROPFILES header and the names, each ended by a null, the list by one
// more. The window frees it with DragFinish.
HDROP DropOf(const std::vector<std::wstring>& names) {
  std::wstring list;
  for (const auto& name : names) list += name + L'\0';
  list += L'\0';
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT,
                              sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
  auto* header = static_cast<DROPFILES*>(GlobalLock(block));
  header->pFiles = sizeof(DROPFILES);
  header->fWide = TRUE;
  std::copy(list.begin(), list.end(), reinterpret_cast<wchar_t*>(header + 1));
  GlobalUnlock(block);
  return static_cast<HDROP>(block);
}

TEST_F(MainWindow, DroppedAndRecentFilesOpen) {
  Start();
  EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) << "the window takes no drops";
  const std::wstring first = MakeFile(5, "first ");
  const std::wstring second = MakeFile(5, "second ");
  // Of several files dropped, only the first opens.
  HDROP drop = DropOf({first, second});
  wchar_t checked[MAX_PATH] = {};
  ASSERT_EQ(DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0), 2u);
  ASSERT_GT(DragQueryFileW(drop, 1, checked, MAX_PATH), 0u);
  ASSERT_EQ(checked, second) << "the drop is not laid out as the shell lays it out";
  SendMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
  Pump();
  EXPECT_EQ(app().doc.file.path, first);
  EXPECT_EQ(Top(), "first 0");
  EXPECT_EQ(Title(), std::filesystem::path(first).filename().wstring() + L" - Tessary");
  SendMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(DropOf({second})), 0);
  Pump();
  EXPECT_EQ(app().doc.file.path, second);
  EXPECT_EQ(Top(), "second 0");
  // Both are in the recent list, newest first; its second entry opens the first.
  EXPECT_EQ(app().settings.recentFiles.count, 2);
  Command(IDM_RECENT + 1);  // the older of the two
  EXPECT_EQ(app().doc.file.path, first);
  EXPECT_EQ(Top(), "first 0");
}

// The window is made where the profile's WindowPos (top, left, height,
// width) says; the lowest integer in a place lets the system choose it.
TEST_F(MainWindow, TheWindowIsMadeAtItsSavedPlace) {
  Start("", {{L"Tessary", L"WindowPos", L"40,30,300,420"}}, true);
  ASSERT_EQ(app().settings.options.WindowPos, (std::array<int32_t, 4>{40, 30, 300, 420}));
  DestroyWindow(window);
  shared = window = nullptr;
  Pump();
  window = shared = CreateMainWindow(app(), Instance());
  ASSERT_NE(window, nullptr);
  RECT rect{};
  GetWindowRect(window, &rect);
  EXPECT_EQ(rect.left, 30);
  EXPECT_EQ(rect.top, 40);
  EXPECT_EQ(rect.right - rect.left, 420);
  EXPECT_EQ(rect.bottom - rect.top, 300);

  Start("", {{L"Tessary", L"WindowPos", L"-2147483648,-2147483648,-2147483648,-2147483648"}}, true);
  DestroyWindow(window);
  shared = window = nullptr;
  Pump();
  window = shared = CreateMainWindow(app(), Instance());
  ASSERT_NE(window, nullptr);
  GetWindowRect(window, &rect);
  EXPECT_GT(rect.right - rect.left, 0) << "the system's default size";
  EXPECT_GT(rect.bottom - rect.top, 0);
}

TEST_F(MainWindow, ZoomStepsChangeTheLineHeight) {
  Start();
  const int32_t height = app().doc.view.lineHeight;
  Command(IDM_ZOOMIN);
  Command(IDM_ZOOMIN);
  Command(IDM_ZOOMIN);
  EXPECT_EQ(app().doc.view.zoomSteps, 3);
  EXPECT_GT(app().doc.view.lineHeight, height);
  Command(IDM_ZOOMRESET);
  EXPECT_EQ(app().doc.view.lineHeight, height);
}

TEST_F(MainWindow, AlwaysOnTopTogglesTheTopmostBand) {
  Start();
  Command(IDM_ONTOP);
  EXPECT_TRUE(app().doc.view.alwaysOnTop);
  EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
  Command(IDM_ONTOP);
  EXPECT_FALSE(app().doc.view.alwaysOnTop);
  EXPECT_FALSE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
  Command(IDM_ONTOPON);
  Command(IDM_ONTOPON);
  EXPECT_TRUE(app().doc.view.alwaysOnTop) << "316 only switches it on";
  Command(IDM_ONTOP);
}

// Every command the command table marks as needing a file, given without
// one, over a state each of them would change were it to run: a selection,
// marks, a search ready to go, and hooks that see any dialog opening.
TEST_F(MainWindow, CommandsNeedingAFileDoNothingWithoutOne) {
  Start();
  // A window made afresh (when the test before it ended the last one) has
  // a title table from its creation; without one, a Freeze Title that ran
  // would show.
  app().doc.titles.reset();
  static int dialogs = 0;
  auto refuse = [&](HWND dialog) {
    ++dialogs;
    EndDialog(dialog, 0);
  };
  FindDialogHook() = refuse;
  SetDialogInitHook(refuse);
  const int commands[] = {103, 106, 109, 110, 111, 112, 113, 131, 132, 133, 134, 135,
                          136, 137, 151, 152, 153, 154, 155, 171, 172, 173, 174};
  for (const int id : commands) {
    SCOPED_TRACE(id);
    dialogs = 0;
    const Selection selection{0, 20, 0, 10};
    app().doc.view.selection = selection;
    app().doc.tags.count = 0;
    AddTag(app().doc.tags, 0, kUserMark);
    app().search.pattern = "x";
    app().search.flags = kSearchDefined;
    Command(id);
    EXPECT_EQ(dialogs, 0);
    EXPECT_TRUE(notifier.beeps.empty());
    EXPECT_EQ(app().doc.view.selection.start, selection.start);
    EXPECT_EQ(app().doc.view.selection.end, selection.end);
    EXPECT_EQ(app().doc.tags.count, 1u);
    EXPECT_EQ(app().doc.titles, nullptr);
    EXPECT_EQ(Title(), L"Tessary");
  }
  FindDialogHook() = nullptr;
  SetDialogInitHook({});
  app().doc.tags.count = 0;
  app().search = SearchState{};
}

}  // namespace
}  // namespace zorvo
