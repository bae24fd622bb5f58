// The window stays usable whatever happens to it: an exception stops at the
// edge of its procedures, every way out of the program-error report reads
// the file again, a drag ends when another window takes the mouse, the
// horizontal thumb reaches any column, and names posted to it are its own.
#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "viewer/file/search.h"
#include "viewer/frame/error_report.h"
#include "viewer/frame/win32/dialogs.h"
#include "viewer/frame/win32/find_dialogs.h"
#include "window_fixture.h"

namespace zorvo {
namespace {

// Fails on its first beep, as an allocation inside a command would.
class FailingOnce : public RecordingNotifier {
 public:
  void Beep(uint32_t style) override {
    if (armed) {
      armed = false;
      throw std::bad_alloc();
    }
    RecordingNotifier::Beep(style);
  }
  bool armed = true;
};

class Calm : public WindowTest {
 protected:
  void TearDown() override {
    FindDialogHook() = nullptr;
    SetDialogInitHook({});
    SetFrameNotifier(&notifier);
    WindowTest::TearDown();
  }
  void Click(int row) {
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, Point(100, RowY(row)));
    SendMessageW(window, WM_LBUTTONUP, 0, Point(100, RowY(row)));
    Pump();
  }
  // The file at `path` cannot be read for one rebuild: the report shows.
  void ShowReport(const std::wstring& path) {
    const std::wstring moved = path + L".away";
    ASSERT_TRUE(MoveFileW(path.c_str(), moved.c_str()));
    PositionView(window, PositionKind::kGotoOffsetReload, 100);
    ASSERT_TRUE(MoveFileW(moved.c_str(), path.c_str()));
    ASSERT_TRUE(HoldsProgramError(app().doc.screen));
  }
};

TEST_F(Calm, AnExceptionInTheWindowIsReportedAndTheWindowGoesOn) {
  for (const bool withFile : {true, false}) {
    SCOPED_TRACE(withFile ? "with a file" : "without a file");
    Start();
    if (withFile) Open(MakeFile(3));
    FailingOnce failing;
    SetFrameNotifier(&failing);
    Click(20);  // below the last line: a warning beep, which fails
    SetFrameNotifier(&notifier);
    EXPECT_FALSE(failing.armed);
    EXPECT_EQ(failing.beeps, std::vector<uint32_t>{kIconHand}) << "the failure's own beep";
    EXPECT_EQ(HoldsProgramError(app().doc.screen), withFile)
        << "the report shows in place of the file";
    ASSERT_TRUE(IsWindow(window));
    if (withFile) {
      EXPECT_EQ(Top(), "*****************************************");
      SendMessageW(window, WM_VSCROLL, SB_TOP, 0);
      Pump();
      EXPECT_EQ(Top(), "line 0") << "Home goes back to the file";
    }
  }
}

TEST_F(Calm, AFailingDialogEndsAsCancelWouldWithAStopBeep) {
  Start();
  Open(MakeFile(3));
  static bool leftOpen = false;
  auto failOnOpen = [&](HWND dialog) {
    // Should the failure leave the dialog up, this ends it.
    SetTimer(dialog, 1, 3000, [](HWND d, UINT, UINT_PTR, DWORD) {
      leftOpen = true;
      EndDialog(d, 0);
    });
    throw std::runtime_error("while filling the dialog in");
  };
  FindDialogHook() = failOnOpen;
  SetDialogInitHook(failOnOpen);
  const std::vector<std::pair<const char*, std::function<int()>>> dialogs{
      {"Find Text", [&] { return FindTextDialog(window); }},
      {"Find Hex", [&] { return FindHexDialog(window); }},
      {"Freeze Columns", [&] { return FreezeColumnsDialog(window, "example"); }},
      {"Color", [&] { return ColorDialog(window); }},
      {"Print Shades", [&] { return PrintShadeDialog(window); }},
      {"Page Setup", [&] { return PageSetupDialog(window); }},
  };
  for (const auto& [name, run] : dialogs) {
    SCOPED_TRACE(name);
    leftOpen = false;
    notifier.beeps.clear();
    EXPECT_EQ(run(), 0);
    EXPECT_FALSE(leftOpen) << "the dialog stayed up after the failure";
    EXPECT_EQ(notifier.beeps, std::vector<uint32_t>{kIconHand});
  }
}

TEST_F(Calm, EveryWayOutOfTheReportReadsTheFileAgain) {
  Start();
  const std::wstring path = MakeFile(3000);
  Open(path);
  struct WayOut {
    const char* name;
    std::function<void()> go;
    std::string top;
  };
  const std::vector<WayOut> ways{
      {"Find Next",
       [&] {
         app().search.pattern = "line 1500";
         app().search.flags = kSearchDefined;
         app().doc.view.searchPosition = -1;
         Command(IDM_FINDNEXT);
       },
       "line 1500"},
      {"Next mark",
       [&] {
         app().doc.tags.count = 0;
         AddTag(app().doc.tags, 10 * 8 + 90 * 9 + 900 * 10 + 200 * 11, kUserMark);  // line 1200
         app().doc.view.selection.Clear();
         Command(IDM_NEXTMARK);
       },
       "line 1200"},
      {"Ctrl+End",
       [&] {
         SendMessageW(window, WM_VSCROLL, SB_BOTTOM, 0);
         Pump();
       },
       "line 2999"},
      {"a byte position",
       [&] {
         // "line 999\r\n" ends at 10 * 8 + 90 * 9 + 900 * 10.
         const int64_t offset = 10 * 8 + 90 * 9 + 900 * 10 + 5;
         SendMessageW(window, UM_GOTO_OFFSET, OffsetHigh(offset), OffsetLow(offset));
         Pump();
       },
       "line 1000"},
  };
  for (const WayOut& way : ways) {
    SCOPED_TRACE(way.name);
    ShowReport(path);
    way.go();
    EXPECT_FALSE(HoldsProgramError(app().doc.screen));
    EXPECT_EQ(Top(), way.top);
  }
}

TEST_F(Calm, ADragThatLosesTheMouseEndsThere) {
  Start();
  Open(MakeFile(500));
  SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, Point(100, RowY(2)));
  SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, Point(100, app().doc.view.clientHeight + 20));
  ASSERT_NE(app().doc.view.autoScrollTimer, 0) << "scrolling down";
  // Another window takes the mouse before the button comes up.
  HWND other = CreateWindowW(L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(other, nullptr);
  SetCapture(other);
  Pump();
  EXPECT_EQ(app().doc.view.autoScrollTimer, 0) << "the auto-scroll stopped";
  EXPECT_FALSE(app().doc.view.capturing);
  ReleaseCapture();
  DestroyWindow(other);
  // The next click is a click again: it selects its line.
  const int64_t row4 = app().doc.screen[app().doc.screen.Acur + 4].offset;
  Click(4);
  EXPECT_EQ(app().doc.view.selection.start, row4);
}

