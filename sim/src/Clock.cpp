#include "sim/Clock.h"

#include <cmath>
#include <thread>

#include "platform/TimeOfDay.h"

namespace sim {

namespace {
constexpr double kSecondsPerDay = 86400.0;

}  // namespace

Clock::Clock(Mode mode)
    : mode_(mode), realStart_(std::chrono::steady_clock::now()), startTimeOfDay_(platform::LocalTimeOfDay()) {}

void Clock::SetMode(Mode mode) {
  if (mode == mode_) return;
  const std::uint64_t now = Now();
  mode_ = mode;
  manualNow_ = now;
  realStart_ = std::chrono::steady_clock::now() - std::chrono::nanoseconds(now);
}

std::uint64_t Clock::Now() const {
  if (mode_ == Mode::Manual) return manualNow_;
  return static_cast<std::uint64_t>(
      std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - realStart_)
          .count());
}

void Clock::Advance(std::uint64_t nanoseconds) {
  if (mode_ == Mode::Manual) manualNow_ += nanoseconds;
}

void Clock::Spend(std::uint64_t nanoseconds) {
  if (mode_ == Mode::Manual)
    manualNow_ += nanoseconds;
  else
    std::this_thread::sleep_for(std::chrono::nanoseconds(nanoseconds));
}

void Clock::SetStartTimeOfDay(double seconds) { startTimeOfDay_ = std::fmod(seconds, kSecondsPerDay); }

double Clock::SecondsSinceMidnight() const {
  return std::fmod(startTimeOfDay_ + static_cast<double>(Now()) * 1e-9, kSecondsPerDay);
}

void Clock::SetStartTickCount(std::uint32_t milliseconds) { startTickCount_ = milliseconds; }

std::uint32_t Clock::TickCount() const {
  return static_cast<std::uint32_t>(startTickCount_ + Now() / 1'000'000u);
}

}  // namespace sim
