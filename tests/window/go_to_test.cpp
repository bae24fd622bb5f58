// Edit > Go To and the page index behind it, over the real main window: the
// index built on timer 3 and whenever the window is idle, its temporary
// file, the pages it finds and offers while the dialog is open, and a
// failing read with its message box.
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "dialog_driver.h"
#include "viewer/file/file_reader.h"
#include "viewer/file/page_index.h"

namespace zorvo {
namespace {

namespace fs = std::filesystem;

const std::wstring kPagedFile =
    (fs::path(ZORVO_TEST_DATA) / "formfeed" / "rfc2181_lf.txt").wstring();

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class GoToTest : public DrivenDialogTest {
 protected:
  void TearDown() override {
    SetPageIndexOpener(nullptr);
    DrivenDialogTest::TearDown();
  }
  // Slices as fast as the timer goes, or (`slow`) 16 bytes every ten
  // minutes, one per tick, so that the index stays active.
  void StartIndexing(bool slow = false, bool fresh = false) {
    Start("",
          {{L"Zorvo Setup", L"PageIndexingDelay", slow ? L"600000" : L"1"},
           {L"Zorvo Setup", L"PageIndexingBuffer", slow ? L"16" : L"8192"},
           {L"Zorvo Setup", L"PageIndexingBudget", slow ? L"0" : L"15"}},
          fresh);
  }
  // Runs the window's messages until `done` (bounded).
  static bool PumpUntil(const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done() && std::chrono::steady_clock::now() < end) {
      Pump();
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return done();
  }
  // Lets timer 3 run until the index is no longer active (bounded).
  bool WaitIndexed() {
    PumpUntil([&] { return WindowPageIndex(window).state() != PG_ACTIVE; });
    return WindowPageIndex(window).state() == PG_DONE;
  }
  // A step that comes again on every tick of the driver until `ready`,
  // for at most 20 seconds.
  static Step Until(std::function<bool(HWND)> ready, std::string what) {
    auto end = std::make_shared<std::chrono::steady_clock::time_point>();
    return [=](HWND dialog) {
      const auto now = std::chrono::steady_clock::now();
      if (*end == std::chrono::steady_clock::time_point{}) *end = now + std::chrono::seconds(20);
      if (ready(dialog)) return;
      if (now < *end) {
        --next;
        return;
      }
      ADD_FAILURE() << what << " never came";
    };
  }
  void GoTo(std::vector<Step> steps) {
    DriveCommand(IDM_GOTO, std::move(steps));
    Pump();
  }
  static Step Choose(int button, const wchar_t* text) {
    return [=](HWND dialog) {
      Click(dialog, button);
      if (text) SetItem(dialog, IDC_GOTO_ENTRY, text);
      Press(dialog, IDOK);
    };
  }
  const LineEntry& TopLine() { return app().doc.screen[app().doc.screen.Acur]; }
};

TEST_F(GoToTest, PageThreeOfAFormFeedFileComesToTheTop) {
  StartIndexing();
  Open(kPagedFile);
  ASSERT_TRUE(WaitIndexed());
  EXPECT_EQ(WindowPageIndex(window).pageCount(), 15);
  EXPECT_EQ(app().doc.view.pageIndexTimer, 0) << "timer 3 stops when the index is complete";
  GoTo({[&](HWND dialog) {
          Click(dialog, IDC_GOTO_PAGE);
          EXPECT_EQ(ItemText(dialog, IDC_GOTO_ENTRY) + L"|" + ItemText(dialog, IDC_GOTO_HINT),
                    L"1|1 to 15");
          EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_GOTO_ENTRY));
        },
        Refused(IDC_GOTO_ENTRY, L"16", L"Page Number must be a number between 1 and 15!"),
        Choose(IDC_GOTO_PAGE, L"3")});
  // Page 3 begins at the second form feed after a line end, at 4047: its
  // first line (the form feed's own, empty) is at the top, the heading below.
  EXPECT_EQ(TopLine().offset, 4047);
  EXPECT_NE(TopLine().flags & kPageBreak, 0u);
  EXPECT_EQ(std::string(app().doc.screen.TextOf(app().doc.screen.Acur + 1), 25),
            "RFC 2181        Clarifica");
}

