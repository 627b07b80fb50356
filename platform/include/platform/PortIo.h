#pragma once

#include <cstdint>

namespace platform {

// The processor's I/O port instructions. A port that is not open to the
// process faults as the processor would: the call throws PortAccessFault.
class PortIo {
 public:
  virtual ~PortIo() = default;
  virtual std::uint8_t In8(std::uint16_t port) = 0;
  virtual std::uint16_t In16(std::uint16_t port) = 0;
  virtual std::uint32_t In32(std::uint16_t port) = 0;
  virtual void Out8(std::uint16_t port, std::uint8_t value) = 0;
  virtual void Out16(std::uint16_t port, std::uint16_t value) = 0;
  virtual void Out32(std::uint16_t port, std::uint32_t value) = 0;
};

}  // namespace platform
