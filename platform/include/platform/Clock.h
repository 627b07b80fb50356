#pragma once

#include <cstdint>

namespace platform {

// The time sources of the process.
class Clock {
 public:
  virtual ~Clock() = default;
  // Seconds since midnight; restarts at 0 at midnight.
  virtual double Timer() = 0;
  // Milliseconds since the machine started; wraps after 2^32 ms.
  virtual std::uint32_t GetTickCount() = 0;
  virtual void Sleep(std::uint32_t milliseconds) = 0;
};

}  // namespace platform
