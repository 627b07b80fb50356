#pragma once

#include <cstdint>
#include <stdexcept>

namespace platform {

// A port instruction on a port that is not open to the process: on the
// original platform the processor stops it with an exception in the caller.
class PortAccessFault : public std::runtime_error {
 public:
  explicit PortAccessFault(std::uint16_t port);
  std::uint16_t Port() const { return port_; }

 private:
  std::uint16_t port_;
};

}  // namespace platform
