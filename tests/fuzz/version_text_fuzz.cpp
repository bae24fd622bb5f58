// Fuzzes the reading of version texts ("1, 9, 5219, 0", "2.10.7.1"): any
// text is read or refused without reading past it; four numbers read are
// the values of the text's first four runs of digits, and the same numbers
// written back read the same. The full version is the product version text,
// ", " and the build stamp.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "viewer/settings/version_info.h"

namespace {

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "version text invariant broken: %s\n", what);
    std::abort();
  }
}

constexpr wchar_t kAlphabet[] = L"0123456789 ,.\t\r\n9999999999x";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zorvo;
  if (size == 0) return 0;
  std::wstring text;
  if (data[0] & 1) {
    for (size_t i = 1; i < size; ++i) {
      text.push_back(kAlphabet[data[i] % (sizeof kAlphabet / sizeof kAlphabet[0] - 1)]);
    }
  } else {
    for (size_t i = 1; i + 1 < size; i += 2) text.push_back(static_cast<wchar_t>(data[i] | data[i + 1] << 8));
  }
  // A buffer of exactly the text's size, so that a read past it shows.
  const size_t n = text.size();
  std::unique_ptr<wchar_t[]> exact(new wchar_t[n]);
  text.copy(exact.get(), n);
  const std::wstring_view view(exact.get(), n);

  std::array<uint32_t, 4> numbers{};
  if (ReadVersionNumbers(view, numbers)) {
    // The first four runs of digits, each of them one number.
    size_t at = 0;
    for (const uint32_t number : numbers) {
      at = text.find_first_of(L"0123456789", at);
      Check(at != std::wstring::npos, "a number without digits");
      const size_t end = std::min(text.find_first_not_of(L"0123456789", at), n);
      uint64_t value = 0;
      for (size_t k = at; k < end && value <= UINT32_MAX; ++k) value = value * 10 + (text[k] - L'0');
      Check(value == number, "a number other than its digits (or one past 32 bits)");
      at = end;
    }
    const std::wstring written = std::to_wstring(numbers[0]) + L", " + std::to_wstring(numbers[1]) +
                                 L", " + std::to_wstring(numbers[2]) + L", " +
                                 std::to_wstring(numbers[3]);
    std::array<uint32_t, 4> again{};
    Check(ReadVersionNumbers(written, again) && again == numbers, "written back, read otherwise");
  }

  VersionInfo info = DefaultVersionInfo(BuildStampOf("Nov 24 2015", "17:52:14"));
  SetVersionText(info, kProductVersion, view);
  Check(info.FullVersion == text + L", Nov 24 2015, 17:52:14", "the full version");
  Check(info.texts[kProductVersion] == text, "the product version text");
  SetVersionText(info, kFileVersion, view);
  Check(info.FileVersionNumbers == info.ProductVersionNumbers, "the same text read otherwise");
  return 0;
}
