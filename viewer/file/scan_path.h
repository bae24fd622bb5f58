// Which of the byte-scanning ways the search and the formatters use: the
// best the processor has, found once at run time, or one that a test or a
// measurement forces. The Windows build chooses the same way.
#pragma once

namespace zorvo::detail {

enum class ScanPath { kBest = 0, kPlain = 1, kSse2 = 2, kAvx2 = 3 };

// Returns false, changing nothing, when the processor lacks `path`.
bool SetScanPath(ScanPath path);

// The way in force (never kBest).
ScanPath CurrentScanPath();

}  // namespace zorvo::detail
