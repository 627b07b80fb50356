#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::host {

// How the host backend reaches this machine's hardware.
struct HostOptions {
  // Printer-port registers: through ppdev's requests on the claimed
  // /dev/parportN (membership of lp is enough), or with port instructions
  // after ioperm (a faster path for a process with CAP_SYS_RAWIO).
  enum class PortAccess { Ppdev, Ioperm };
  // The on-board SMBus: the kernel's adapter presented as a host controller,
  // raw controller registers (root only, never while a kernel driver owns
  // the controller), or none.
  enum class Smbus { Kernel, Raw, None };

  PortAccess ports = PortAccess::Ppdev;
  Smbus smbus = Smbus::Kernel;
  std::optional<int> i2cAdapter;  // /dev/i2c-N; empty: the PC's own SMBus adapter

  // Parses "key=value,..." (ports=ppdev|ioperm, smbus=kernel|raw|none,
  // i2c=N). Throws std::invalid_argument naming the first bad item.
  static HostOptions Parse(std::string_view text);
  static std::vector<std::string> Help();
};

}  // namespace platform::host
