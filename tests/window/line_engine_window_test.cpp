// The line engine behind the real window: a line longer than 64 KiB, a
// layout change deep in a file, page padding with carriage control.
#include "window_fixture.h"

namespace zorvo {
namespace {

class LineEngineWindow : public WindowTest {
 protected:
  std::wstring MakeBytes(const std::string& bytes) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("zorvo engine " + std::to_string(GetCurrentProcessId()) + " " +
                       std::to_string(files.size()) + ".txt");
    std::ofstream(path, std::ios::binary) << bytes;
    files.push_back(path);
    return path.wstring();
  }
  void Redraw() {
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
    Pump();
  }
  int64_t TopOffset() { return app().doc.screen[app().doc.screen.Acur].offset; }
  // The line at the top holds `offset`.
  bool TopHolds(int64_t offset) {
    const LineTable& table = app().doc.screen;
    return table[table.Acur].offset <= offset && offset < table[table.Acur + 1].offset;
  }
};

TEST_F(LineEngineWindow, ALineLongerThan64KiBIsCutOrWrappedAndPainted) {
  Start();
  std::string line(100'000, ' ');
  for (size_t i = 0; i < line.size(); ++i) line[i] = static_cast<char>('a' + i % 26);
  Open(MakeBytes("before\r\n" + line + "\r\nafter\r\n"));
  const LineTable& table = app().doc.screen;
  ASSERT_EQ(Top(), "before");
  EXPECT_EQ(table[table.Acur + 1].length, app().settings.options.MaxLineLength);
  EXPECT_EQ(table[table.Acur + 1].flags & kTruncated, static_cast<uint32_t>(kTruncated));
  EXPECT_EQ(std::string(table.TextOf(table.Acur + 2), 5), "after");
  Redraw();

  Command(IDM_WRAP);
  const int32_t width = app().doc.view.layoutWidth;
  ASSERT_GT(width, 20);
  ASSERT_LT(width, 1000) << "wrapped at the window's width";
  EXPECT_EQ(Top(), "before");
  // Deep into the line: the display line holding the offset, on its boundary.
  const int64_t deep = 8 + 70'000;
  PositionView(window, PositionKind::kGotoOffset, deep);
  EXPECT_EQ(TopOffset(), 8 + (70'000 / width) * width);
  Redraw();
  Scroll((100'000 - 70'000) / width + 1);
  EXPECT_EQ(Top(), "after");
  Scroll(-(100'000 / width + 2));
  EXPECT_EQ(Top(), "before");
  Command(IDM_WRAP);
  EXPECT_EQ(Top(), "before");
}

TEST_F(LineEngineWindow, ALayoutChangeKeepsATopLineDeepInTheFile) {
  Start();
  Open(MakeFile(20'000));
  // "line 9999\r\n" and up: past the first table, which holds 4096 lines.
  const int64_t line15000 = 10 * 8 + 90 * 9 + 900 * 10 + 9000 * 11 + 5000 * 12;
  PositionView(window, PositionKind::kGotoOffset, line15000);
  ASSERT_EQ(Top(), "line 15000");
  Command(IDM_WRAP);
  EXPECT_EQ(Top(), "line 15000") << "wrap on";
  Command(IDM_ZOOMIN);
  EXPECT_EQ(Top(), "line 15000") << "a larger font";
  SetWindowPos(window, nullptr, 0, 0, 500, 400, SWP_NOZORDER | SWP_NOMOVE);
  Pump();
  EXPECT_EQ(Top(), "line 15000") << "a narrower window";
  Command(IDM_WRAP);
  Command(IDM_ZOOMRESET);
  EXPECT_EQ(Top(), "line 15000");

  // Inside a long wrapped line the top stays on the display line holding
  // the same byte, wherever the new width puts its boundaries.
  Open(MakeBytes("first\n" + std::string(300'000, 'w') + "\nlast\n"));
  Command(IDM_WRAP);
  PositionView(window, PositionKind::kGotoOffset, 200'000);
  const int64_t top = TopOffset();
  ASSERT_TRUE(TopHolds(200'000));
  Command(IDM_ZOOMIN);
  EXPECT_TRUE(TopHolds(top)) << "the top line's first byte stays at the top";
  Command(IDM_ZOOMRESET);
  Command(IDM_WRAP);
  EXPECT_EQ(TopOffset(), 6) << "wrap off: the whole line, from its start";
}

TEST_F(LineEngineWindow, PagePaddingWithCarriageControl) {
  Start("", {{{kGlobalSection, L"PadPageLength", L"66"}}, {{kOptionsSection, L"CCChar", L"1"}}});
  // 100 pages: a heading after '1' (new page), 30 rows, every third after
  // '0' (one blank line before it): 41 display lines, padded to 66.
  std::string bytes;
  for (int page = 0; page < 100; ++page) {
    bytes += "1PAGE " + std::to_string(page) + "\r\n";
    for (int row = 0; row < 30; ++row) {
      bytes += (row % 3 == 0 ? "0" : " ") + std::string("row ") + std::to_string(page) + "." +
               std::to_string(row) + "\r\n";
    }
  }
  Open(MakeBytes(bytes));
  const LineTable& table = app().doc.screen;
  ASSERT_EQ(Top(), "PAGE 0");
  EXPECT_EQ(table[table.Acur].pageLine, 1);
  for (int k = 41; k < 66; ++k) {
    EXPECT_EQ(table[table.Acur + k].length, 0) << k;
    EXPECT_EQ(table[table.Acur + k].pageLine, k + 1) << k;
  }
  EXPECT_EQ(std::string(table.TextOf(table.Acur + 66), 6), "PAGE 1");
  EXPECT_EQ(table[table.Acur + 66].pageLine, 1);
  EXPECT_TRUE(table[table.Acur + 66].flags & kPageBreak);
  Redraw();

  // Through the file and back: every table numbered page by page, no
  // control character shown, never the error report.
  auto check = [&](const char* where) {
    ASSERT_NE(Top().rfind("*", 0), 0u) << where;
    for (int32_t i = table.Afirst; i < table.Alast; ++i) {
      const std::string text(table.TextOf(i), static_cast<size_t>(table[i].length));
      ASSERT_TRUE(text.empty() || text.rfind("PAGE ", 0) == 0 || text.rfind("row ", 0) == 0)
          << where << ": " << text;
      if (i > table.Afirst && table[i].pageLine > 1 && table[i - 1].pageLine > 0) {
        ASSERT_EQ(table[i].pageLine, table[i - 1].pageLine + 1) << where << " line " << i;
      }
    }
  };
  PositionView(window, PositionKind::kGotoOffset, bytes.find("PAGE 70"));
  check("page 70");
  for (int i = 0; i < 20; ++i) {
    Scroll(-300);
    check("up");
  }
  EXPECT_EQ(Top(), "PAGE 0");
  SendMessageW(window, WM_VSCROLL, SB_BOTTOM, 0);
  Pump();
  check("bottom");
  EXPECT_EQ(Top(), "row 99.29");
  Redraw();
}

}  // namespace
}  // namespace zorvo
