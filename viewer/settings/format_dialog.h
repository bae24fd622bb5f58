// What the Display Formatting dialog decides: the working set of options
// words it edits, the word its four boxes make, the user carriage-control
// tables it offers, and how its fields become the display options on OK.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "viewer/settings/format_options.h"

namespace zorvo {

struct Settings;

// The four boxes that show bits of one options word.
struct FormatBoxes {
  bool wrap = false;         // 0x1
  bool background = false;   // 0x8
  bool fixedLength = false;  // 0x10
  bool expandTabs = false;   // 0x20
};

FormatBoxes BoxesOf(uint32_t word);
// `word` with the four bits as boxed and "form feeds start pages" set. The
// bits no box shows (the code and carriage-control bits, which are derived
// again, and those set by hand or by switches) stay as they are.
uint32_t WordFromBoxes(uint32_t word, const FormatBoxes& boxes);

// The three options words while the dialog is open, and the format whose
// word the boxes show.
struct FormatWorkingSet {
  std::array<uint32_t, 3> words{};
  int shown = 0;
};

// These work on the options of `settings`.

// On opening: the words, the one in force standing for the current format;
// SaveWindowPos is cleared.
FormatWorkingSet OpenFormatWorkingSet(Settings& settings);
// Another format picked: the boxes go into the word of the format shown so
// far; returns the boxes of `format`.
FormatBoxes SwitchShownFormat(FormatWorkingSet& set, const FormatBoxes& boxes, int format);

// The user tables the list offers: the key names of section
// "CarriageControl" that fit a list of `capacity` characters, each with its
// terminator, and the final one.
std::vector<std::wstring> CarriageTableNames(const std::vector<std::wstring>& keys,
                                             size_t capacity = 256);
// The list entries: "(none)", "ASA", "IBM", then the user tables.
std::vector<std::wstring> CarriageControlEntries(const std::vector<std::wstring>& tables);
// The entry the list selects on opening; -1 none. A user table (CCChar 3
// or more) is looked up by CCName without regard to case, and CCChar
// becomes its entry, or -1 when it is not offered.
int SelectCarriageEntry(Settings& settings, const std::vector<std::wstring>& entries);

// The dialog's fields when OK or Save is pressed; the lists' selections are
// -1 when nothing is chosen.
struct FormatDialogFields {
  int32_t maxLineLength = 4096;
  int32_t tabLength = 8;
  int verticalScroll = 2;  // box states 0, 1, 2
  int horizontalScroll = 0;
  bool escExit = false;
  bool saveWindowPos = false;
  bool cuaKeyboard = true;
  bool showMessages = true;
  int format = 0;
  int charCode = 0;
  int carriageEntry = 0;
  std::wstring carriageName;  // the text of that entry
  FormatBoxes boxes;          // of the format chosen
};

// OK: the working set and the fields become the display options; the word
// of the chosen format is rebuilt from the boxes and put in force; the code
// bits are derived again.
void CommitFormatDialog(Settings& settings, const FormatWorkingSet& set,
                        const FormatDialogFields& fields);

}  // namespace zorvo
