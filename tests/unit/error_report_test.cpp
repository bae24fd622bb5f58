#include "viewer/frame/error_report.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace zorvo {
namespace {

const std::string kRule(41, '*');

std::vector<std::string> Lines(const LineTable& table) {
  std::vector<std::string> out;
  for (int32_t i = 0; i < table.Alast; ++i) out.emplace_back(table.TextOf(i), table[i].length);
  return out;
}

// A table with spare slots and text beyond what Acnt and Tlen admit, filled
// with markers, so that any write past the limits shows.
class ErrorReport : public testing::Test {
 protected:
  static constexpr int32_t kSpareSlots = 8;
  static constexpr int32_t kSpareText = 64;

  void Make(int32_t slots, int32_t text) {
    table_ = std::make_unique<LineTable>(slots + kSpareSlots, text + kSpareText);
    table_->Acnt = slots;
    table_->Tlen = text;
    for (int32_t i = 0; i < slots + kSpareSlots; ++i) (*table_)[i].offset = -7;
    std::memset(table_->chars(), '#', static_cast<size_t>(text + kSpareText));
  }
  void ExpectSpareUntouched() const {
    for (int32_t i = table_->Acnt; i < table_->Acnt + kSpareSlots; ++i)
      EXPECT_EQ((*table_)[i].offset, -7) << "slot " << i;
    EXPECT_EQ(std::string(table_->chars() + table_->Tlen, kSpareText),
              std::string(kSpareText, '#'));
  }
  // The report is a well-formed table: lines at offset 1, the end entry at
  // Flen, everything in the message colours, the window at the top.
  void ExpectShape(int64_t flen) const {
    const LineTable& t = *table_;
    EXPECT_EQ(t.Afirst, 0);
    EXPECT_EQ(t.Acur, 0);
    int32_t text = 0;
    for (int32_t i = 0; i < t.Alast; ++i) {
      EXPECT_EQ(t[i].offset, 1) << i;
      EXPECT_EQ(t[i].text, static_cast<uint32_t>(text)) << i;
      text += t[i].length;
    }
    EXPECT_EQ(t.Tend, text);
    EXPECT_EQ(t[t.Alast].offset, flen);
    EXPECT_EQ(t[t.Alast].length, -1);
    EXPECT_EQ(t[t.Alast].text, 0u);
    for (int32_t i = 0; i <= t.Alast; ++i) EXPECT_EQ(t[i].flags, kMessageLine) << i;
  }

  std::unique_ptr<LineTable> table_;
};

TEST_F(ErrorReport, ShowsTheStateFromBeforeTheFailure) {
  Make(kScreenLines, kScreenText);
  table_->Afirst = 17;
  table_->Alast = 3210;
  table_->Acur = 40;
  table_->Tend = 654321;
  const FileRecord file{4'999'999'999, 5'000'000'000, L"big.log"};
  ShowProgramError(0x1A2Fu, file, *table_);

  // Fcur and Flen above 32 bits are the values long would cut on Windows.
  EXPECT_EQ(Lines(*table_), (std::vector<std::string>{
                                kRule,
                                "* PROGRAM ERROR OCCURRED",
                                "* Please note the following information:",
                                "* Status=1A2F",
                                "* Acnt=4096, Afirst=17, Alast=3210, Acur=40",
                                "* Fcur=4999999999, Flen=5000000000",
                                "* Tlen=1048576, Tend=654321",
                                "* Press [Home] to get back to Zorvo",
                                kRule,
                                " ",
                            }));
  EXPECT_EQ(table_->Alast, 10);
  ExpectShape(5'000'000'000);
  ExpectSpareUntouched();
  // Offset 1 on every line keeps offset 0 outside the table, so a move to the
  // start of the file rebuilds it.
  EXPECT_LT(0, (*table_)[table_->Afirst].offset);
}

TEST_F(ErrorReport, TooFewSlotsGiveTheFirstLinesOnly) {
  Make(4, 4096);
  ShowProgramError(1, FileRecord{0, 99, L""}, *table_);
  // Three lines and the end entry fill the four slots.
  EXPECT_EQ(Lines(*table_), (std::vector<std::string>{kRule, "* PROGRAM ERROR OCCURRED",
                                                      "* Please note the following information:"}));
  ExpectShape(99);
  ExpectSpareUntouched();
}

TEST_F(ErrorReport, OneSlotHoldsOnlyTheEndEntry) {
  Make(1, 4096);
  ShowProgramError(1, FileRecord{0, 99, L""}, *table_);
  EXPECT_EQ(table_->Alast, 0);
  ExpectShape(99);
  ExpectSpareUntouched();
}

TEST_F(ErrorReport, TooLittleTextEndsTheReportAtTheLineThatDoesNotFit) {
  // The rule fits; the next line does not, and the shorter ones after it are
  // not shown out of order either.
  Make(64, 50);
  ShowProgramError(1, FileRecord{0, 99, L""}, *table_);
  EXPECT_EQ(Lines(*table_), std::vector<std::string>{kRule});
  ExpectShape(99);
  ExpectSpareUntouched();
}

TEST_F(ErrorReport, TextThatFillsTheBufferExactlyFits) {
  Make(64, 41);
  ShowProgramError(1, FileRecord{0, 99, L""}, *table_);
  EXPECT_EQ(Lines(*table_), std::vector<std::string>{kRule});
  EXPECT_EQ(table_->Tend, 41);
  ExpectSpareUntouched();  // no terminator written after it
}

TEST_F(ErrorReport, AppendMovesTheValidRangeAroundTheNewLine) {
  Make(16, 256);
  table_->Afirst = 5;
  table_->Alast = 9;
  table_->Acur = 2;
  table_->Tend = 10;
  EXPECT_EQ(AppendMessageLine(*table_, "x=%d", 42), 0u);
  EXPECT_EQ(table_->Afirst, 2);
  EXPECT_EQ(table_->Acur, 3);
  EXPECT_EQ(table_->Alast, 9);
  EXPECT_EQ(table_->Tend, 14);
  EXPECT_EQ(std::string(table_->TextOf(2), (*table_)[2].length), "x=42");
  EXPECT_EQ((*table_)[2].offset, 1);
  EXPECT_EQ((*table_)[2].flags, kMessageLine);

  table_->Acur = 14;
  EXPECT_EQ(AppendMessageLine(*table_, "y"), 0u);
  EXPECT_EQ(table_->Alast, 15);
}

TEST_F(ErrorReport, AppendToAFullTableChangesNothing) {
  Make(16, 256);
  table_->Acur = 15;  // no slot left for the end entry after it
  table_->Tend = 3;
  EXPECT_EQ(AppendMessageLine(*table_, "y"), 0x100u);
  EXPECT_EQ(table_->Acur, 15);
  EXPECT_EQ(table_->Tend, 3);
  EXPECT_EQ((*table_)[15].offset, -7);

  table_->Acur = 0;
  table_->Tend = 250;
  EXPECT_EQ(AppendMessageLine(*table_, "%s", "1234567"), 0x100u);
  EXPECT_EQ(table_->Acur, 0);
  EXPECT_EQ(table_->Tend, 250);
  EXPECT_EQ(std::string(table_->chars() + 250, 6), "######");
}

}  // namespace
}  // namespace zorvo
