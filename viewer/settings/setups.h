// Named setups: bundles of options kept in a section "Setup: " + name and
// listed in section "Setup List"; and the Save Options command's reset,
// write and keep of each kind in the main sections.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/shared_names.h"
#include "viewer/settings/format_options.h"

namespace zorvo {

struct Settings;

inline constexpr size_t kSetupSectionLimit = 64;  // a section name stays below this

struct SetupState {
  std::wstring CurrentSetup;    // "Setup: " + name, or empty
  uint32_t SetupKinds = 0;      // kinds of the current setup
  std::wstring SetupNameEntry;  // the name last entered or picked, with the prefix
};

// The names of "Setup List", in order, up to the first empty entry.
std::vector<std::wstring> SetupList(Settings& settings);

// Checks a setup name typed or picked in Save Setup As. Returns the message
// to show ("You must select a name." ...), or an empty text when it is good.
std::wstring CheckSetupName(std::wstring_view name);

// Load Setup: the section of the picked name, "Setup: " + name, or the
// message "Selected name too long." when it would not stay below 64
// characters (empty then).
std::wstring LoadSetupSection(std::wstring_view name, std::wstring& message);

// The kinds check boxes of Save Options and Save Setup As, in the order of
// their ids 241 to 245: Format, Titles, Page Setup, Print Setup, Colors.
inline constexpr int kKindBoxCount = 5;
inline constexpr std::array<uint32_t, kKindBoxCount> kKindBoxBits = {
    kKindFormat, kKindTitles, kKindPageSetup, kKindPrinter, kKindColors};
// A box's state, with the values of the platform's button states.
enum BoxState : int { kBoxUnchecked = 0, kBoxChecked = 1, kBoxGrey = 2 };
using KindBoxes = std::array<int, kKindBoxCount>;

// `kinds` holds the bits of the boxes that are checked or grey, `grey` those
// of the grey ones.
struct BoxKinds {
  uint32_t kinds = 0;
  uint32_t grey = 0;
};
BoxKinds KindsFromBoxes(const KindBoxes& boxes);
// Save Options opens with Format, Titles and Colors checked, Page Setup and
// Print Setup grey; its Save is offered unless all five are grey.
KindBoxes SaveOptionsBoxes();
bool AllBoxesGrey(const KindBoxes& boxes);
// Save Setup As opens with the kinds of the current setup, or Format and
// Titles when it has none.
KindBoxes SaveSetupBoxes(uint32_t setupKinds);

// The kinds a setup section holds: its "SaveOptions", all kinds when 0 or
// absent.
uint32_t SetupKindsOf(Settings& settings, std::wstring_view section);

// Writes the current setup from scratch with the kinds in SetupKinds and
// lists its name once in "Setup List".
void SaveSetupSection(Settings& settings, const WindowRect* window, const LineTable* titles);

// Loads the current setup: its kinds, options, colours, shades and title
// lines. Returns 1 when a setup was loaded.
int ReloadSetup(Settings& settings, LineTable* titles);

// The kinds boxes of Save Options: `kinds` has the bits of the boxes that are
// checked or grey, `grey` of those that are grey. Resets the unchecked kinds
// by deleting their sections, writes the checked ones, keeps the grey ones.
// The current setup stays what it was.
void SaveOptionsCommand(Settings& settings, uint32_t kinds, uint32_t grey, const WindowRect* window,
                        const LineTable* titles);

}  // namespace zorvo