TEST_F(GoToTest, AByteBeyondTheFileIsRefusedAndOneInsideComesToTheTop) {
  StartIndexing();
  Open(MakeFile(300));  // "line n\r\n"
  const int64_t length = app().doc.file.Flen;
  const std::wstring beyond = std::to_wstring(length + 1);
  wchar_t hex[32];
  swprintf(hex, 32, L"0x%llX", static_cast<unsigned long long>(length));
  GoTo({[&](HWND dialog) {
          EXPECT_EQ(ItemText(dialog, IDC_GOTO_ENTRY), L"N/A");
          EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_GOTO_ENTRY)));
          EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_GOTO_TOP));
          EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_GOTO_ENTRY, EM_GETLIMITTEXT, 0, 0), 16);
          Click(dialog, IDC_GOTO_OFFSET);
          EXPECT_EQ(ItemText(dialog, IDC_GOTO_ENTRY) + L"|" + ItemText(dialog, IDC_GOTO_HINT),
                    std::wstring(hex) + L"|1 to " + hex);
        },
        Refused(IDC_GOTO_ENTRY, beyond.c_str(),
                L"File Offset must be a number between 0 and " + std::to_wstring(length) + L"!"),
        Refused(IDC_GOTO_ENTRY, L"12z", L"Invalid character \"z\" in File Offset."),
        Choose(IDC_GOTO_OFFSET, L"0x10")});
  EXPECT_EQ(Top(), "line 2") << "offset 16 is in the third line";
  GoTo({Choose(IDC_GOTO_BOTTOM, nullptr)});
  EXPECT_GT(TopLine().offset, length / 2) << "the end of the file is shown";
  GoTo({Choose(IDC_GOTO_TOP, nullptr)});
  EXPECT_EQ(Top(), "line 0");
}

TEST_F(GoToTest, WithoutAnIndexThereAreNoPageNumbers) {
  StartIndexing();
  Open(kPagedFile);
  SendMessageW(window, PG_CANCEL, 0, 0);
  GoTo({[&](HWND dialog) {
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_GOTO_PAGE)));
    Press(dialog, IDCANCEL);
  }});
  // An index that goes away while the dialog is open: the page is not found.
  SendMessageW(window, PG_START, 0, 0);
  ASSERT_TRUE(WaitIndexed());
  GoTo({[this](HWND) { SendMessageW(window, PG_CANCEL, 0, 0); }, Choose(IDC_GOTO_PAGE, L"2")});
  EXPECT_EQ(Shown(), std::vector<std::wstring>{L"Go To Page: Invalid page number."});
  EXPECT_EQ(notifier.shown.at(0).style, kIconExclamation);
  EXPECT_EQ(TopLine().offset, 0);
}

TEST_F(GoToTest, TheIndexFileLivesWhileTheFileIsOpenAndNoLonger) {
  StartIndexing(true, true);
  const std::wstring first = MakeFile(40, "a\f", "\n");
  Open(first);
  const PageIndex& index = WindowPageIndex(window);
  ASSERT_EQ(index.state(), PG_ACTIVE);
  EXPECT_EQ(app().doc.view.pageIndexTimer, 3);
  const std::wstring name = index.indexFileName();
  wchar_t folder[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, folder);
  EXPECT_EQ(fs::path(name).parent_path(), fs::path(folder).parent_path());
  EXPECT_EQ(fs::path(name).filename().wstring().substr(0, 3), L"TPX");
  EXPECT_TRUE(Exists(name));
  // Another file: the old index goes, a new one comes; Close ends it.
  Open(MakeFile(40, "b\f", "\n"));
  EXPECT_FALSE(Exists(name));
  const std::wstring second = index.indexFileName();
  EXPECT_TRUE(Exists(second));
  Command(IDM_CLOSE);
  EXPECT_FALSE(Exists(second));
  EXPECT_EQ(index.state(), PG_IDLE);
  EXPECT_EQ(app().doc.view.pageIndexTimer, 0);
  // The window's end (as Exit, closing, or Exit over DDE bring it).
  Open(first);
  const std::wstring third = index.indexFileName();
  EXPECT_TRUE(Exists(third));
  DestroyWindow(window);
  shared = window = nullptr;
  Pump();
  EXPECT_FALSE(Exists(third));
  EXPECT_TRUE(notifier.shown.empty());
}

