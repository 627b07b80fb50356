#pragma once

#include <cstdint>

#include "sim/DeviceObject.h"

namespace sim {

class Machine;

// The 95-family virtual device driver: claim (1) and release (2) of a port
// named by four characters "LPTn", n being '0' + the port number. A port that
// another process holds is refused. Closing the last handle gives back the
// process's claims, as unloading the driver does.
class BridgeVxd : public DeviceObject {
 public:
  static constexpr std::uint32_t kClaim = 1;
  static constexpr std::uint32_t kRelease = 2;

  explicit BridgeVxd(Machine& machine) : machine_(machine) {}

  bool Control(Process& caller, std::uint32_t code, std::span<const std::uint8_t> in,
               std::span<std::uint8_t> out, std::uint32_t& bytesReturned, std::uint32_t& error) override;
  void Cleanup(Process& caller) override;

 private:
  Machine& machine_;
};

}  // namespace sim
