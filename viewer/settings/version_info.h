// The version the About box shows: the string values of the program's
// version resource, the numbers they hold, and when the program was built.
// Reading the resource is the platform's (the About dialog); this is what
// is made of it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace zorvo {

// The string values read from the version resource, in this order.
enum VersionText : int {
  kComments,
  kCompanyName,
  kFileDescription,
  kFileVersion,
  kInternalName,
  kLegalCopyright,
  kLegalTrademarks,
  kOriginalFileName,
  kPrivateBuild,
  kProductName,
  kProductVersion,
  kSpecialBuild,
  kVersionTextCount,
};
inline constexpr std::array<const wchar_t*, kVersionTextCount> kVersionTextNames = {
    L"Comments",     L"CompanyName",    L"FileDescription", L"FileVersion",
    L"InternalName", L"LegalCopyright", L"LegalTrademarks", L"OriginalFileName",
    L"PrivateBuild", L"ProductName",    L"ProductVersion",  L"SpecialBuild"};
inline constexpr wchar_t kNoVersionText[] = L"<none>";

struct VersionInfo {
  std::wstring BuildStamp;   // "Nov 24 2015, 17:52:14"
  std::wstring FullVersion;  // the product version text, ", " and the stamp
  std::array<std::wstring, kVersionTextCount> texts;
  std::array<uint32_t, 4> ProductVersionNumbers{};
  std::array<uint32_t, 4> FileVersionNumbers{};
  std::array<uint16_t, 4> FixedProductVersion{};  // major, minor, build, revision
  std::array<uint16_t, 4> FixedFileVersion{};
  std::wstring LanguageKey = L"040904B0";  // U.S. English, Unicode
};

// The stamp of a build from the compiler's __DATE__ ("Nov 24 2015") and
// __TIME__ ("17:52:14"): "Nov 24 2015, 17:52:14".
std::wstring BuildStampOf(const char* date, const char* time);

// The record before the resource is read: every text "<none>", the numbers
// 0 and the full version "0, 0, 0, 0, " followed by the stamp.
VersionInfo DefaultVersionInfo(std::wstring_view buildStamp);

// Sets text `which` and, for the versions, the numbers read from it; the
// product version also makes the full version.
void SetVersionText(VersionInfo& info, VersionText which, std::wstring_view text);

// Four unsigned decimal numbers, each followed by any run of blanks, commas
// and periods ("1, 9, 5219, 0", "2.10.7.1"). False unless only white space
// is left after them.
bool ReadVersionNumbers(std::wstring_view text, std::array<uint32_t, 4>& numbers);

}  // namespace zorvo
