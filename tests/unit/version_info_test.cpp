// The About box's version: defaults before the resource is read, the
// numbers in version texts, and the build stamp.
#include "viewer/settings/version_info.h"

#include <gtest/gtest.h>

namespace zorvo {
namespace {

TEST(VersionInfo, NumbersOfVersionTexts) {
  const struct {
    const wchar_t* text;
    bool read;
    std::array<uint32_t, 4> numbers;
  } cases[] = {
      {L"1, 9, 5219, 0", true, {1, 9, 5219, 0}},
      {L"2.10.7.1", true, {2, 10, 7, 1}},
      {L" 3,,4 .. 5,6  ", true, {3, 4, 5, 6}},
      {L"4294967295.0.0.1", true, {4294967295u, 0, 0, 1}},
      {L"1.4294967296.0.1", false, {1, 0, 0, 0}},  // not wrapped to 0
      {L"1.2.3.99999999999999999999", false, {1, 2, 3, 0}},
      {L"1.2.3", false, {1, 2, 3, 0}},
      {L"1.2.3.4 beta", false, {1, 2, 3, 4}},
      {L"<none>", false, {0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    std::array<uint32_t, 4> numbers{9, 9, 9, 9};
    EXPECT_EQ(ReadVersionNumbers(c.text, numbers), c.read);
    EXPECT_EQ(numbers, c.numbers);
  }
}

TEST(VersionInfo, DefaultsAndTheFullVersion) {
  const std::wstring stamp = BuildStampOf("Nov  4 2015", "17:52:14");
  EXPECT_EQ(stamp, L"Nov  4 2015, 17:52:14");
  EXPECT_EQ(BuildStampOf(__DATE__, __TIME__).size(), 21u);
  VersionInfo info = DefaultVersionInfo(stamp);
  EXPECT_EQ(info.FullVersion, L"0, 0, 0, 0, Nov  4 2015, 17:52:14");
  SetVersionText(info, kProductVersion, L"1, 9, 5219, 0");
  SetVersionText(info, kFileVersion, L"2.10.7.1");
  EXPECT_EQ(info.FullVersion, L"1, 9, 5219, 0, Nov  4 2015, 17:52:14");
  EXPECT_EQ(info.FileVersionNumbers, (std::array<uint32_t, 4>{2, 10, 7, 1}));
  EXPECT_EQ(info.texts[kComments], L"<none>") << "a text not set stays <none>";
}

}  // namespace
}  // namespace zorvo
