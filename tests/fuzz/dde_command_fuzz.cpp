// Fuzzes the DDE command language: over any execute text the parser stays
// inside the text (which sits in a buffer of exactly its size), every
// command it accepts moves the start forward to just after a ']', and the
// commands it yields are ones the window can carry out unchanged.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "viewer/dde/dde_command.h"
#include "viewer/file/search.h"

namespace {

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "DDE command invariant broken: %s\n", what);
    std::abort();
  }
}

// Characters that steer the parser and name its commands and keywords.
constexpr wchar_t kAlphabet[] =
    L"[[]]\"\"\"  \t\r\nOpenCloseFindHexAllTopCaseSetupDisplayWindowExitDDEPrintTags41 "
    L"g\u00e9\u20ac";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zorvo;
  if (size == 0) return 0;
  // The first byte chooses: execute data as sent, or bytes that pick from the
  // alphabet, which reach deep into the grammar quickly.
  const bool picked = data[0] & 1;
  std::wstring text;
  if (picked) {
    for (size_t i = 1; i < size; ++i) {
      text.push_back(kAlphabet[data[i] % (sizeof kAlphabet / sizeof kAlphabet[0] - 1)]);
    }
  } else {
    text = DdeExecuteText(data + 1, size - 1);
    Check(text.size() <= (size - 1) / 2, "more characters than the data holds");
    Check(text.find(L'\0') == std::wstring::npos, "the text runs past its 0");
  }
  const size_t n = text.size();
  std::unique_ptr<wchar_t[]> exact(new wchar_t[n]);
  text.copy(exact.get(), n);
  const std::wstring_view view(exact.get(), n);

  DdeParts parts;
  Check(ParseDdeCommand(view, static_cast<int>(n) + 1, parts) == kDdeBeyondText,
        "a start beyond the text");
  DdeAnswer expected = DdeAnswer::kAck;
  int carried = 0;
  int at = 0;
  for (;;) {
    const int next = ParseDdeCommand(view, at, parts);
    if (next == kDdeEnd) break;
    if (next < 0) {
      Check(next == kDdeNoBracket || next == kDdeTooManyParts || next == kDdeUnclosed,
            "an unknown rejection");
      expected = DdeAnswer::kNotProcessed;
      break;
    }
    Check(next > at && static_cast<size_t>(next) <= n, "no progress, or past the end");
    Check(view[static_cast<size_t>(next) - 1] == L']', "a command ends at its ']'");
    Check(parts.count >= 0 && parts.count <= kDdeMaxParts, "more than six parts");
    for (int k = 0; k < kDdeMaxParts; ++k) {
      const size_t length = parts.part[static_cast<size_t>(k)].size();
      Check(length < static_cast<size_t>(next - at), "a part longer than its command");
      Check(k < parts.count || length == 0, "a part not given is not empty");
    }
    at = next;
    const DdeCommand command = RecognizeDdeCommand(parts);
    switch (command.action) {
      case DdeAction::kOpen:
        Check(!command.text.empty() && command.text.size() <= 259, "a path the window cuts");
        break;
      case DdeAction::kFind:
        Check(!command.pattern.empty() && command.pattern.size() <= kMaxPattern,
              "a pattern the search cannot hold");
        Check(command.searchFlags & (kSearchDefined | kSearchHexText), "a search without flags");
        break;
      case DdeAction::kSetup:
        Check(command.text.size() < 64 && command.text.starts_with(L"Setup: "),
              "a setup section the profile cannot name");
        break;
      default:
        break;
    }
    if (command.action == DdeAction::kUnknown || command.action == DdeAction::kBadArgument) {
      expected = DdeAnswer::kNotProcessed;
      break;
    }
    ++carried;
  }
  int ran = 0;
  const DdeAnswer answer = RunDdeCommands(view, [&](const DdeCommand&) {
    ++ran;
    return true;
  });
  Check(answer == expected && ran == carried, "the runner stops where the parser does");
  return 0;
}
