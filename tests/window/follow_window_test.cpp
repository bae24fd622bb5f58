// View > Follow End and the long work that Esc stops, on the real window:
// the view follows what is appended while its end shows, pauses away from
// it and follows again after Ctrl+End, shows a file cut short from its new
// start; Find Next, Mark All and Copy Tags show how far they have come in
// the title and stop at Esc, the search leaving the view, Mark All its
// marks and Copy Tags the clipboard as they were.
#include <fstream>

#include "viewer/file/search.h"
#include "viewer/frame/follow_end.h"
#include "viewer/frame/marks.h"
#include "window_fixture.h"

namespace zorvo {
namespace {

class Following : public WindowTest {
 protected:
  static void Append(const std::wstring& path, int from, int to, const std::string& prefix) {
    std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::app);
    for (int i = from; i < to; ++i) out << prefix << i << "\r\n";
  }
  void Tick() {
    SendMessageW(window, WM_TIMER, kTimerFollow, 0);
    Pump();
  }
  // Ctrl+End as the user presses it.
  void CtrlEnd() {
    BYTE keys[256] = {};
    keys[VK_CONTROL] = keys[VK_LCONTROL] = 0x80;
    SetKeyboardState(keys);
    SendMessageW(window, WM_KEYDOWN, VK_END, 1);
    keys[VK_CONTROL] = keys[VK_LCONTROL] = 0;
    SetKeyboardState(keys);
    Pump();
  }
  int32_t Rows() { return LinesPerPage(app().doc.view, TitleCount(app().doc.titles)); }
  // The text of the last line of the file as it is on disk when it shows,
  // else "<not shown>".
  std::string LastShown() {
    const LineTable& table = app().doc.screen;
    const auto size = static_cast<int64_t>(std::filesystem::file_size(app().doc.file.path));
    if (table[table.Alast].offset != size || !EndInView(table, Rows())) {
      return "<not shown>";
    }
    const int32_t last = table.Alast - 1;
    return std::string(table.TextOf(last), static_cast<size_t>(table[last].length));
  }
};

TEST_F(Following, TheViewFollowsTheEndPausesAwayFromItAndFollowsAgainAfterCtrlEnd) {
  Start();
  const std::wstring path = MakeFile(100);
  Open(path);
  Command(IDM_FOLLOWEND);
  EXPECT_TRUE(app().settings.options.FollowEnd);
  CtrlEnd();
  ASSERT_EQ(LastShown(), "line 99");
  Append(path, 100, 150, "line ");
  Tick();
  EXPECT_EQ(LastShown(), "line 149");
  EXPECT_EQ(app().doc.screen.Acur, app().doc.screen.Alast - Rows())
      << "the last line on the last row";
  Append(path, 150, 151, "line ");
  Tick();
  EXPECT_EQ(LastShown(), "line 150");
  // Lines that came between the look and the move are below the screen;
  // the view has not moved since, and the next look shows them.
  Append(path, 151, 160, "line ");
  const int64_t top = app().doc.screen[app().doc.screen.Acur].offset;
  SendMessageW(window, UM_GOTO_OFFSET_RELOAD, OffsetHigh(top), OffsetLow(top));
  ASSERT_EQ(LastShown(), "<not shown>");
  Tick();
  EXPECT_EQ(LastShown(), "line 159");

  // Away from the end, the view stays and the file is not read.
  Scroll(-2 * Rows());
  const std::string away = Top();
  const int64_t tableEnd = app().doc.screen[app().doc.screen.Alast].offset;
  Append(path, 160, 200, "line ");
  Tick();
  EXPECT_EQ(Top(), away);
  EXPECT_EQ(app().doc.screen[app().doc.screen.Alast].offset, tableEnd);

  CtrlEnd();
  Tick();
  Append(path, 200, 210, "line ");
  Tick();
  EXPECT_EQ(LastShown(), "line 209");

  // Off, nothing follows.
  Command(IDM_FOLLOWEND);
  EXPECT_FALSE(app().settings.options.FollowEnd);
  Append(path, 210, 220, "line ");
  Tick();
  EXPECT_EQ(LastShown(), "<not shown>");
}

TEST_F(Following, AFileCutShortShowsFromItsNewStart) {
  Start("", {{kGlobalSection, L"FollowEndDelay", L"50"}});
  const std::wstring path = MakeFile(500);
  Open(path);
  Command(IDM_FOLLOWEND);
  CtrlEnd();
  ASSERT_EQ(LastShown(), "line 499");
  std::ofstream(std::filesystem::path(path), std::ios::binary | std::ios::trunc) << "new 0\r\n";
  Append(path, 1, 5, "new ");
  Tick();
  EXPECT_EQ(Top(), "new 0");
  EXPECT_EQ(LastShown(), "new 4");
  EXPECT_TRUE(notifier.shown.empty());
  Command(IDM_FOLLOWEND);
}

// Watches long work through its reads: the title at each read.
class TitleWatch : public FileOpener {
 public:
  explicit TitleWatch(HWND window) : window_(window) {}
  std::unique_ptr<FileHandle> Open(const std::wstring& path, uint32_t& error) override {
    auto handle = PlatformFileOpener().Open(path, error);
    return handle ? std::make_unique<Watched>(std::move(handle), *this) : nullptr;
  }
  std::vector<std::wstring> titles;

