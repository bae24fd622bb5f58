// zorvo-dump's command line: what each argument sets, and the message of
// each kind of bad argument.
#include "tools/dump_options.h"

#include <gtest/gtest.h>

#include <sstream>

#include "common/wide_text.h"

namespace zorvo {
namespace {

std::vector<std::wstring> Args(const std::string& line) {
  std::vector<std::wstring> args;
  std::istringstream words(line);
  for (std::string word; words >> word;) args.push_back(WideFromUtf8(word));
  return args;
}

TEST(DumpOptionsTest, BadArgumentsAreNamed) {
  const std::pair<const char*, const char*> cases[] = {
      {"--format", "--format needs a value"},
      {"--format bad f", "unknown format: bad"},
      {"--code cp437 f", "unknown character code: cp437"},
      {"--length 7 f", "bad value for --length: 7"},
      {"--expand-tabs 256 f", "bad value for --expand-tabs: 256"},
      {"--rows", "--rows needs a value"},
      {"--from -1 f", "bad value for --from: -1"},
      {"--cc", "--cc needs a value"},
      {"--find", "--find needs a text"},
      {"--setup 012345678901234567890123456789012345678901234567890123456 f",
       "the setup name is too long"},
      {"--bogus f", "unknown option: --bogus"},
      {"a b", "only one file can be shown"},
      {"a -- b", "only one file can be shown"},
      {"--wrap", "no file given"},
      {"--", "no file given"},
  };
  for (const auto& [line, message] : cases) {
    DumpOptions options;
    std::string error;
    EXPECT_FALSE(ParseDumpOptions(Args(line), options, error)) << line;
    EXPECT_EQ(error, message) << line;
  }
}

TEST(DumpOptionsTest, EachGroupSetsItsFields) {
  DumpOptions o;
  std::string error;
  ASSERT_TRUE(ParseDumpOptions(Args("--format raw --code ebcdic --length 8 --expand-tabs 0 "
                                    "--no-wrap --cc table1 --pad 60 --find x --hex --case "
                                    "--all --from 0x10 --offset 5 --lines 3 --backward "
                                    "--around 9 --rows 40 --show-offsets --bytes -- -file"),
                               o, error))
      << error;
  EXPECT_EQ(o.format, 2);
  EXPECT_EQ(o.code, 2);
  EXPECT_EQ(o.lineLength, 8);
  EXPECT_EQ(o.tabLength, 0);
  EXPECT_EQ(o.wrap, false);
  EXPECT_EQ(o.carriageControl, 3);
  EXPECT_EQ(o.userTable, L"table1");
  EXPECT_EQ(o.padPageLength, 60);
  EXPECT_TRUE(o.find && *o.find == L"x" && o.hex && o.caseSensitive && o.all);
  EXPECT_EQ(o.from, 16);
  EXPECT_EQ(o.offset, 5);
  EXPECT_EQ(o.lines, 3);
  EXPECT_TRUE(o.backward && o.showOffsets && o.bytes);
  EXPECT_EQ(o.around, 9);
  EXPECT_EQ(o.rows, 40);
  EXPECT_EQ(o.file, L"-file");
  // Options alone that need no file.
  for (const char* line : {"--show-options", "-h", "--help"}) {
    DumpOptions alone;
    EXPECT_TRUE(ParseDumpOptions(Args(line), alone, error)) << line;
  }
}

}  // namespace
}  // namespace zorvo
