// Files of the shapes users bring, in the real window: a line longer than
// 64 KiB, a layout change deep in a large file, a print file with carriage
// control and page padding.
#include <fstream>
#include <string>

#include "window_fixture.h"

namespace zorvo {
namespace {

class FileShapes : public WindowTest {
 protected:
  std::wstring Write(const std::string& bytes) {
    const std::wstring path = MakeFile(0);
    std::ofstream(std::filesystem::path(path), std::ios::binary) << bytes;
    return path;
  }
};

TEST_F(FileShapes, ALineLongerThan64KiBCutOrWrappedAndTheLinesAfterIt) {
  Start();
  const std::string longLine(70000, 'x');
  Open(Write("first\r\n" + longLine + "\r\nlast\r\n"));
  Scroll(1);
  const LineTable& table = app().doc.screen;
  EXPECT_EQ(Top(), longLine.substr(0, static_cast<size_t>(app().settings.options.MaxLineLength)))
      << "cut at the line length";
  EXPECT_TRUE(table[table.Acur].flags & kTruncated);
  Scroll(1);
  EXPECT_EQ(Top(), "last");

  // Wrapped at the window's width: the line continues row after row, and
  // the line after it comes once all of it went by.
  Command(IDM_WRAP);
  SendMessageW(window, WM_VSCROLL, SB_TOP, 0);
  Pump();
  ASSERT_EQ(Top(), "first");
  Scroll(1);
  const size_t width = Top().size();
  ASSERT_GT(width, 0u);
  EXPECT_EQ(Top(), longLine.substr(0, width));
  const size_t rows = (longLine.size() + width - 1) / width;
  Scroll(static_cast<int>(rows - 1));
  EXPECT_EQ(Top(), longLine.substr((rows - 1) * width)) << "its last row";
  Scroll(1);
  EXPECT_EQ(Top(), "last");
  SendMessageW(window, WM_VSCROLL, SB_TOP, 0);
  Pump();
  Command(IDM_WRAP);
}

TEST_F(FileShapes, ALayoutChangeKeepsATopLineDeepInTheFile) {
  Start();
  std::string bytes;
  for (int i = 0; i < 200000; ++i) bytes += "line " + std::to_string(i) + "\r\n";
  Open(Write(bytes));
  const int64_t deep = static_cast<int64_t>(bytes.find("line 150000\r"));
  SendMessageW(window, UM_GOTO_OFFSET_RELOAD, OffsetHigh(deep), OffsetLow(deep));
  Pump();
  ASSERT_EQ(Top(), "line 150000");
  for (const int id : {IDM_WRAP, IDM_ZOOMIN, IDM_HEX, IDM_TEXT, IDM_ZOOMRESET, IDM_WRAP}) {
    SCOPED_TRACE(id);
    Command(id);
    const LineTable& table = app().doc.screen;
    EXPECT_LE(table[table.Acur].offset, deep);
    EXPECT_GT(table[table.Acur + 1].offset, deep) << "the top line still holds the offset";
  }
  EXPECT_EQ(Top(), "line 150000");
}

TEST_F(FileShapes, CarriageControlAndPagePaddingInTheWindow) {
  Start("", {{{L"Tessary", L"CCChar", L"1"}}, {{L"Zorvo Setup", L"PadPageLength", L"66"}}});
  std::string bytes;
  for (int page = 1; page <= 5; ++page) {
    bytes += "1PAGE " + std::to_string(page) + "\r\n";
    for (int line = 1; line <= 20; ++line) bytes += " text " + std::to_string(line) + "\r\n";
  }
  Open(Write(bytes));
  ASSERT_EQ(Top(), "PAGE 1") << "column 1 is not shown";
  const LineTable& table = app().doc.screen;
  int pages = 0;
  int32_t pageStart = -1;
  for (int32_t i = table.Afirst; i < table.Alast; ++i) {
    if (!(table[i].flags & kPageBreak) && i != table.Afirst) continue;
    if (pageStart >= 0) {
      EXPECT_EQ(i - pageStart, 66) << "page " << pages;
    }
    pageStart = i;
    ++pages;
  }
  EXPECT_EQ(pages, 5);
  Scroll(66);
  EXPECT_EQ(Top(), "PAGE 2") << "a page down of 66 lines starts the next page";
}

}  // namespace
}  // namespace zorvo