 private:
  class Watched : public FileHandle {
   public:
    Watched(std::unique_ptr<FileHandle> inner, TitleWatch& watch)
        : inner_(std::move(inner)), watch_(watch) {}
    bool Identity(FileIdentity& identity) override { return inner_->Identity(identity); }
    bool Size(int64_t& size) override { return inner_->Size(size); }
    bool Seek(int64_t offset) override { return inner_->Seek(offset); }
    bool Read(unsigned char* buffer, uint32_t size, uint32_t& got) override {
      wchar_t title[300] = {};
      GetWindowTextW(watch_.window_, title, 300);
      watch_.titles.push_back(title);
      return inner_->Read(buffer, size, got);
    }
    uint32_t LastError() const override { return inner_->LastError(); }

   private:
    std::unique_ptr<FileHandle> inner_;
    TitleWatch& watch_;
  };
  HWND window_;
};

class LongWork : public WindowTest {
 protected:
  void TearDown() override {
    SetWorkOpener(nullptr);
    WindowTest::TearDown();
  }
  // About 3 MiB of 100-byte lines, "MARK" in every 500th: several pieces
  // of a search and batches of a copy.
  std::wstring BigFile() {
    const auto path =
        std::filesystem::temp_directory_path() / (UniqueTempName("zorvo window") + ".txt");
    std::ofstream out(path, std::ios::binary);
    for (int i = 0; i < 30000; ++i) {
      std::string line = (i % 500 == 250 ? "MARK " : "line ") + std::to_string(i);
      line.resize(98, '.');
      out << line << "\r\n";
    }
    files.push_back(path);
    return path.wstring();
  }
  void Look(const char* pattern, uint16_t flags = kSearchDefined | kSearchCaseSensitive) {
    app().search.pattern = pattern;
    app().search.flags = flags;
    app().doc.view.searchPosition = -1;
  }
  void PressEscape() { PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 1); }
};

TEST_F(LongWork, TheTitleShowsHowFarTheSearchHasComeOnlyAfterTheDelay) {
  for (const wchar_t* delay : {L"0", L"60000"}) {
    SCOPED_TRACE(delay);
    Start("", {{kGlobalSection, L"ProgressDelay", delay}});
    Open(BigFile());
    const std::wstring caption = Title();
    TitleWatch watch(window);
    SetWorkOpener(&watch);
    Look("line 29999");
    Command(IDM_FINDNEXT);
    EXPECT_EQ(Top(), "line 29999" + std::string(88, '.'));
    ASSERT_GT(watch.titles.size(), 4u);
    const std::wstring& late = watch.titles[watch.titles.size() - 1];
    if (delay[0] == L'0') {
      EXPECT_EQ(late.rfind(L"Searching ", 0), 0u) << late;
      EXPECT_NE(late.find(L"% (Esc to stop) - " + caption), std::wstring::npos) << late;
    } else {
      EXPECT_EQ(late, caption) << "short work shows nothing";
    }
    EXPECT_EQ(Title(), caption) << "the title comes back";
  }
}

TEST_F(LongWork, EscStopsASearchAndTheViewStaysAsItWas) {
  Start();
  Open(BigFile());
  Scroll(40);
  const std::string top = Top();
  Look("line 29999");
  const size_t beeps = notifier.beeps.size();
  PressEscape();
  Command(IDM_FINDNEXT);
  EXPECT_EQ(Top(), top);
  EXPECT_FALSE(app().doc.view.selection.Any());
  EXPECT_EQ(notifier.beeps.size(), beeps) << "a stopped search says nothing";
  EXPECT_FALSE(IsIconic(window)) << "the Esc stopped the search, not the window";
  // Not stopped, it finds the line.
  Command(IDM_FINDNEXT);
  EXPECT_TRUE(app().doc.view.selection.Any());
}

TEST_F(LongWork, EscStopsMarkAllWithTheMarksMadeSoFar) {
  Start();
  Open(BigFile());
  const std::string top = Top();
  Look("MARK");
  PressEscape();
  Command(IDM_MARKALL);
  EXPECT_GT(app().doc.tags.count, 0u) << "the marks of the first piece stay";
  EXPECT_LT(app().doc.tags.count, 60u);
  EXPECT_EQ(Top(), top);
  EXPECT_TRUE(notifier.shown.empty());
  app().doc.tags.count = 0;
  Command(IDM_MARKALL);
  EXPECT_EQ(app().doc.tags.count, 60u);
}

TEST_F(LongWork, EscStopsCopyTagsAndTheClipboardKeepsWhatItHeld) {
  Start();
  Open(BigFile());
  Look("MARK");
  Command(IDM_MARKALL);
  ASSERT_EQ(app().doc.tags.count, 60u);
  auto clipboard = [] {
    std::string text = "<nothing>";
    if (!OpenClipboard(nullptr)) return std::string("<not opened>");
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
      if (const char* bytes = static_cast<const char*>(GlobalLock(data))) text = bytes;
      GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
  };
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, 7);
  memcpy(GlobalLock(memory), "before", 7);
  GlobalUnlock(memory);
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  SetClipboardData(CF_TEXT, memory);
  CloseClipboard();
  PressEscape();
  Command(IDM_COPYTAGS);
  EXPECT_EQ(clipboard(), "before");
  Command(IDM_COPYTAGS);
  EXPECT_EQ(clipboard().substr(0, 8), "MARK 250");
}

}  // namespace
}  // namespace zorvo
