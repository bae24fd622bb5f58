#include "viewer/file/carriage_control.h"

namespace zorvo {
namespace {
bool userCountsStale = true;
}  // namespace

void MarkUserSkipCountsStale() { userCountsStale = true; }
bool UserSkipCountsStale() { return userCountsStale; }

}  // namespace zorvo
