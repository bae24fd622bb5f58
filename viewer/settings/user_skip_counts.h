// The user's carriage-control tables: section "CarriageControl" of the
// profile, one key per table, read when a table is chosen and kept until the
// choice changes. The line engine takes the parsed table from here.
#pragma once

#include <cstdint>
#include <string_view>

#include "viewer/file/formatter.h"

namespace zorvo {

struct Settings;

// The table the options word selects, with the user table named
// `userTable` read from the profile when the word selects it: read once,
// then again only after MarkUserSkipCountsStale. In diagnostic mode each
// reading is appended to the debug file.
const SkipCounts& ProfileSkipCounts(Settings& settings, uint32_t options,
                                    std::wstring_view userTable);

// The user table is read from the profile again at its next use (after the
// choice of table changed).
void MarkUserSkipCountsStale(Settings& settings);
bool UserSkipCountsStale(Settings& settings);

}  // namespace zorvo
