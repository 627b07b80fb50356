#pragma once

#include <cstdint>
#include <span>

namespace sim {

class Process;

// A device that a process opens by path and talks to with control requests.
class DeviceObject {
 public:
  virtual ~DeviceObject() = default;
  // Answers true with the bytes written to `out`, or false with a Windows error code.
  virtual bool Control(Process& caller, std::uint32_t code, std::span<const std::uint8_t> in,
                       std::span<std::uint8_t> out, std::uint32_t& bytesReturned,
                       std::uint32_t& error) = 0;
  // The caller closed its last handle to the device.
  virtual void Cleanup(Process& caller) = 0;
};

}  // namespace sim
