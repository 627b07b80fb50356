#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace platform {

// Data shared by every process of the machine that maps the same library.
class SharedMemory {
 public:
  virtual ~SharedMemory() = default;
  // A machine-wide counter, created as 0 on first use; stays valid for the
  // life of the process.
  virtual std::atomic<std::int32_t>& SharedCounter(const std::string& name) = 0;
};

}  // namespace platform
