#pragma once

#include <chrono>
#include <cstdint>

namespace sim {

// The virtual PC's time. It runs on real time, or, driven by hand, moves only
// when a test advances it or the machine spends time (a port access, a
// message-pump iteration, a sleep).
class Clock {
 public:
  enum class Mode { RealTime, Manual };

  explicit Clock(Mode mode = Mode::RealTime);

  Mode GetMode() const { return mode_; }
  void SetMode(Mode mode);

  // Nanoseconds since the machine started.
  std::uint64_t Now() const;
  // Moves a driven clock on; a real-time clock ignores it.
  void Advance(std::uint64_t nanoseconds);
  // Lets `nanoseconds` pass: a driven clock advances, a real one sleeps.
  void Spend(std::uint64_t nanoseconds);

  // Time of day at machine start, in seconds since midnight.
  void SetStartTimeOfDay(double seconds);
  double StartTimeOfDay() const { return startTimeOfDay_; }
  double SecondsSinceMidnight() const;

  // Millisecond counter value at machine start; it wraps after 2^32 ms.
  void SetStartTickCount(std::uint32_t milliseconds);
  std::uint32_t StartTickCount() const { return startTickCount_; }
  std::uint32_t TickCount() const;

 private:
  Mode mode_;
  std::chrono::steady_clock::time_point realStart_;
  std::uint64_t manualNow_ = 0;
  double startTimeOfDay_;
  std::uint32_t startTickCount_ = 0;
};

}  // namespace sim