// Windows ends the session without destroying the window: the index file
// goes all the same. A session that goes on keeps it.
TEST_F(GoToTest, TheEndOfTheSessionRemovesTheIndexFile) {
  StartIndexing(true, true);
  Open(MakeFile(40, "a\f", "\n"));
  const PageIndex& index = WindowPageIndex(window);
  ASSERT_EQ(index.state(), PG_ACTIVE);
  const std::wstring name = index.indexFileName();
  ASSERT_TRUE(Exists(name));
  SendMessageW(window, WM_QUERYENDSESSION, 0, 0);
  SendMessageW(window, WM_ENDSESSION, FALSE, 0);
  Pump();
  EXPECT_TRUE(Exists(name)) << "the session did not end, yet the index file went";
  SendMessageW(window, WM_ENDSESSION, TRUE, 0);
  EXPECT_FALSE(Exists(name)) << "the index file outlives the session";
  EXPECT_TRUE(IsWindow(window));
  EXPECT_TRUE(notifier.shown.empty());
}

TEST_F(GoToTest, AFileThatChangesIsIndexedAgain) {
  StartIndexing();
  const std::wstring path = MakeFile(30, "page\n\fline ", "\n");
  Open(path);
  ASSERT_TRUE(WaitIndexed());
  EXPECT_EQ(WindowPageIndex(window).pageCount(), 31);
  // Grown: seen at the next read, indexing goes on from where it ended.
  std::ofstream(fs::path(path), std::ios::binary | std::ios::app) << "more\n\fmore\n\fend\n";
  SendMessageW(window, UM_RELOAD, 0, 1);
  ASSERT_TRUE(WaitIndexed());
  EXPECT_EQ(WindowPageIndex(window).pageCount(), 33);
  // Cut short: indexed again from the start.
  std::ofstream(fs::path(path), std::ios::binary | std::ios::trunc) << "one\n\ftwo\n";
  SendMessageW(window, UM_RELOAD, 0, 0);
  Pump();
  ASSERT_TRUE(WaitIndexed());
  EXPECT_EQ(WindowPageIndex(window).pageCount(), 2);
  EXPECT_TRUE(notifier.shown.empty());
}

TEST_F(GoToTest, PageOneThousandOfTwoThousandIsOfferedSecondsAfterOpeningWithTheDefaults) {
  Start();
  // 2,000 pages of 60 lines, each page the same length: page n at (n - 1)
  // times it.
  std::string page = "\fPAGE 0000\r\n";
  for (int line = 1; line < 60; ++line) page += std::string(60, 'a' + line % 26) + "\r\n";
  const std::wstring path = MakeFile(0);
  {
    std::ofstream out(fs::path(path), std::ios::binary);
    for (int n = 1; n <= 2000; ++n) out << page.replace(6, 4, std::to_string(10000 + n).substr(1));
  }
  // The dialog opens at once, before the first page is known.
  SendMessageW(window, UM_OPEN_FILE, 0, reinterpret_cast<LPARAM>(path.c_str()));
  GoTo({Until(
            [&](HWND dialog) {
              if (!IsWindowEnabled(GetDlgItem(dialog, IDC_GOTO_PAGE))) return false;
              if (!IsChecked(dialog, IDC_GOTO_PAGE)) Click(dialog, IDC_GOTO_PAGE);
              const std::wstring hint = ItemText(dialog, IDC_GOTO_HINT);  // "1 to N"
              return hint.size() > 5 && std::wcstol(hint.c_str() + 5, nullptr, 10) >= 1000;
            },
            "page 1000 in the dialog's range"),
        [&](HWND dialog) {
          // Not a click on a disabled button, which Wine never returns from.
          if (IsWindowEnabled(GetDlgItem(dialog, IDC_GOTO_PAGE))) {
            Choose(IDC_GOTO_PAGE, L"1000")(dialog);
          }
        }});
  EXPECT_EQ(TopLine().offset, 999 * static_cast<int64_t>(page.size()));
  EXPECT_TRUE(notifier.shown.empty());
}

