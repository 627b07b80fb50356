#pragma once

#include <cstdint>

namespace platform {

// The closed word and double-word port library that the on-board SMBus code
// uses. Transfers go to ports that AddMultiPort opened; the PCI configuration
// ports 0xCF8 and 0xCFC are always open to it. A word transfer reaches the
// named port and the one above it, as the processor's 16-bit instruction
// does (and some devices refuse it: QEMU's PIIX4 SMBus drops word accesses);
// the byte transfers reach the named port alone.
class CanIo {
 public:
  virtual ~CanIo() = default;
  virtual std::int32_t CanInpd(std::int32_t port) = 0;
  virtual void CanOutpd(std::int32_t port, std::int32_t value) = 0;
  virtual std::int32_t CanInpw(std::int32_t port) = 0;
  virtual void CanOutpw(std::int32_t port, std::int32_t value) = 0;
  virtual std::int32_t CanInp(std::int32_t port) = 0;
  virtual void CanOutp(std::int32_t port, std::int32_t value) = 0;
  // Opens `count` ports from `port`; nonzero on success.
  virtual std::int32_t AddMultiPort(std::int32_t port, std::int32_t count) = 0;
  virtual std::int32_t RemovePort(std::int32_t port) = 0;
};

}  // namespace platform
