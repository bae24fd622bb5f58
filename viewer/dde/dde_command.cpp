#include "viewer/dde/dde_command.h"

#include <algorithm>
#include <climits>

#include "viewer/file/search.h"
#include "viewer/settings/ansi_code_page.h"
#include "viewer/settings/setups.h"

namespace zorvo {

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }

wchar_t Upper(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - 32) : c; }

// Names and keywords: equal but for the case of A-Z.
bool Same(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Upper(a[i]) != Upper(b[i])) return false;
  }
  return true;
}

struct Keyword {
  const wchar_t* word;
  DdeAction action;
};

// The action of `word` in `table`; kNothing for a word it does not hold.
template <size_t N>
DdeAction Lookup(const Keyword (&table)[N], std::wstring_view word) {
  for (const Keyword& k : table) {
    if (Same(word, k.word)) return k.action;
  }
  return DdeAction::kNothing;
}

constexpr Keyword kPrintKeywords[] = {
    {L"", DdeAction::kPrint},
    {L"Page", DdeAction::kPrintPage},
    {L"Tags", DdeAction::kPrintTags},
};
constexpr Keyword kDisplayKeywords[] = {
    {L"Text", DdeAction::kDisplayText},    {L"Hex", DdeAction::kDisplayHex},
    {L"Raw", DdeAction::kDisplayRaw},      {L"Wrap", DdeAction::kDisplayWrap},
    {L"ZoomIn", DdeAction::kZoomIn},       {L"ZoomOut", DdeAction::kZoomOut},
    {L"ZoomReset", DdeAction::kZoomReset}, {L"Follow", DdeAction::kDisplayFollow},
};
constexpr Keyword kWindowKeywords[] = {
    {L"Minimize", DdeAction::kMinimize},
    {L"Maximize", DdeAction::kMaximize},
    {L"Restore", DdeAction::kRestore},
    {L"OnTop", DdeAction::kOnTop},
};

// The longest path the window opens without cutting it.
constexpr size_t kMaxOpenPath = 259;

DdeCommand Find(const DdeParts& parts) {
  DdeCommand command;
  const std::wstring& text = parts.part[1];
  if (text.empty()) {
    command.action = DdeAction::kNothing;
    return command;
  }
  uint16_t flags = 0;
  for (int k = 2; k < parts.count; ++k) {
    const std::wstring& option = parts.part[static_cast<size_t>(k)];
    if (Same(option, L"Top")) flags |= kSearchFromTop;
    if (Same(option, L"Hex")) flags |= kSearchHexText;
    if (Same(option, L"Text")) flags |= kSearchDefined;
    if (Same(option, L"Case")) flags |= kSearchCaseSensitive;
    if (Same(option, L"All")) command.markAll = true;
  }
  if (!(flags & (kSearchDefined | kSearchHexText))) flags |= kSearchDefined;
  command.searchFlags = flags;
  command.action = DdeAction::kFind;
  if (flags & kSearchHexText) {
    const std::wstring_view digits =
        text.size() > 512 ? std::wstring_view(text).substr(0, 511) : std::wstring_view(text);
    // Hex digits and blanks are ASCII; anything else is a bad digit.
    std::string narrow(digits.size(), '?');
    for (size_t i = 0; i < digits.size(); ++i) {
      if (digits[i] < 0x80) narrow[i] = static_cast<char>(digits[i]);
    }
    if (ParseHexText(narrow, command.pattern) <= 0) command.action = DdeAction::kBadArgument;
  } else {
    command.pattern = NarrowFromWide(text);
  }
  // A longer text cut to fit would find what was not asked for.
  if (command.pattern.size() > static_cast<size_t>(kMaxPattern)) {
    command.action = DdeAction::kBadArgument;
  }
  return command;
}

}  // namespace