TEST_F(Calm, TheHorizontalThumbReachesColumnsBeyond65535) {
  Start("", {{{L"Tessary", L"HorzScroll", L"1"}}, {{L"Tessary", L"MaxLineLength", L"200000"}}});
  Open(MakeFile(3));
  UpdateWindow(window);
  for (const int column : {70000, 65535, 131072 + 7, 12}) {
    SetScrollPos(window, SB_HORZ, column, TRUE);
    SendMessageW(window, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, column & 0xFFFF), 0);
    Pump();
    EXPECT_EQ(app().doc.view.horizontalOffset, column);
  }
}

TEST_F(Calm, ANamePostedWithEitherOpenMessageOpensTheFile) {
  Start();
  const std::wstring first = MakeFile(5, "first ");
  const std::wstring second = MakeFile(5, "second ");
  // What the table says both carry: the name, here the sender's own.
  PostMessageW(window, UM_OPEN_FILE2, 0, reinterpret_cast<LPARAM>(first.c_str()));
  Pump();
  EXPECT_EQ(app().doc.file.path, first);
  EXPECT_EQ(Top(), "first 0");
  PostMessageW(window, UM_OPEN_FILE, 0, reinterpret_cast<LPARAM>(second.c_str()));
  Pump();
  EXPECT_EQ(Top(), "second 0");
  // A name the window posts itself is held until it is handled.
  std::wstring name = first;
  PostOpenFile(window, name);
  name.assign(name.size(), L'x');
  Pump();
  EXPECT_EQ(app().doc.file.path, first);
}

TEST_F(Calm, TheMessageLoopEndsWithTheQuitCode) {
  Start();
  PostQuitMessage(7);
  EXPECT_EQ(RunMessageLoop(window, nullptr), 7);
}

}  // namespace
}  // namespace zorvo
