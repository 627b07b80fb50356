#pragma once

#include "platform/Current.h"

namespace comport {

// Time passed since construction on the seconds-since-midnight timer. The
// timer restarts at 0 at midnight; the span adds up the steps between reads,
// so a wait across midnight still lasts its own length (as long as it reads
// the timer at least once a day).
class TimerSpan {
 public:
  TimerSpan() : last_(platform::Current().Timer()) {}
  // Counts from a timer value read just before.
  explicit TimerSpan(double start) : last_(start) {}

  double Elapsed() const {
    const double now = platform::Current().Timer();
    double step = now - last_;
    if (step < 0) step += kSecondsPerDay;
    elapsed_ += step;
    last_ = now;
    return elapsed_;
  }

 private:
  static constexpr double kSecondsPerDay = 86400.0;
  mutable double last_;
  mutable double elapsed_ = 0;
};

}  // namespace comport