// Reads the viewed file; every read after the first `good` ones fails.
class FailingReads : public FileOpener {
 public:
  explicit FailingReads(int good) : good_(good) {}
  std::unique_ptr<FileHandle> Open(const std::wstring& path, uint32_t& error) override {
    auto file = KeepingFileOpener().Open(path, error);
    return file ? std::make_unique<Handle>(std::move(file), good_) : nullptr;
  }

 private:
  struct Handle : FileHandle {
    Handle(std::unique_ptr<FileHandle> f, int& g) : file(std::move(f)), good(g) {}
    bool Size(int64_t& size) override { return file->Size(size); }
    bool Seek(int64_t offset) override { return file->Seek(offset); }
    bool Read(unsigned char* buffer, uint32_t size, uint32_t& got) override {
      return good-- > 0 && file->Read(buffer, size, got);
    }
    uint32_t LastError() const override { return 5; }
    std::unique_ptr<FileHandle> file;
    int& good;
  };
  int good_;
};

// A message box runs the window's messages while it is shown, as the real
// one does; `whileShown` is what happens meanwhile. A box over a box is
// counted and closed at once.
class PumpingBoxes : public RecordingNotifier {
 public:
  int Message(const std::wstring& text, const std::wstring& caption, uint32_t style,
              uintptr_t owner) override {
    RecordingNotifier::Message(text, caption, style, owner);
    if (shown.size() == 1 && whileShown) whileShown();
    return IDOK;
  }
  std::function<void()> whileShown;
};

TEST_F(GoToTest, AFailingSliceShowsOneMessageAndAFileOpenedMeanwhileKeepsItsIndex) {
  Start();
  PumpingBoxes boxes;
  SetFrameNotifier(&boxes);
  FailingReads reads(3);
  SetPageIndexOpener(&reads);
  const std::wstring other = MakeFile(30, "page\n\fline ", "\n");
  int timerWhenShown = -1;
  boxes.whileShown = [&] {
    timerWhenShown = app().doc.view.pageIndexTimer;
    // Ticks of a timer left running would fail again, a box each.
    PumpUntil([&] { return app().doc.view.pageIndexTimer == 0 || boxes.shown.size() > 1; });
    SetPageIndexOpener(nullptr);
    SendMessageW(window, UM_OPEN_FILE, 0, reinterpret_cast<LPARAM>(other.c_str()));
    EXPECT_TRUE(PumpUntil([&] { return WindowPageIndex(window).state() == PG_DONE; }))
        << "the file opened meanwhile was not indexed";
  };
  Open(MakeFile(20000));
  ASSERT_TRUE(PumpUntil([&] { return !boxes.shown.empty(); })) << "no read failed";
  Pump();
  EXPECT_EQ(timerWhenShown, 0) << "timer 3 still ran while the message was shown";
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text,
            L"Read error.\n\nPage indexing failed, [GoTo page] command will not be available");
  EXPECT_EQ(WindowPageIndex(window).state(), PG_DONE);
  EXPECT_TRUE(Exists(WindowPageIndex(window).indexFileName()));
  EXPECT_EQ(WindowPageIndex(window).pageCount(), 31);
  SetFrameNotifier(&notifier);
}

}  // namespace
}  // namespace zorvo
