#include "viewer/file/scan_path.h"

namespace zorvo::detail {
namespace {

ScanPath BestPath() {
#if defined(__x86_64__)
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") ? ScanPath::kAvx2 : ScanPath::kSse2;
#else
  return ScanPath::kPlain;
#endif
}

ScanPath& ChosenPath() {
  static ScanPath path = BestPath();
  return path;
}

}  // namespace

bool SetScanPath(ScanPath path) {
  const ScanPath best = BestPath();
  if (path == ScanPath::kBest) path = best;
  if (path == ScanPath::kAvx2 && best != ScanPath::kAvx2) return false;
  if (path == ScanPath::kSse2 && best == ScanPath::kPlain) return false;
  ChosenPath() = path;
  return true;
}

ScanPath CurrentScanPath() { return ChosenPath(); }

}  // namespace zorvo::detail
