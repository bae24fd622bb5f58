#include "viewer/file/work_progress.h"

#include <algorithm>
#include <utility>

namespace zorvo {

int32_t PercentOf(int64_t done, int64_t total) {
  if (total <= 0 || done >= total) return 100;
  if (done <= 0) return 0;
  // In two steps, so that files beyond 2^57 bytes cannot overflow.
  const int64_t percent = total > INT64_MAX / 100 ? done / (total / 100) : done * 100 / total;
  return static_cast<int32_t>(std::clamp<int64_t>(percent, 0, 100));
}

PacedProgress::PacedProgress(Timing timing, std::function<int64_t()> clock)
    : timing_(timing), clock_(std::move(clock)), start_(clock_()) {}

bool PacedProgress::Reached(int64_t done, int64_t total) {
  if (stopped_) return false;
  const int64_t now = clock_();
  if (now - start_ >= timing_.delay) {
    const int32_t percent = PercentOf(done, total);
    if (percent != shown_) {
      shown_ = percent;
      Show(percent);
    }
  }
  if (!looked_ || now - lastLook_ >= timing_.interval) {
    looked_ = true;
    lastLook_ = now;
    stopped_ = StopAsked();
  }
  return !stopped_;
}

}  // namespace zorvo
