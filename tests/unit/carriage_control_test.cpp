// Carriage control through the Text formatter: the ASA and IBM tables, user
// tables from the profile and their parser, the diagnostic dump, and the
// page counts of real print files.
#include "viewer/file/carriage_control.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "settings_fixture.h"
#include "support/temp_names.h"
#include "viewer/file/carriage_control.h"
#include "viewer/file/formatter.h"
#include "viewer/settings/user_skip_counts.h"

namespace zorvo {
namespace {

struct Line {
  uint32_t flags;
  std::string text;
  bool operator==(const Line&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Line& line) {
  return os << "{0x" << std::hex << line.flags << std::dec << ", \"" << line.text << "\"}";
}

using Lines = std::vector<Line>;

// Every display line of `file`, forward from its start or backward from its
// end, with room for all of them.
Lines Format(const std::string& file, const SkipCounts& counts, uint32_t options,
             Direction dir = Direction::kForward) {
  const int32_t slots = 1 << 16;
  LineTable table(slots, 1 << 22);
  const auto n = static_cast<int64_t>(file.size());
  const bool forward = dir == Direction::kForward;
  Block block{reinterpret_cast<const unsigned char*>(file.data()), n, forward ? 0 : n};
  LineCursor lines{table.entries(), slots, forward ? 0 : slots};
  TextCursor text{table.chars(), table.Tlen, 0};
  FormatParams params;
  params.options = options;
  params.skipCounts = &counts;
  FormatText(block, lines, text, forward ? 0 : n, dir, params);
  Lines out;
  for (int32_t i = forward ? 0 : lines.index; i < (forward ? lines.index : slots); ++i) {
    out.push_back({table[i].flags, std::string(table.TextOf(i), table[i].length)});
  }
  return out;
}

SkipCounts AllOne() {
  SkipCounts t;
  t.fill(1);
  return t;
}

class CarriageControlTest : public SettingsTest {
 protected:
  const SkipCounts& Table(uint32_t bit, std::wstring_view name = L"") {
    return ProfileSkipCounts(settings, kOptCarriageControl | bit, name);
  }
};

// ------------------------------------------------------- built-in tables ----

TEST_F(CarriageControlTest, AsaFiveLineExample) {
  const SkipCounts& asa = Table(kOptCcAsa);
  const uint32_t options = kOptCarriageControl | kOptCcAsa;
  const std::string file = "1first\n second\n0third\n-fourth\n+fifth\n";
  const Lines expected{{kPageBreak, "first"}, {0, "second"}, {0, ""},     {0, "third"},
                       {0, ""},               {0, ""},       {0, "fourth"}, {0, "fifth"}};
  EXPECT_EQ(Format(file, asa, options), expected);
  EXPECT_EQ(Format(file, asa, options, Direction::kBackward), expected);
  // Any other character moves one line and is not shown either.
  EXPECT_EQ(Format("Aa\n\x89z\n", asa, options), (Lines{{0, "a"}, {0, "z"}}));
}

TEST_F(CarriageControlTest, IbmMachineCodes) {
  const SkipCounts& ibm = Table(kOptCcIbm);
  const uint32_t options = kOptCarriageControl | kOptCcIbm;
  const std::string file = "\x89page\n\x11two\n\x19three\n\x01over\n\x09one\n";
  const Lines expected{{kPageBreak, "page"}, {0, ""}, {0, "two"}, {0, ""},
                       {0, ""},              {0, "three"}, {0, "over"}, {0, "one"}};
  EXPECT_EQ(Format(file, ibm, options), expected);
  EXPECT_EQ(Format(file, ibm, options, Direction::kBackward), expected);
  // The skip-immediate codes move like their write-and-skip partners.
  EXPECT_EQ(Format("\x8B" "a\n\x13" "b\n\x1B" "c\n\x0B" "d\n", ibm, options),
            (Lines{{kPageBreak, "a"}, {0, ""}, {0, "b"}, {0, ""}, {0, ""}, {0, "c"}, {0, "d"}}));
  // Overprint shows as a line of its own, but the table keeps it a 0 for
  // the printer; no other code moves other than one line.
  auto moving = [](const SkipCounts& t) { return 256 - std::count(t.begin(), t.end(), 1); };
  EXPECT_EQ(ibm[0x01], 0);
  EXPECT_EQ(moving(ibm), 7);
  EXPECT_EQ(AsaSkipCounts()['+'], 0);
  EXPECT_EQ(moving(AsaSkipCounts()), 4);
  // The ASA characters mean nothing here.
  EXPECT_EQ(Format("1a\n0b\n", ibm, options), (Lines{{0, "a"}, {0, "b"}}));
}

TEST_F(CarriageControlTest, TableChoiceOrder) {
  const uint32_t all = kOptCcAsa | kOptCcIbm | kOptCcUser;
  EXPECT_EQ(&ProfileSkipCounts(settings, kOptCarriageControl | all, L"T"), &AsaSkipCounts());
  EXPECT_EQ(&ProfileSkipCounts(settings, kOptCcIbm | kOptCcUser, L"T"), &IbmSkipCounts());
  EXPECT_EQ(&ProfileSkipCounts(settings, kOptCarriageControl, L"T"), &PlainSkipCounts());
  EXPECT_TRUE(UserSkipCountsStale(settings)) << "only the user choice reads the profile";
  EXPECT_EQ(ProfileSkipCounts(settings, kOptCcUser, L"T"), AllOne())
      << "a missing key is the plain table";
  EXPECT_FALSE(UserSkipCountsStale(settings));
}

// ----------------------------------------------------------- user tables ----

TEST_F(CarriageControlTest, UserTableFromTheProfile) {
  Put(L"CarriageControl", L"LINEPRT", L"241=2 64=-1");
  const SkipCounts& user = Table(kOptCcUser, L"LINEPRT");
  SkipCounts expected = AllOne();
  expected[0xF1] = 2;
  expected[0x40] = 255;
  EXPECT_EQ(user, expected);
  EXPECT_EQ(Format("\xF1two\n\x40page\n" "1one\n", user, kOptCarriageControl | kOptCcUser),
            (Lines{{0, ""}, {0, "two"}, {kPageBreak, "page"}, {0, "one"}}));

  // The same entries in hex with commas, and in octal.
  EXPECT_EQ(ParseUserSkipCounts("0xF1=2,0x40=-1"), expected);
  EXPECT_EQ(ParseUserSkipCounts("0361=2 0100=0xff"), expected);
  EXPECT_EQ(ParseUserSkipCounts("+241=+2\t  64=-1"), expected) << "signs and white space";
}

TEST_F(CarriageControlTest, UserTableIsReadAgainOnlyWhenStale) {
  Put(L"CarriageControl", L"T", L"65=3");
  EXPECT_EQ(Table(kOptCcUser, L"T")['A'], 3);
  Put(L"CarriageControl", L"T", L"65=4");
  EXPECT_EQ(Table(kOptCcUser, L"T")['A'], 3) << "read once per choice, not per pass";
  MarkUserSkipCountsStale(settings);
  EXPECT_EQ(Table(kOptCcUser, L"T")['A'], 4);
  Put(L"CarriageControl", L"T", L"");
  MarkUserSkipCountsStale(settings);
  EXPECT_EQ(Table(kOptCcUser, L"T"), AllOne()) << "an empty value is the plain table";
}

TEST_F(CarriageControlTest, NumbersWrapModulo256) {
  SkipCounts expected = AllOne();
  expected[241] = 2;
  EXPECT_EQ(ParseUserSkipCounts("497=258"), expected);
  EXPECT_EQ(ParseUserSkipCounts("-15=-254"), expected);
  EXPECT_EQ(ParseUserSkipCounts("4294967537=2"), expected) << "past 32 bits";
  EXPECT_EQ(ParseUserSkipCounts("241=2,"), expected) << "a final separator ends the text";
}

TEST_F(CarriageControlTest, GarbledPieces) {
  auto only = [](std::initializer_list<std::pair<int, int>> entries) {
    SkipCounts t = AllOne();
    for (auto [code, count] : entries) t[code] = static_cast<unsigned char>(count);
    return t;
  };
  // Exactly one character follows each entry, whatever it is: a '-' or an
  // '=' after a count is the separator, and "3" then has no '='.
  EXPECT_EQ(ParseUserSkipCounts("65=2-66=3"), only({{65, 2}, {66, 3}}));
  EXPECT_EQ(ParseUserSkipCounts("65=266=3"), only({{65, 10}}));
  EXPECT_EQ(ParseUserSkipCounts("65=2,,66=3"), only({{65, 2}, {66, 3}}));
  // A piece without '=' loses its number and the one character after it.
  EXPECT_EQ(ParseUserSkipCounts("65 66=3"), only({{66, 3}}));
  EXPECT_EQ(ParseUserSkipCounts("65 =2"), only({{0, 2}})) << "then '=2' has no code: 0";
  // "0x" without a hex digit is the number 0 and stops before the 'x'.
  EXPECT_EQ(ParseUserSkipCounts("1=0x-2=3"), only({{1, 0}, {254, 3}}));
  // A count that is no number is 0.
  EXPECT_EQ(ParseUserSkipCounts("65=x,66=3"), only({{65, 0}, {66, 3}}));
  EXPECT_EQ(ParseUserSkipCounts("="), only({{0, 0}}));
  EXPECT_EQ(ParseUserSkipCounts("1= =3"), only({{1, 0}, {0, 3}})) << "no digits: nothing read";
  EXPECT_EQ(ParseUserSkipCounts("08=3"), only({{0, 3}})) << "8 is no octal digit";
  EXPECT_EQ(ParseUserSkipCounts("nonsense --==,,"), only({{0, 0}}));
  EXPECT_EQ(ParseUserSkipCounts(std::string("65=2\0" "66=3", 9)), only({{65, 2}}))
      << "the text ends at a null";
  EXPECT_EQ(ParseUserSkipCounts(""), AllOne());
}

// ------------------------------------------------------ diagnostic dump ----

class CarriageControlDumpTest : public CarriageControlTest {
 protected:
  void SetUp() override {
    CarriageControlTest::SetUp();
    path_ = std::filesystem::temp_directory_path() / (UniqueTempName("zorvo_cc_dump") + ".txt");
    std::filesystem::remove(path_);
    settings.globals.DebugFileName = path_.wstring();
    Put(L"CarriageControl", L"LINEPRT", L"241=2 64=-1 43=0");
  }
  void TearDown() override {
    std::filesystem::remove(path_);
    CarriageControlTest::TearDown();
  }
  std::string Contents() const {
    std::ifstream in(path_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  // The file is written as text: CR LF line ends on Windows.
  static std::string AsText(std::string s) {
#ifdef _WIN32
    for (size_t i = s.find('\n'); i != std::string::npos; i = s.find('\n', i + 2)) {
      s.insert(i, 1, '\r');
    }
#endif
    return s;
  }
  std::filesystem::path path_;
};

TEST_F(CarriageControlDumpTest, ListsTheCodesThatDoNotMoveOneLine) {
  settings.globals.DiagMode = 1;
  Table(kOptCcUser, L"LINEPRT");
  const std::string dump = AsText(
      "\nRetrieved a user carriage control table:"
      "\nLINEPRT=241=2 64=-1 43=0"
      "\nCodes that skip more or less than one line shown as \"decimal[hex]'char'\":\n"
      "  43 [2B] '+' = 0\n"
      "  64 [40] '@' = 255\n"
      " 241 [F1] '\xF1' = 2\n");
  EXPECT_EQ(Contents(), dump);

  Table(kOptCcUser, L"LINEPRT");
  EXPECT_EQ(Contents(), dump) << "no second read, no second dump";
  MarkUserSkipCountsStale(settings);
  Table(kOptCcUser, L"LINEPRT");
  EXPECT_EQ(Contents(), dump + dump) << "appended";
}

TEST_F(CarriageControlDumpTest, OnlyInDiagnosticModeWithAFileName) {
  Table(kOptCcUser, L"LINEPRT");
  EXPECT_FALSE(std::filesystem::exists(path_));
  settings.globals.DiagMode = 1;
  settings.globals.DebugFileName.clear();
  MarkUserSkipCountsStale(settings);
  EXPECT_EQ(Table(kOptCcUser, L"LINEPRT")[0xF1], 2);
  // A file that cannot be opened changes nothing but the missing dump.
  settings.globals.DebugFileName = (path_ / "no" / "such" / "folder").wstring();
  MarkUserSkipCountsStale(settings);
  EXPECT_EQ(Table(kOptCcUser, L"LINEPRT")[0x40], 255);
  EXPECT_FALSE(std::filesystem::exists(path_));
}

// ------------------------------------------------------------ real data ----

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The input lines of a file with LF or CR LF line ends.
std::vector<std::string> InputLines(const std::string& file) {
  std::vector<std::string> lines;
  size_t from = 0;
  while (from < file.size()) {
    size_t end = file.find('\n', from);
    if (end == std::string::npos) end = file.size();
    std::string line = file.substr(from, end - from);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    from = end + 1;
  }
  return lines;
}

TEST_F(CarriageControlTest, RealAsaFilesPageByPage) {
  // Pages ('1' in column 1) as counted in tests/data/SOURCES.md.
  const std::map<std::string, int> pages{
      {"che4z_cobol_listing_IC2264.lst", 21}, {"che4z_cobol_listing_NC2184.lst", 75},
      {"nastran_d01141a.out", 11},            {"nastran_d01011b.out", 26},
      {"nastran_t09071a.out", 288},           {"freebsd_asa_one.in", 2},
      {"freebsd_asa_plus.in", 0},             {"freebsd_asa_plus_top.in", 0},
      {"freebsd_asa_unterminated.in", 0},     {"freebsd_asa_zero.in", 0}};
  const SkipCounts& asa = Table(kOptCcAsa);
  const uint32_t options = kOptCarriageControl | kOptCcAsa;
  size_t seen = 0;
  for (const auto& entry :
       std::filesystem::directory_iterator(std::filesystem::path(ZORVO_TEST_DATA "/asa"))) {
    const std::string ext = entry.path().extension().string();
    if (ext != ".lst" && ext != ".out" && ext != ".in") continue;
    const std::string name = entry.path().filename().string();
    SCOPED_TRACE(name);
    ASSERT_TRUE(pages.count(name)) << "a new file needs its page count";
    ++seen;
    const std::string file = ReadFile(entry.path());
    const Lines fwd = Format(file, asa, options);

    // Walk the input lines beside the display lines: the spacing lines the
    // control character asks for, then the rest of the line as its text.
    int breaks = 0;
    size_t k = 0;
    for (const std::string& in : InputLines(file)) {
      const int count = in.empty() ? 1 : asa[static_cast<unsigned char>(in[0])];
      for (int j = 1; j < count && count != 255; ++j, ++k) {
        ASSERT_LT(k, fwd.size());
        EXPECT_EQ(fwd[k], (Line{0, ""})) << "display line " << k;
      }
      ASSERT_LT(k, fwd.size());
      EXPECT_EQ(fwd[k].text, in.empty() ? in : in.substr(1)) << "display line " << k;
      EXPECT_EQ((fwd[k].flags & kPageBreak) != 0, count == 255) << "display line " << k;
      breaks += (fwd[k].flags & kPageBreak) != 0;
      ++k;
    }
    EXPECT_EQ(k, fwd.size());
    EXPECT_EQ(breaks, pages.at(name));
    EXPECT_EQ(Format(file, asa, options, Direction::kBackward), fwd);

    // With page gaps every new page is a gap line of its own instead.
    const Lines gaps = Format(file, asa, options | kOptPageGaps);
    int gapLines = 0;
    for (const Line& line : gaps) {
      EXPECT_EQ(line.flags & kPageBreak, 0u);
      gapLines += (line.flags & kPageGap) != 0;
    }
    EXPECT_EQ(gapLines, pages.at(name));
    EXPECT_EQ(gaps.size(), fwd.size() + pages.at(name));
    EXPECT_EQ(Format(file, asa, options | kOptPageGaps, Direction::kBackward), gaps);
  }
  EXPECT_EQ(seen, pages.size());
}

}  // namespace
}  // namespace zorvo
