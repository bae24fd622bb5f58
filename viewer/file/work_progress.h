// Long work over the whole file (a search, Mark All, Copy Tags, the lines a
// tags-only print skips) tells how far it has come, and learns whether the
// user asked it to stop, at the edges of its pieces.
#pragma once

#include <cstdint>
#include <functional>

namespace zorvo {

class WorkProgress {
 public:
  virtual ~WorkProgress() = default;
  // `done` bytes of `total`; false: stop the work now.
  virtual bool Reached(int64_t done, int64_t total) = 0;
};

// How far `done` is into `total`, in percent from 0 to 100.
int32_t PercentOf(int64_t done, int64_t total);

// Shows how far the work has come only once it has lasted `delay`
// milliseconds (short work shows nothing), and then only when the percent
// changes; asks whether to stop at most every `interval` milliseconds, the
// first time at the first report. Both cost far more than a clock reading,
// which is all a report costs in between.
class PacedProgress : public WorkProgress {
 public:
  struct Timing {
    int64_t delay = 500;
    int64_t interval = 50;
  };
  // `clock` gives milliseconds from any fixed point.
  PacedProgress(Timing timing, std::function<int64_t()> clock);

  bool Reached(int64_t done, int64_t total) final;
  bool stopped() const { return stopped_; }
  bool shown() const { return shown_ >= 0; }

 protected:
  virtual void Show(int32_t percent) = 0;
  virtual bool StopAsked() = 0;

 private:
  Timing timing_;
  std::function<int64_t()> clock_;
  int64_t start_;
  int64_t lastLook_ = 0;
  bool looked_ = false;
  int32_t shown_ = -1;
  bool stopped_ = false;
};

}  // namespace zorvo
