// Copy and Copy Tags on the real window and the real clipboard: the lines
// as the window shows them, tags across a table rebuild, the beeps; and the
// two commands whose line was off by one (Select All, Toggle after Find).
#include "viewer/file/search.h"
#include "window_fixture.h"

namespace zorvo {
namespace {

class Copying : public WindowTest {
 protected:
  static std::string Clipboard() {
    std::string text = "<nothing>";
    if (!OpenClipboard(nullptr)) return "<not opened>";
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
      if (const char* bytes = static_cast<const char*>(GlobalLock(data))) text = bytes;
      GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
  }
  static void SetClipboard(const std::string& text) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
    GlobalUnlock(memory);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    SetClipboardData(CF_TEXT, memory);
    CloseClipboard();
  }
  // The window's lines from entry `first` on, `count` of them, with CR LF.
  std::string Shown(int32_t first, int32_t count) {
    std::string text;
    for (int32_t i = first; i < first + count; ++i) {
      text.append(app().doc.screen.TextOf(i), static_cast<size_t>(app().doc.screen[i].length)) +=
          "\r\n";
    }
    return text;
  }
  // The offset of "line N\r\n" in a file of such lines, N < 100000.
  static int64_t Offset(int64_t n) {
    int64_t offset = 0, width = 8, from = 0, to = 10;
    for (; n >= to; from = to, to *= 10, ++width) offset += (to - from) * width;
    return offset + (n - from) * width;
  }
  void Select(int32_t first, int32_t count) {
    const int64_t start = app().doc.screen[first].offset,
                  end = app().doc.screen[first + count].offset;
    app().doc.view.selection = Selection{start, end, start, end};
  }
};

TEST_F(Copying, TheSelectionAsTheWindowShowsItInTextAndHex) {
  Start();
  Open(MakeFile(300, "line\t"));
  app().settings.options.CurrentOptions |=
      0x20;  // expand tabs: the copy shows them as the window does
  Command(IDM_TEXT);
  for (const int format : {IDM_TEXT, IDM_HEX}) {
    SCOPED_TRACE(format);
    Command(format);
    Scroll(40);
    const int32_t top = app().doc.screen.Acur;
    Select(top + 2, 3);
    Command(IDM_COPY);
    EXPECT_EQ(Clipboard(), Shown(top + 2, 3));
  }
  EXPECT_EQ(Clipboard().find("  "), 8u) << "a hex dump line, its address first";
  EXPECT_TRUE(notifier.beeps.empty());

  // Without a selection: a plain beep, and the clipboard keeps what it had.
  SetClipboard("kept");
  app().doc.view.selection.Clear();
  Command(IDM_COPY);
  EXPECT_EQ(Clipboard(), "kept");
  EXPECT_EQ(notifier.beeps, (std::vector<uint32_t>{kMessageOk}));
}

// The selection of Select All ends at the file's length, so a last line of
// one byte is selected, shown inverted and copied.
TEST_F(Copying, SelectAllTakesALastLineOfOneByte) {
  Start();
  const std::wstring path = MakeFile(3, "l");
  std::ofstream(files.back(), std::ios::app | std::ios::binary) << "z";
  Open(path);
  Command(IDM_SELECTALL);
  EXPECT_EQ(app().doc.view.selection.end, app().doc.file.Flen);
  Command(IDM_COPY);
  EXPECT_EQ(Clipboard(), "l0\r\nl1\r\nl2\r\nz\r\n");
}

// Three marks far apart, with the table rebuilt elsewhere in between.
TEST_F(Copying, TaggedLinesAcrossATableRebuild) {
  Start();
  Open(MakeFile(20000));
  for (const int line : {3, 9000, 19999}) {
    SendMessageW(window, UM_GOTO_OFFSET_RELOAD, 0, static_cast<LPARAM>(Offset(line)));
    Pump();
    ASSERT_EQ(Top(), "line " + std::to_string(line));
    Command(IDM_TOGGLE);
  }
  ASSERT_EQ(app().doc.tags.count, 3u);
  SendMessageW(window, UM_GOTO_OFFSET_RELOAD, 0, static_cast<LPARAM>(Offset(15000)));
  Pump();
  SetClipboard("old");
  Command(IDM_COPYTAGS);
  EXPECT_EQ(Clipboard(), "line 3\r\nline 9000\r\nline 19999\r\n");
  EXPECT_EQ(Top(), "line 15000") << "the view is not disturbed";
  EXPECT_TRUE(notifier.beeps.empty());

  // No marks: a warning beep and nothing else.
  Command(IDM_UNMARKALL);
  SetClipboard("old");
  Command(IDM_COPYTAGS);
  EXPECT_EQ(Clipboard(), "old");
  EXPECT_EQ(notifier.beeps, (std::vector<uint32_t>{kIconExclamation}));
  EXPECT_TRUE(notifier.shown.empty());
}

// Find Next selects a match inside its line; Toggle then marks that line.
TEST_F(Copying, ToggleAfterFindNextMarksTheLineOfTheMatch) {
  Start();
  Open(MakeFile(100));
  app().search.pattern = "ne 42";
  app().search.flags = kSearchDefined;
  app().doc.view.searchPosition = 0;
  Command(IDM_FINDNEXT);
  ASSERT_EQ(app().doc.view.selection.start, Offset(42) + 2);
  Command(IDM_TOGGLE);
  ASSERT_EQ(app().doc.tags.count, 1u);
  EXPECT_EQ(app().doc.tags[0].offset, Offset(42));
}

}  // namespace
}  // namespace zorvo
