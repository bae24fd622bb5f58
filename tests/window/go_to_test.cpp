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

const std::wstring kFormFeedFile =
    (fs::path(ZORVO_TEST_DATA) / "formfeed" / "rfc2181_lf.txt").wstring();

bool Exists(const std::wstring& path) {
  return !path.empty() && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class GoToTest : public DrivenDialogTest {
 protected:
  // Slices as fast as the timer goes, or (`slow`) one tick in ten minutes
  // of 16 bytes each, so that the index stays active.
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
  void GoTo(std::vector<Step> steps) { DriveCommand(IDM_GOTO, std::move(steps)); }
  static Step Choose(int button, const wchar_t* text) {
    return [=](HWND dialog) {
      Click(dialog, button);
      if (text) SetItem(dialog, IDC_GOTO_ENTRY, text);
      Press(dialog, IDOK);
    };
  }
  const LineEntry& TopLine() const { return Screen()[Screen().Acur]; }
};

TEST_F(GoToTest, PageThreeOfAFormFeedFileComesToTheTop) {
  StartIndexing();
  Open(kFormFeedFile);
  ASSERT_TRUE(WaitIndexed());
  EXPECT_EQ(WindowPageIndex().pageCount(), 15);
  EXPECT_EQ(View().pageIndexTimer, 0) << "timer 3 stops when the index is complete";
  GoTo({[](HWND dialog) {
          EXPECT_EQ(TextOf(dialog), L"Go To");
          EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_GOTO_PAGE)));
          Click(dialog, IDC_GOTO_PAGE);
          EXPECT_EQ(ItemText(dialog, IDC_GOTO_ENTRY), L"1");
          EXPECT_EQ(ItemText(dialog, IDC_GOTO_HINT), L"1 to 15");
          EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_GOTO_ENTRY));
        },
        Refused(IDC_GOTO_ENTRY, L"16", L"Page Number must be a number between 1 and 15!"),
        Choose(IDC_GOTO_PAGE, L"3")});
  Pump();
  // Page 3 begins at the second form feed after a line end, at 4047: its
  // first line (the form feed's own) is at the top, the heading below it.
  EXPECT_EQ(TopLine().offset, 4047);
  EXPECT_NE(TopLine().flags & kPageBreak, 0u);
  ASSERT_LT(Screen().Acur + 1, Screen().Alast);
  EXPECT_EQ(std::string(Screen().TextOf(Screen().Acur + 1), 25), "RFC 2181        Clarifica");
}

TEST_F(GoToTest, AByteBeyondTheFileIsRefusedAndOneInsideComesToTheTop) {
  StartIndexing();
  const std::wstring path = MakeFile(300);  // "line n\r\n": 8 to 10 bytes each
  Open(path);
  const int64_t length = OpenFile().Flen;
  const std::wstring beyond = std::to_wstring(length + 1);
  const std::wstring range =
      L"File Offset must be a number between 0 and " + std::to_wstring(length) + L"!";
  wchar_t hex[32];
  swprintf(hex, 32, L"0x%llX", static_cast<unsigned long long>(length));
  GoTo({[&](HWND dialog) {
          EXPECT_EQ(ItemText(dialog, IDC_GOTO_ENTRY), L"N/A");
          EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_GOTO_ENTRY)));
          EXPECT_EQ(ItemText(dialog, IDC_GOTO_HINT), L" ");
          EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_GOTO_TOP));
          EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_GOTO_ENTRY, EM_GETLIMITTEXT, 0, 0), 16);
          Click(dialog, IDC_GOTO_OFFSET);
          EXPECT_EQ(ItemText(dialog, IDC_GOTO_ENTRY), hex);
          EXPECT_EQ(ItemText(dialog, IDC_GOTO_HINT), L"1 to " + std::wstring(hex));
          DWORD start = 1, end = 0;
          SendDlgItemMessageW(dialog, IDC_GOTO_ENTRY, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                              reinterpret_cast<LPARAM>(&end));
          EXPECT_EQ(start, 0u);
          EXPECT_EQ(end, wcslen(hex)) << "the text is selected to be typed over";
        },
        Refused(IDC_GOTO_ENTRY, beyond.c_str(), range),
        Refused(IDC_GOTO_ENTRY, L"12z", L"Invalid character \"z\" in File Offset."),
        Choose(IDC_GOTO_OFFSET, L"0x10")});
  Pump();
  EXPECT_EQ(Top(), "line 2") << "offset 16 is in the third line";
  GoTo({Choose(IDC_GOTO_BOTTOM, nullptr)});
  Pump();
  EXPECT_GT(TopLine().offset, length / 2) << "the end of the file is shown";
  GoTo({Choose(IDC_GOTO_TOP, nullptr)});
  Pump();
  EXPECT_EQ(Top(), "line 0");
}

