// The page heading: the regional date and time, the page number's field,
// where the heading goes, and the Sides prompt's escapes.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "viewer/print/odd_page_text.h"
#include "viewer/print/page_heading.h"
#include "viewer/print/regional_time.h"

namespace zorvo {
namespace {

// The "intl" keys a test sets; the others are absent.
class MapSource : public RegionalSource {
 public:
  std::map<std::wstring, std::wstring> values;
  int32_t Int(const wchar_t* key, int32_t fallback) override {
    const auto it = values.find(key);
    return it == values.end() ? fallback : std::stoi(it->second);
  }
  std::wstring Text(const wchar_t* key, const wchar_t* fallback, size_t capacity) override {
    const auto it = values.find(key);
    const std::wstring text = it == values.end() ? fallback : it->second;
    return text.substr(0, capacity - 1);
  }
};

TEST(RegionalTime, DateAndTimeForTheRegionalSettings) {
  struct Case {
    std::map<std::wstring, std::wstring> intl;
    LocalTime time;
    std::wstring date;
    std::wstring clock;
  };
  const LocalTime march5{2024, 3, 5, 0, 7};
  const Case cases[] = {
      {{}, march5, L"03/05/2024", L"12:07 AM"},
      {{{L"sShortDate", L"dd.MM.yyyy"}, {L"iTime", L"1"}}, march5, L"05.03.2024", L"00:07"},
      {{{L"sShortDate", L"d/M/yy"}, {L"iTime", L"1"}, {L"iTLzero", L"0"}},
       {2024, 3, 5, 9, 5},
       L"5/3/24",
       L"9:05"},
      {{{L"sShortDate", L"yy-dd-MM"}}, {2009, 11, 30, 13, 45}, L" 9-30-11", L"01:45 PM"},
      {{{L"sShortDate", L"yyyy-dd-MM"}}, march5, L"2024-05-03", L"12:07 AM"},
      {{{L"sShortDate", L"yy/d/M"}, {L"sTime", L"h."}, {L"s1159", L"vorm."}, {L"s2359", L"nachm."}},
       {2005, 1, 2, 12, 0},
       L" 5/2/1",
       L"12h00 nach"},
      {{{L"sShortDate", L"MM/dd/yyyy longer than eleven"}, {L"iTLzero", L"0"}},
       {2024, 12, 31, 23, 59},
       L"12/31/2024",
       L"11:59 PM"},
  };
  for (const Case& c : cases) {
    MapSource source;
    source.values = c.intl;
    const RegionalSettings settings = LoadRegionalSettings(source);
    EXPECT_EQ(FormatShortDate(c.time, settings), c.date) << settings.sShortDate;
    EXPECT_EQ(FormatClockTime(c.time, settings), c.clock) << settings.sShortDate;
  }
}

TEST(PageHeadingTest, TextAndPlace) {
  RecordingSurface surface;
  PageGeometry g;
  g.x0 = DeviceUnits(100);
  g.y0 = DeviceUnits(60);
  g.width = DeviceUnits(1010);  // not a whole number of characters
  g.height = DeviceUnits(2000);
  g.lineHeight = DeviceUnits(50);
  g.charWidth = DeviceUnits(25);
  struct Case {
    uint32_t flags;
    std::vector<std::wstring> texts;  // as "x,y:text"
    int32_t textTop;
  };
  const Case cases[] = {
      {0x0, {}, 60},
      {0x2, {L"900,60:Page 7  "}, 160},
      {0x4, {L"100,60:report.txt"}, 160},
      {0x8 | 0x1 | 0x2,
       {L"100,60:C:\\data\\report.txt", L"350,60:03/05/2024  12:07 AM  Page 7  "},
       160},
      {0x1, {L"600,60:03/05/2024  12:07 AM"}, 160},
  };
  for (const Case& c : cases) {
    surface.drawn.clear();
    PageHeading heading;
    heading.Prepare(c.flags, {2024, 3, 5, 0, 7}, RegionalSettings{});
    EXPECT_EQ(heading.Place(&surface, L"C:\\data\\report.txt", 7, g), DeviceUnits(c.textTop));
    std::vector<std::wstring> texts;
    for (const auto& d : surface.drawn) {
      texts.push_back(std::to_wstring(d.x) + L"," + std::to_wstring(d.y) + L":" + d.text);
    }
    EXPECT_EQ(texts, c.texts) << c.flags;
    // A page laid out but not printed takes the same room.
    surface.drawn.clear();
    EXPECT_EQ(heading.Place(nullptr, L"x", 7, g), DeviceUnits(c.textTop));
    EXPECT_TRUE(surface.drawn.empty());
  }
  PageHeading wide;
  wide.Prepare(0x2, {}, {});
  EXPECT_EQ(wide.RightText(1234), L"Page 1234");
}

TEST(OddPageText, EscapesInTheStoredPrompt) {
  struct Case {
    std::wstring stored;
    std::wstring shown;
  };
  const Case cases[] = {
      {L"one\\ntwo", L"one\ntwo"},        {L"a\\tb", L"a\tb"},
      {L"c:\\\\temp", L"c:\\temp"},       {L"\\x stays", L"\\x stays"},
      {L"ends with \\", L"ends with \\"}, {L"\\\\n", L"\\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(UnescapeOddPageText(c.stored), c.shown) << c.stored;
}

}  // namespace
}  // namespace zorvo
