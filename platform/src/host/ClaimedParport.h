#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "DeviceNodes.h"
#include "HostOptions.h"
#include "HostParports.h"

namespace platform::host {

// A parallel port this process holds through the kernel's parport subsystem:
// an open /dev/parportN, registered exclusively (PPEXCL) and claimed
// (PPCLAIM). Its three registers (0 data, 1 status, 2 control) are reached
// through ppdev's requests, or, on the opt-in fast path, with port
// instructions after ioperm. Closing gives the port back.
//
// Differences from the bare registers under ppdev: the control register
// takes bits 0-3 (strobe, auto-feed, init, select) and bit 5 (data
// direction, through PPDATADIR); the interrupt enable (bit 4) belongs to the
// kernel and reads 0 like bits 6-7. Writes to the status register are lost,
// as on the port itself.
class ClaimedParport {
 public:
  enum class Outcome { Granted, HeldByOther, Refused };

  struct Result {
    Outcome outcome;
    std::unique_ptr<ClaimedParport> port;  // when granted
    std::string message;                   // otherwise: why, and what the user can do
  };

  static Result Claim(const HostParport& port, HostOptions::PortAccess access,
                      const std::string& deviceDirectory = "/dev",
                      const std::string& procRoot = "/proc/sys/dev/parport",
                      DeviceNodes& nodes = SystemDeviceNodes());
  ~ClaimedParport();

  ClaimedParport(const ClaimedParport&) = delete;
  ClaimedParport& operator=(const ClaimedParport&) = delete;

  std::uint16_t Base() const { return base_; }
  bool Holds(std::uint16_t port) const { return port >= base_ && port < base_ + kRegisters; }
  std::uint8_t Read(std::uint16_t port);
  void Write(std::uint16_t port, std::uint8_t value);

  static constexpr std::uint16_t kRegisters = 3;

 private:
  ClaimedParport(DeviceNodes& nodes, int fd, std::uint16_t base, bool portInstructions)
      : nodes_(nodes), fd_(fd), base_(base), portInstructions_(portInstructions) {}

  DeviceNodes& nodes_;
  int fd_;
  std::uint16_t base_;
  bool portInstructions_;
  bool reverse_ = false;  // data direction as last set
};

// Who else has registered on parportN, from the subsystem's /proc tree: its
// devices/ folder holds one folder per registered device (ppdevM for a
// program through ppdev, lpM for the kernel's printer driver). Empty when
// nobody has.
std::string OtherParportUser(const std::string& procRoot, int portNumber);

}  // namespace platform::host