TEST_F(GoToTest, WithoutAnIndexThereAreNoPageNumbers) {
  StartIndexing();
  Open(kFormFeedFile);
  SendMessageW(window, PG_CANCEL, 0, 0);
  GoTo({[this](HWND dialog) {
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_GOTO_PAGE)));
    // The decimal check the Page Setup dialog uses, on this dialog's field.
    Click(dialog, IDC_GOTO_OFFSET);
    int value = -1;
    SetItem(dialog, IDC_GOTO_ENTRY, L" 0.5");
    EXPECT_TRUE(CheckDecimalField(dialog, IDC_GOTO_ENTRY, 2, 300, L"Page top margin", value));
    EXPECT_EQ(value, 50);
    SetItem(dialog, IDC_GOTO_ENTRY, L"3.01");
    EXPECT_FALSE(CheckDecimalField(dialog, IDC_GOTO_ENTRY, 2, 300, L"Page top margin", value));
    EXPECT_EQ(Shown(), std::vector<std::wstring>{
                           L"Bad Options: Page top margin must be a number between 0 and 3!"});
    EXPECT_EQ(value, 50);
    notifier.shown.clear();
    Press(dialog, IDCANCEL);
  }});
  // An index that goes away while the dialog is open: the page is not found.
  SendMessageW(window, PG_START, 0, 0);
  ASSERT_TRUE(WaitIndexed());
  GoTo({[this](HWND) { SendMessageW(window, PG_CANCEL, 0, 0); }, Choose(IDC_GOTO_PAGE, L"2")});
  EXPECT_EQ(Shown(), std::vector<std::wstring>{L"Go To Page: Invalid page number."});
  ASSERT_EQ(notifier.shown.size(), 1u);
  EXPECT_EQ(notifier.shown[0].style, kIconExclamation);
  EXPECT_EQ(Screen()[Screen().Acur].offset, 0);
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

  // Another file: the old index goes, a new one comes.
  Open(MakeFile(40, "b\f", "\n"));
  EXPECT_FALSE(Exists(name));
  const std::wstring second = index.indexFileName();
  EXPECT_TRUE(Exists(second));
  Command(IDM_CLOSE);
  EXPECT_FALSE(Exists(second));
  EXPECT_EQ(index.state(), PG_IDLE);
  EXPECT_EQ(View().pageIndexTimer, 0);

  // The window's end (the program's: Exit, closing, or Exit over DDE).
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
  {
    std::ofstream out(fs::path(path), std::ios::binary | std::ios::app);
    out << "more\n\fmore\n\fend\n";
  }
  SendMessageW(window, UM_RELOAD, 0, 1);
  ASSERT_TRUE(WaitIndexed());
  EXPECT_EQ(WindowPageIndex().pageCount(), 33);
  // Cut short: indexed again from the start.
  {
    std::ofstream out(fs::path(path), std::ios::binary | std::ios::trunc);
    out << "one\n\ftwo\n";
  }
  SendMessageW(window, UM_RELOAD, 0, 0);
  Pump();
  ASSERT_TRUE(WaitIndexed());
  EXPECT_EQ(WindowPageIndex().pageCount(), 2);
  EXPECT_TRUE(notifier.shown.empty());
}

}  // namespace
}  // namespace zorvo
