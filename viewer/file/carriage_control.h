// Carriage control: the skip counts of the control characters in column 1.
#pragma once

#include "viewer/file/formatter.h"

namespace zorvo {

// The user table named by the options is read from the profile again at its
// next use (after the choice of table changed).
void MarkUserSkipCountsStale();
bool UserSkipCountsStale();

}  // namespace zorvo
