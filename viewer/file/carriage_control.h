// Carriage control: the first byte of every line of a print file says how
// far the paper moves before the line is printed. The skip counts of the
// control characters come from a built-in table (ASA, IBM machine codes) or
// a user table, which the caller reads from wherever it is kept and hands
// over parsed.
#pragma once

#include <cstdint>
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
// (0x20000000), else `user` (0x40000000), else the plain one.
const SkipCounts& SkipCountsFor(uint32_t options, const SkipCounts& user);

// The diagnostic dump of a user table: its name, the raw value and every
// code whose count is not 1.
std::string UserSkipCountsDump(std::string_view name, std::string_view value,
                               const SkipCounts& counts);

}  // namespace zorvo
