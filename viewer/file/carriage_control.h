// Carriage control: the first byte of every line of a print file says how
// far the paper moves before the line is printed. The skip counts of the
// control characters come from a built-in table (ASA, IBM machine codes) or
// a user table in section "CarriageControl" of the profile.
#pragma once

#include <string>
#include <string_view>

#include "viewer/file/formatter.h"

namespace zorvo {

const SkipCounts& AsaSkipCounts();
const SkipCounts& IbmSkipCounts();

// Parses a user table value: entries "code=count" (decimal, hex after 0x,
// octal after a leading 0, optional sign), each followed by exactly one
// separator. The code is taken modulo 256; a count of -1 means a new page.
SkipCounts ParseUserSkipCounts(std::string_view value);

// The table the options word selects: ASA (0x10000000), else IBM
// (0x20000000), else the user table named `userTable` (0x40000000), read
// from the profile again after MarkUserSkipCountsStale, else the plain one.
const SkipCounts& SkipCountsFor(uint32_t options, std::wstring_view userTable);

// The user table is read from the profile again at its next use (after the
// choice of table changed).
void MarkUserSkipCountsStale();
bool UserSkipCountsStale();

// Appends the dump of a user table to `fileName` (diagnostic mode): the
// name, the raw value and every code whose count is not 1.
void DumpUserSkipCounts(const std::wstring& fileName, std::wstring_view name,
                        std::string_view value, const SkipCounts& counts);

}  // namespace zorvo
