// Edit > Go To and the page index behind it, over the real main window: the
// index built on timer 3, its temporary file, and the pages it finds.
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "dialog_driver.h"
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
  // Slices as fast as the timer goes, or (`slow`) 16 bytes every ten
  // minutes, so that the index stays active.
  void StartIndexing(bool slow = false, bool fresh = false) {
    Start("",
          {{L"Zorvo Setup", L"PageIndexingDelay", slow ? L"600000" : L"1"},
           {L"Zorvo Setup", L"PageIndexingBuffer", slow ? L"16" : L"8192"}},
          fresh);
  }
  // Lets timer 3 run until the index is no longer active (bounded).
  static bool WaitIndexed() {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (WindowPageIndex().state() == PG_ACTIVE && std::chrono::steady_clock::now() < end) {
      Pump();
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return WindowPageIndex().state() == PG_DONE;
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
  static const LineEntry& TopLine() { return Screen()[Screen().Acur]; }
};

TEST_F(GoToTest, PageThreeOfAFormFeedFileComesToTheTop) {
  StartIndexing();
  Open(kPagedFile);
  ASSERT_TRUE(WaitIndexed());
  EXPECT_EQ(WindowPageIndex().pageCount(), 15);
  EXPECT_EQ(View().pageIndexTimer, 0) << "timer 3 stops when the index is complete";
  GoTo({[](HWND dialog) {
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
  EXPECT_EQ(std::string(Screen().TextOf(Screen().Acur + 1), 25), "RFC 2181        Clarifica");
}

TEST_F(GoToTest, AByteBeyondTheFileIsRefusedAndOneInsideComesToTheTop) {
  StartIndexing();
  Open(MakeFile(300));  // "line n\r\n"
  const int64_t length = OpenFile().Flen;
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
  GoTo({[](HWND dialog) {
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
  const PageIndex& index = WindowPageIndex();
  ASSERT_EQ(index.state(), PG_ACTIVE);
  EXPECT_EQ(View().pageIndexTimer, 3);
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
  EXPECT_EQ(View().pageIndexTimer, 0);
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

TEST_F(GoToTest, AFileThatChangesIsIndexedAgain) {
  StartIndexing();
  const std::wstring path = MakeFile(30, "page\n\fline ", "\n");
  Open(path);
  ASSERT_TRUE(WaitIndexed());
  EXPECT_EQ(WindowPageIndex().pageCount(), 31);
  // Grown: seen at the next read, indexing goes on from where it ended.
  std::ofstream(fs::path(path), std::ios::binary | std::ios::app) << "more\n\fmore\n\fend\n";
  SendMessageW(window, UM_RELOAD, 0, 1);
  ASSERT_TRUE(WaitIndexed());
  EXPECT_EQ(WindowPageIndex().pageCount(), 33);
  // Cut short: indexed again from the start.
  std::ofstream(fs::path(path), std::ios::binary | std::ios::trunc) << "one\n\ftwo\n";
  SendMessageW(window, UM_RELOAD, 0, 0);
  Pump();
  ASSERT_TRUE(WaitIndexed());
  EXPECT_EQ(WindowPageIndex().pageCount(), 2);
  EXPECT_TRUE(notifier.shown.empty());
}

}  // namespace
}  // namespace zorvo
