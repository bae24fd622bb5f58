#include "viewer/dde/dde_command.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/wide_text.h"
#include "viewer/file/search.h"

namespace zorvo {
namespace {

std::vector<std::wstring> PartsOf(const DdeParts& parts) {
  return std::vector<std::wstring>(parts.part.begin(), parts.part.begin() + parts.count);
}

TEST(DdeCommand, Syntax) {
  struct Case {
    std::wstring text;
    int start;
    int result;
    std::vector<std::wstring> parts;
  };
  const Case cases[] = {
      {L"[Open \"C:\\My Files\\a]b.log\"]", 0, 28, {L"Open", L"C:\\My Files\\a]b.log"}},
      {L" \t\r\n[ close ]  ", 0, 13, {L"close"}},
      {L"[Find \"say \"\"hi\"\" now\" Case Top]",
       0,
       32,
       {L"Find", L"say \"hi\" now", L"Case", L"Top"}},
      {L"[Open \"\"]", 0, 9, {L"Open", L""}},
      {L"[Find \"\"\"\"]", 0, 11, {L"Find", L"\""}},
      {L"[Open \"abc\"def]", 0, 15, {L"Open", L"abc", L"def"}},
      {L"[a\"b c[d]", 0, 9, {L"a\"b", L"c[d"}},
      {L"[Display Hex][Window Maximize]", 0, 13, {L"Display", L"Hex"}},
      {L"[Display Hex][Window Maximize]", 13, 30, {L"Window", L"Maximize"}},
      {L"[a b c d e f]", 0, 13, {L"a", L"b", L"c", L"d", L"e", L"f"}},
      {L"[]", 0, 2, {}},
      // The results below 1.
      {L"", 0, kDdeEnd, {}},
      {L"[Exit]  \n", 6, kDdeEnd, {}},
      {L"[Exit]", 6, kDdeEnd, {}},
      {L"[Exit]", 7, kDdeBeyondText, {}},
      {L"[Exit]", -1, kDdeBeyondText, {}},
      {L"Exit", 0, kDdeNoBracket, {}},
      {L"[Exit] x[Exit]", 6, kDdeNoBracket, {}},
      {L"[a b c d e f g]", 0, kDdeTooManyParts, {}},
      {L"[Exit", 0, kDdeUnclosed, {}},
      {L"[Open \"a b]", 0, kDdeUnclosed, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << Utf8FromWide(c.text) << " at " << c.start);
    DdeParts parts;
    EXPECT_EQ(ParseDdeCommand(c.text, c.start, parts), c.result);
    if (c.result > 0) {
      EXPECT_EQ(PartsOf(parts), c.parts);
    }
  }
}

TEST(DdeCommand, Commands) {
  using A = DdeAction;
  struct Case {
    std::wstring text;
    DdeAction action;
    std::wstring argument = L"";  // the path or the setup section
  };
  const std::wstring longPath(260, L'p');
  const Case cases[] = {
      {L"[open \"C:\\a b.txt\"]", A::kOpen, L"C:\\a b.txt"},
      {L"[Open]", A::kNothing},
      {L"[Open " + longPath.substr(1) + L"]", A::kOpen, longPath.substr(1)},
      {L"[Open " + longPath + L"]", A::kBadArgument, longPath},
      {L"[CLOSE now]", A::kClose},
      {L"[Print]", A::kPrint},
      {L"[print page]", A::kPrintPage},
      {L"[Print TAGS]", A::kPrintTags},
      {L"[Print Sides]", A::kNothing},
      {L"[Exit]", A::kExit},
      {L"[dde]", A::kIgnoreDde},
      {L"[display HEX]", A::kDisplayHex},
      {L"[Display ZoomReset]", A::kZoomReset},
      {L"[Display follow]", A::kDisplayFollow},
      {L"[Display Sideways]", A::kNothing},
      {L"[Display]", A::kNothing},
      {L"[Window maximize]", A::kMaximize},
      {L"[Window Huge]", A::kNothing},
      {L"[Setup Daily]", A::kSetup, L"Setup: Daily"},
      {L"[Setup \"" + std::wstring(56, L's') + L"\"]", A::kSetup,
       L"Setup: " + std::wstring(56, L's')},
      {L"[Setup \"" + std::wstring(57, L's') + L"\"]", A::kBadArgument},
      {L"[Setup]", A::kBadArgument},
      {L"[Setup \" Daily\"]", A::kBadArgument},
      {L"[Opening]", A::kUnknown},
      {L"[]", A::kUnknown},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8FromWide(c.text).substr(0, 40));
    DdeParts parts;
    ASSERT_GT(ParseDdeCommand(c.text, 0, parts), 0);
    const DdeCommand command = RecognizeDdeCommand(parts);
    EXPECT_EQ(command.action, c.action);
    if (!c.argument.empty()) {
      EXPECT_EQ(command.text, c.argument);
    }
  }
}

TEST(DdeCommand, Find) {
  struct Case {
    std::wstring text;
    DdeAction action;
    std::string pattern;
    uint16_t flags;
    bool markAll;
  };
  const Case cases[] = {
      {L"[Find abc]", DdeAction::kFind, "abc", kSearchDefined, false},
      {L"[Find \"41 42\" Hex All]", DdeAction::kFind, "AB", kSearchHexText, true},
      {L"[find 4142 hex TEXT case top]", DdeAction::kFind, "AB",
       kSearchDefined | kSearchHexText | kSearchCaseSensitive | kSearchFromTop, false},
      {L"[Find \"say \"\"hi\"\"\" Case Top]", DdeAction::kFind, "say \"hi\"",
       kSearchDefined | kSearchCaseSensitive | kSearchFromTop, false},
      {L"[Find abc Sideways]", DdeAction::kFind, "abc", kSearchDefined, false},
      {L"[Find \"caf\u00e9\"]", DdeAction::kFind, "caf\xe9", kSearchDefined, false},
      {L"[Find " + std::wstring(256, L'x') + L"]", DdeAction::kFind, std::string(256, 'x'),
       kSearchDefined, false},
      {L"[Find \"\" All]", DdeAction::kNothing, "", 0, false},
      // Texts that would search for something else.
      {L"[Find 4g Hex]", DdeAction::kBadArgument, "", 0, false},
      {L"[Find \"\uff14\uff11\" Hex]", DdeAction::kBadArgument, "", 0, false},
      {L"[Find \"  \" Hex]", DdeAction::kBadArgument, "", 0, false},
      {L"[Find " + std::wstring(257, L'x') + L"]", DdeAction::kBadArgument, "", 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8FromWide(c.text).substr(0, 40));
    DdeParts parts;
    ASSERT_GT(ParseDdeCommand(c.text, 0, parts), 0);
    const DdeCommand command = RecognizeDdeCommand(parts);
    EXPECT_EQ(command.action, c.action);
    if (c.action != DdeAction::kFind) continue;
    EXPECT_EQ(command.pattern, c.pattern);
    EXPECT_EQ(command.searchFlags, c.flags);
    EXPECT_EQ(command.markAll, c.markAll);
  }
}

TEST(DdeCommand, ExecuteStrings) {
  using A = DdeAction;
  struct Case {
    std::wstring text;
    DdeAnswer answer;
    std::vector<DdeAction> run;
  };
  const Case cases[] = {
      {L"", DdeAnswer::kAck, {}},
      {L"[Display Hex][Window Maximize]", DdeAnswer::kAck, {A::kDisplayHex, A::kMaximize}},
      {L" [Display Sideways] \r\n", DdeAnswer::kAck, {A::kNothing}},
      // An unknown command or a rejected one ends the string; what ran stays done.
      {L"[Bogus][Exit]", DdeAnswer::kNotProcessed, {}},
      {L"[Close][Bogus][Exit]", DdeAnswer::kNotProcessed, {A::kClose}},
      {L"[Close] junk [Exit]", DdeAnswer::kNotProcessed, {A::kClose}},
      {L"[Close][a b c d e f g][Exit]", DdeAnswer::kNotProcessed, {A::kClose}},
      {L"[Close][Exit", DdeAnswer::kNotProcessed, {A::kClose}},
      {L"[Close][Find 4g Hex][Exit]", DdeAnswer::kNotProcessed, {A::kClose}},
      // A command the window cannot carry out (below: Restore) ends it too.
      {L"[Close][Window Restore][Exit]", DdeAnswer::kNotProcessed, {A::kClose, A::kRestore}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8FromWide(c.text));
    std::vector<DdeAction> run;
    const DdeAnswer answer = RunDdeCommands(c.text, [&](const DdeCommand& command) {
      run.push_back(command.action);
      return command.action != A::kRestore;
    });
    EXPECT_EQ(answer, c.answer);
    EXPECT_EQ(run, c.run);
  }
}

TEST(DdeCommand, ExecuteTextEndsAtTheFirstZero) {
  const unsigned char data[] = {'[', 0, 'E', 0, 0xAC, 0x20, 0, 0, ']', 0};
  EXPECT_EQ(DdeExecuteText(data, sizeof data), L"[E\u20ac");
  EXPECT_EQ(DdeExecuteText(data, 5), L"[E");  // an odd last byte is no character
  EXPECT_EQ(DdeExecuteText(nullptr, 0), L"");
}

// UTF-16 data as the client sent it.
std::vector<unsigned char> Utf16(std::u16string_view text) {
  std::vector<unsigned char> bytes;
  for (char16_t c : text) {
    bytes.push_back(static_cast<unsigned char>(c & 0xFF));
    bytes.push_back(static_cast<unsigned char>(c >> 8));
  }
  bytes.insert(bytes.end(), {0, 0});
  return bytes;
}

// Commands sent as UTF-16 are read as sent, whatever DDEML made of them;
// data that is not (ANSI text a system converted, nothing known) is read as
// handed over.
TEST(DdeCommand, TransactionTextPrefersCommandsAsSent) {
  const std::vector<unsigned char> ansi = {'[', 'C', 'l', 'o', 's', 'e', ']', 0};
  const std::vector<unsigned char> garbled = Utf16(u"[");
  struct Case {
    std::vector<unsigned char> sent;
    std::vector<unsigned char> handed;
    std::wstring text;
  };
  const Case cases[] = {
      {Utf16(u"[Open \"Z:\\\u0100.log\"]"), garbled, L"[Open \"Z:\\\u0100.log\"]"},
      {Utf16(u" \t[Open \"\u65E5.log\"]"), garbled, L" \t[Open \"\u65E5.log\"]"},
      {ansi, Utf16(u"[Close]"), L"[Close]"},
      {{}, Utf16(u"[Close]"), L"[Close]"},
      {Utf16(u"Open"), Utf16(u"[Close]"), L"[Close]"},
      {{'[', 0, 'X'}, Utf16(u"[Close]"), L"[Close]"},  // an odd size is no UTF-16
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DdeTransactionText(c.sent, c.handed), c.text);
  }
}

}  // namespace
}  // namespace zorvo
