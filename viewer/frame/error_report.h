// The program-error report: when the line model cannot rebuild the line
// table, the table shows the state at the moment of failure in place of the
// file, in the message colours.
#pragma once

#include <cstdint>

#include "viewer/file/file_reader.h"
#include "viewer/file/line_table.h"

namespace zorvo {

// Appends a formatted message line at Acur (offset 1, flags 0x10). Returns 0,
// or 0x100 when the table or the text is full (nothing is appended).
unsigned AppendMessageLine(LineTable& table, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

// Replaces the table with the ten report lines for `status`.
void ShowProgramError(unsigned status, const FileRecord& file, LineTable& table);

// Whether the table holds the report rather than lines of the file.
bool HoldsProgramError(const LineTable& table);

}  // namespace zorvo
