#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/notifier.h"
#include "shellext/hand_off.h"
#include "shellext/help_text.h"
#include "shellext/identifiers.h"
#include "shellext/registration_table.h"
#include "shellext/viewer_path.h"

namespace zorvo {
namespace {

// Writes through SubstituteFileName into a buffer of `capacity` characters
// inside a larger one, and checks that nothing beyond it was touched.
template <class Char>
std::basic_string<Char> Substitute(std::basic_string_view<Char> text,
                                   std::basic_string_view<Char> name, size_t capacity) {
  std::basic_string<Char> buffer(capacity + 8, Char('#'));
  const size_t written = SubstituteFileName<Char>(text, name, buffer.data(), capacity);
  EXPECT_EQ(buffer.substr(capacity), std::basic_string<Char>(8, Char('#')));
  if (capacity == 0) {
    EXPECT_EQ(written, 0u);
    return buffer.substr(0, 0);
  }
  const std::basic_string<Char> result = buffer.c_str();
  EXPECT_EQ(result.size(), written);
  EXPECT_LT(written, capacity);
  return result;
}

TEST(HelpTextTest, OnlyTheFirstPercentSIsTheNameAndEveryOtherCharacterStays) {
  struct Case {
    std::string text;
    size_t capacity;
    std::string expected;
  };
  // The name is "a.txt". Sequences a printf would act on are plain text.
  const Case cases[] = {
      {"View \"%s\" with Tessaro", 64, "View \"a.txt\" with Tessaro"},
      {"No name here", 64, "No name here"},
      {"%n%n%n", 64, "%n%n%n"},
      {"%s%s", 64, "a.txt%s"},
      {"%d and %s", 64, "%d and a.txt"},
      {"100%", 64, "100%"},
      {"% %s", 64, "% a.txt"},
      {"%%s", 64, "%a.txt"},
      {"%S %x %p", 64, "%S %x %p"},
      // Cut to the buffer, always terminated inside it.
      {"View \"%s\"", 5, "View"},
      {"View \"%s\"", 9, "View \"a."},
      {"%s!", 6, "a.txt"},
      {"%s!", 1, ""},
      {"anything", 0, ""},
  };
  for (const Case& c : cases) {
    const std::string& expected = c.expected;
    EXPECT_EQ(Substitute<char>(c.text, "a.txt", c.capacity), expected) << c.text;
    const std::wstring wideText(c.text.begin(), c.text.end());
    const std::wstring wideExpected(expected.begin(), expected.end());
    EXPECT_EQ(Substitute<wchar_t>(wideText, L"a.txt", c.capacity), wideExpected) << c.text;
  }
}

TEST(ViewerPathTest, StoredCommandLinesBecomeProgramPathsAndPathsWithBlanksAreQuoted) {
  struct Case {
    std::wstring lowered;
    std::wstring cut;
    std::wstring commandLine;
  };
  const Case cases[] = {
      {L"", L"", L"Zorvo.exe -D"},
      {L"zorvo.exe", L"zorvo.exe", L"zorvo.exe -D"},
      {L"c:\\tools\\zorvo.exe -p -v daily", L"c:\\tools\\zorvo.exe", L"c:\\tools\\zorvo.exe -D"},
      {L"c:\\zorvo.exe\\zorvo.exe", L"c:\\zorvo.exe", L"c:\\zorvo.exe -D"},
      {L"\"c:\\program files\\korrin\\zorvo.exe\" %1", L"\"c:\\program files\\korrin\\zorvo.exe",
       L"\"c:\\program files\\korrin\\zorvo.exe\" -D"},
      {L"d:\\other\\viewer.exe /x", L"d:\\other\\viewer.exe /x",
       L"\"d:\\other\\viewer.exe /x\" -D"},
      {L"\"\"", L"\"\"", L"Zorvo.exe -D"},
  };
  for (const Case& c : cases) {
    std::wstring path = c.lowered;
    CutAfterViewerName(path);
    EXPECT_EQ(path, c.cut);
    EXPECT_EQ(ViewerCommandLine(path), c.commandLine);
  }
}

// A link whose viewer answers at the attempts the test names.
class ScriptedLink : public ViewerLink {
 public:
  ScriptedLink(std::vector<bool> answers, bool starts) : answers_(answers), starts_(starts) {}
  bool SendOpen() override {
    log += "send ";
    const bool answered = next_ < answers_.size() && answers_[next_];
    ++next_;
    return answered;
  }
  bool Start() override {
    log += "start ";
    return starts_;
  }
  void Sleep(unsigned ms) override { log += "sleep" + std::to_string(ms) + " "; }
  std::string log;

 private:
  std::vector<bool> answers_;
  bool starts_;
  size_t next_ = 0;
};

TEST(HandOffTest, RunningViewerThenStartAndTwoMoreAttempts) {
  struct Case {
    std::vector<bool> answers;
    bool starts;
    bool handed;
    std::string log;
  };
  const Case cases[] = {
      {{true}, true, true, "send "},
      {{false, true}, true, true, "send start send "},
      {{false, false, true}, true, true, "send start send sleep200 send "},
      {{false, false, false}, true, false, "send start send sleep200 send "},
      {{false, true}, false, false, "send start "},
  };
  for (const Case& c : cases) {
    ScriptedLink link(c.answers, c.starts);
    RecordingNotifier notifier;
    EXPECT_EQ(HandFileToViewer(link, notifier), c.handed) << c.log;
    EXPECT_EQ(link.log, c.log);
    EXPECT_TRUE(notifier.shown.empty());
    EXPECT_EQ(notifier.beeps,
              c.handed ? std::vector<uint32_t>{} : std::vector<uint32_t>{kIconExclamation});
  }
}

TEST(RegistrationTableTest, OnlyTheTwoNamesAreReplaced) {
  EXPECT_EQ(ExpandRegistryText(L"%MODULE%", L"C:\\a%APPID%\\P.dll"), L"C:\\a%APPID%\\P.dll");
  EXPECT_EQ(ExpandRegistryText(L"AppID\\%APPID%", L"x"), std::wstring(L"AppID\\") + kAppIdText);
  EXPECT_EQ(ExpandRegistryText(L"%OTHER% 100% %MODULE", L"x"), L"%OTHER% 100% %MODULE");
}

}  // namespace
}  // namespace zorvo
