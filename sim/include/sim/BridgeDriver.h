#pragma once

#include <cstdint>
#include <vector>

#include "sim/DeviceObject.h"

namespace sim {

class Machine;

// The kernel driver of the port access library, as the virtual PC runs it
// once its service has started. It answers four buffered requests:
//
//   claim         in {port, value, process handle}    out {status}
//   release       in {port}                           out {ignored}
//   query         in {index}                          out {count} or the port record
//   enable range  in {first, last, process handle}    out {status}
//
// Status 0 grants, 1 refuses a port that another process holds, 2 refuses a
// request that names no port (or a range that is not one). A grant opens the
// port's three registers (or the range first..last, both inclusive) to the
// process the handle names, before the request returns. The claim value is
// accepted and not used. When a process closes its last handle, the driver
// gives back every claim and range it made.
class BridgeDriver : public DeviceObject {
 public:
  static constexpr std::uint32_t kClaim = 0x83012400;
  static constexpr std::uint32_t kRelease = 0x83012404;
  static constexpr std::uint32_t kQuery = 0x83012408;
  static constexpr std::uint32_t kEnableRange = 0x8301240C;

  static constexpr std::uint32_t kGranted = 0;
  static constexpr std::uint32_t kHeldByOther = 1;
  static constexpr std::uint32_t kRefused = 2;

  explicit BridgeDriver(Machine& machine) : machine_(machine) {}

  bool Control(Process& caller, std::uint32_t code, std::span<const std::uint8_t> in,
               std::span<std::uint8_t> out, std::uint32_t& bytesReturned, std::uint32_t& error) override;
  void Cleanup(Process& caller) override;

 private:
  struct Grant {
    int port;  // 0 for an enabled range
    std::uint16_t first;
    std::uint32_t count;
    std::uint32_t holder;     // process whose ports were opened
    std::uint32_t requester;  // process that sent the request
  };

  bool Claim(Process& caller, std::span<const std::uint8_t> in, std::span<std::uint8_t> out,
             std::uint32_t& bytesReturned, std::uint32_t& error);
  bool Release(Process& caller, std::span<const std::uint8_t> in, std::uint32_t& error);
  bool Query(std::span<const std::uint8_t> in, std::span<std::uint8_t> out, std::uint32_t& bytesReturned,
             std::uint32_t& error);
  bool EnableRange(Process& caller, std::span<const std::uint8_t> in, std::span<std::uint8_t> out,
                   std::uint32_t& bytesReturned, std::uint32_t& error);
  void Revoke(const Grant& grant);

  Machine& machine_;
  std::vector<Grant> grants_;
};

}  // namespace sim
