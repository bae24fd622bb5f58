#include "viewer/settings/format_dialog.h"

#include <algorithm>

#include "viewer/settings/profile_store.h"
#include "viewer/settings/settings.h"

namespace zorvo {

namespace {

constexpr uint32_t kWrapBit = 0x1;
constexpr uint32_t kBackgroundBit = 0x8;
constexpr uint32_t kFixedLengthBit = 0x10;
constexpr uint32_t kExpandTabsBit = 0x20;
constexpr uint32_t kFormFeedPageBit = 0x200;
constexpr uint32_t kBoxBits = kWrapBit | kBackgroundBit | kFixedLengthBit | kExpandTabsBit;

int FormatIndex(int format) { return std::clamp(format, 0, 2); }

}  // namespace

FormatBoxes BoxesOf(uint32_t word) {
  return {(word & kWrapBit) != 0, (word & kBackgroundBit) != 0, (word & kFixedLengthBit) != 0,
          (word & kExpandTabsBit) != 0};
}

uint32_t WordFromBoxes(uint32_t word, const FormatBoxes& boxes) {
  word &= ~kBoxBits;
  if (boxes.wrap) word |= kWrapBit;
  if (boxes.background) word |= kBackgroundBit;
  if (boxes.fixedLength) word |= kFixedLengthBit;
  if (boxes.expandTabs) word |= kExpandTabsBit;
  return word | kFormFeedPageBit;
}

FormatWorkingSet OpenFormatWorkingSet(Settings& settings) {
  FormatOptions& options = settings.options;
  options.SaveWindowPos = false;
  FormatWorkingSet set;
  set.words = options.Options;
  set.shown = FormatIndex(options.Format);
  // The word in force may differ from the stored one (switches on the
  // command line act on it alone); the boxes show what the window shows.
  set.words[set.shown] = options.CurrentOptions;
  return set;
}

FormatBoxes SwitchShownFormat(FormatWorkingSet& set, const FormatBoxes& boxes, int format) {
  set.words[set.shown] = WordFromBoxes(set.words[set.shown], boxes);
  set.shown = FormatIndex(format);
  return BoxesOf(set.words[set.shown]);
}

std::vector<std::wstring> CarriageTableNames(const std::vector<std::wstring>& keys,
                                             size_t capacity) {
  std::vector<std::wstring> names;
  size_t used = 1;  // the list's final terminator
  for (const std::wstring& key : keys) {
    if (key.empty() || used + key.size() + 1 > capacity) break;
    used += key.size() + 1;
    names.push_back(key);
  }
  return names;
}

std::vector<std::wstring> CarriageControlEntries(const std::vector<std::wstring>& tables) {
  std::vector<std::wstring> entries{L"(none)", L"ASA", L"IBM"};
  entries.insert(entries.end(), tables.begin(), tables.end());
  return entries;
}

int SelectCarriageEntry(Settings& settings, const std::vector<std::wstring>& entries) {
  FormatOptions& options = settings.options;
  if (options.CCChar < 3) return options.CCChar < 0 ? -1 : options.CCChar;
  for (size_t i = 3; i < entries.size(); ++i) {
    if (SameProfileName(entries[i], options.CCName)) {
      options.CCChar = static_cast<int32_t>(i);
      return options.CCChar;
    }
  }
  options.CCChar = -1;  // counts as none, even if the dialog is cancelled
  return -1;
}

void CommitFormatDialog(Settings& settings, const FormatWorkingSet& set,
                        const FormatDialogFields& fields) {
  FormatOptions& options = settings.options;
  options.Options = set.words;
  options.MaxLineLength = fields.maxLineLength;
  options.TabLength = fields.tabLength;
  options.VertScroll = static_cast<int8_t>(std::clamp(fields.verticalScroll, 0, 2));
  options.HorzScroll = static_cast<int8_t>(std::clamp(fields.horizontalScroll, 0, 2));
  options.EscExit = fields.escExit ? 1 : 0;
  options.SaveWindowPos = fields.saveWindowPos;
  options.CuaKeyboard = fields.cuaKeyboard ? 1 : 0;
  options.ShowMessages = fields.showMessages ? 1 : 0;
  options.Format = FormatIndex(fields.format);
  options.CharCode = std::clamp(fields.charCode, 0, 3);
  options.CCChar = std::max(fields.carriageEntry, 0);
  options.CCName = fields.carriageName;
  uint32_t& word = options.Options[static_cast<size_t>(options.Format)];
  word = WordFromBoxes(word, fields.boxes);
  options.CurrentOptions = word;
  DeriveCodeBits(settings);
}

}  // namespace zorvo