int ParseDdeCommand(std::wstring_view text, int start, DdeParts& parts) {
  parts = DdeParts{};
  if (start < 0 || static_cast<size_t>(start) > text.size()) return kDdeBeyondText;
  if (text.size() >= static_cast<size_t>(INT_MAX)) text = text.substr(0, INT_MAX - 1);
  size_t i = static_cast<size_t>(start);
  while (i < text.size() && IsBlank(text[i])) ++i;
  if (i == text.size()) return kDdeEnd;
  if (text[i] != L'[') return kDdeNoBracket;
  ++i;
  for (;;) {
    while (i < text.size() && IsBlank(text[i])) ++i;
    if (i == text.size()) return kDdeUnclosed;
    if (text[i] == L']') return static_cast<int>(i + 1);
    if (parts.count == kDdeMaxParts) return kDdeTooManyParts;
    std::wstring& part = parts.part[static_cast<size_t>(parts.count++)];
    if (text[i] == L'"') {
      ++i;
      while (i < text.size()) {
        if (text[i] == L'"') {
          if (i + 1 < text.size() && text[i + 1] == L'"') {
            part.push_back(L'"');
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        part.push_back(text[i++]);
      }
    } else {
      while (i < text.size() && !IsBlank(text[i]) && text[i] != L']') part.push_back(text[i++]);
    }
  }
}

DdeCommand RecognizeDdeCommand(const DdeParts& parts) {
  const std::wstring& name = parts.part[0];
  const std::wstring& argument = parts.part[1];
  DdeCommand command;
  if (Same(name, L"Open")) {
    command.action = argument.empty()                 ? DdeAction::kNothing
                     : argument.size() > kMaxOpenPath ? DdeAction::kBadArgument
                                                      : DdeAction::kOpen;
    command.text = argument;
  } else if (Same(name, L"Close")) {
    command.action = DdeAction::kClose;
  } else if (Same(name, L"Print")) {
    command.action = Lookup(kPrintKeywords, argument);
  } else if (Same(name, L"Exit")) {
    command.action = DdeAction::kExit;
  } else if (Same(name, L"DDE")) {
    command.action = DdeAction::kIgnoreDde;
  } else if (Same(name, L"Display")) {
    command.action = Lookup(kDisplayKeywords, argument);
  } else if (Same(name, L"Window")) {
    command.action = Lookup(kWindowKeywords, argument);
  } else if (Same(name, L"Find")) {
    command = Find(parts);
  } else if (Same(name, L"Setup")) {
    // The names Save Setup accepts: a longer one would be cut into the name
    // of another setup.
    command.action = CheckSetupName(argument).empty() ? DdeAction::kSetup : DdeAction::kBadArgument;
    command.text = kSetupPrefix + argument;
  }
  return command;
}

std::wstring DdeExecuteText(const void* data, size_t size) {
  std::wstring text;
  const auto* bytes = static_cast<const unsigned char*>(data);
  for (size_t i = 0; bytes && i + 1 < size; i += 2) {
    const auto unit = static_cast<wchar_t>(bytes[i] | (bytes[i + 1] << 8));
    if (unit == 0) break;
    text.push_back(unit);
  }
  return text;
}

std::wstring DdeTransactionText(std::span<const unsigned char> sent,
                                std::span<const unsigned char> handed) {
  if (sent.size() % 2 == 0) {
    std::wstring text = DdeExecuteText(sent.data(), sent.size());
    const size_t start = std::find_if_not(text.begin(), text.end(), IsBlank) - text.begin();
    if (start < text.size() && text[start] == L'[') return text;
  }
  return DdeExecuteText(handed.data(), handed.size());
}

DdeAnswer RunDdeCommands(std::wstring_view text,
                         const std::function<bool(const DdeCommand&)>& run) {
  int at = 0;
  for (;;) {
    DdeParts parts;
    const int next = ParseDdeCommand(text, at, parts);
    if (next == kDdeEnd) return DdeAnswer::kAck;
    if (next < 0) return DdeAnswer::kNotProcessed;
    at = next;
    const DdeCommand command = RecognizeDdeCommand(parts);
    if (command.action == DdeAction::kUnknown || command.action == DdeAction::kBadArgument ||
        !run(command)) {
      return DdeAnswer::kNotProcessed;
    }
  }
}

}  // namespace zorvo
