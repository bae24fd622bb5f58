#include "viewer/frame/error_report.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

namespace zorvo {

unsigned AppendMessageLine(LineTable& table, const char* format, ...) {
  constexpr unsigned kFull = 0x100;
  // The entry needs its own slot and one more for the end entry after it.
  if (table.Acur < 0 || table.Acur + 1 >= table.Acnt) return kFull;
  if (table.Tend < 0 || table.Tend > table.Tlen) return kFull;
  const auto space = static_cast<size_t>(table.Tlen - table.Tend);

  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int measured = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  if (measured < 0 || static_cast<size_t>(measured) > space) {
    va_end(again);
    return kFull;
  }
  const auto length = static_cast<size_t>(measured);
  char* at = table.chars() + table.Tend;
  if (length < space) {
    std::vsnprintf(at, length + 1, format, again);
  } else {
    // The text fills the buffer exactly: no room for the terminator
    // vsnprintf insists on writing.
    std::vector<char> scratch(length + 1);
    std::vsnprintf(scratch.data(), scratch.size(), format, again);
    std::memcpy(at, scratch.data(), length);
  }
  va_end(again);

  const int32_t slot = table.Acur;
  LineEntry& entry = table[slot];
  // Offset 1 rather than 0: a later move to the start of the file falls
  // outside the report and so rebuilds the table from the file.
  entry.offset = 1;
  entry.text = static_cast<uint32_t>(table.Tend);
  entry.length = static_cast<int32_t>(length);
  entry.pageLine = 0;
  entry.flags = kMessageLine;
  table.Tend += static_cast<int32_t>(length);
  table.Afirst = std::min(table.Afirst, slot);
  table.Acur = slot + 1;
  table.Alast = std::max(table.Alast, table.Acur);
  return 0;
}

void ShowProgramError(unsigned status, const FileRecord& file, LineTable& table) {
  const int64_t fcur = file.Fcur;
  const int64_t flen = file.Flen;
  const int32_t acnt = table.Acnt;
  const int32_t afirst = table.Afirst;
  const int32_t alast = table.Alast;
  const int32_t acur = table.Acur;
  const int32_t tlen = table.Tlen;
  const int32_t tend = table.Tend;

  table.Tend = 0;
  table.Acur = table.Afirst = table.Alast = 0;
  if (table.Acnt < 1) return;  // not even room for the end entry

  // long is 32 bits on Windows: the 64-bit values go through long long.
  const char* const kRule = "*****************************************";
  // A line that does not fit ends the report, so what shows is always its
  // beginning and never a line with a gap before it.
  (void)(AppendMessageLine(table, "%s", kRule) ||
         AppendMessageLine(table, "* PROGRAM ERROR OCCURRED") ||
         AppendMessageLine(table, "* Please note the following information:") ||
         AppendMessageLine(table, "* Status=%X", status) ||
         AppendMessageLine(table, "* Acnt=%d, Afirst=%d, Alast=%d, Acur=%d", acnt, afirst,
                           alast, acur) ||
         AppendMessageLine(table, "* Fcur=%lld, Flen=%lld", static_cast<long long>(fcur),
                           static_cast<long long>(flen)) ||
         AppendMessageLine(table, "* Tlen=%d, Tend=%d", tlen, tend) ||
         AppendMessageLine(table, "* Press [Home] to get back to Zorvo") ||
         AppendMessageLine(table, "%s", kRule) || AppendMessageLine(table, " "));

  LineEntry& end = table[table.Alast];
  end.offset = flen;
  end.text = 0;
  end.length = -1;
  end.pageLine = 0;
  for (int32_t i = 0; i <= table.Alast; ++i) table[i].flags = kMessageLine;
  table.Acur = 0;
}

bool HoldsProgramError(const LineTable& table) {
  return table.Alast > table.Afirst && (table[table.Afirst].flags & kMessageLine) != 0;
}

}  // namespace zorvo
