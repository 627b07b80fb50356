#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "DeviceNodes.h"
#include "platform/I2cAdapters.h"

namespace platform::host {

using platform::SmbusAnswer;
using platform::SmbusProtocol;
using platform::SmbusTransfer;

// An SMBus adapter that runs whole transactions.
class SmbusAdapter {
 public:
  virtual ~SmbusAdapter() = default;
  virtual SmbusAnswer Transfer(const SmbusTransfer& transfer) = 0;
};

// The kernel's adapter /dev/i2c-N through i2c-dev's I2C_SMBUS requests: the
// kernel's own driver of the controller carries each transaction out, so
// nothing here races it. The device opens on the first transfer; a refusal
// (no i2c-dev, no permission, an address a kernel driver has bound) is told
// once on stderr with what the user can do, and the transfer fails.
class I2cDevAdapter : public SmbusAdapter {
 public:
  explicit I2cDevAdapter(int number, std::string deviceDirectory = "/dev", DeviceNodes& nodes = SystemDeviceNodes());
  ~I2cDevAdapter() override;
  I2cDevAdapter(const I2cDevAdapter&) = delete;
  I2cDevAdapter& operator=(const I2cDevAdapter&) = delete;

  SmbusAnswer Transfer(const SmbusTransfer& transfer) override;

 private:
  bool Open();
  bool Select(std::uint8_t address);

  DeviceNodes& nodes_;
  int number_;
  std::string path_;
  int fd_ = -1;
  bool refused_ = false;
  int selected_ = -1;
};

// The adapter that drives the PC's own SMBus: the first one (by number)
// whose kernel name starts with "SMBus" (the chipset drivers name theirs
// "SMBus I801 adapter at ...", "SMBus PIIX4 adapter port 0 at ...").
std::optional<int> FindOnBoardAdapter(const std::string& adapterClass = "/sys/class/i2c-adapter");

}  // namespace platform::host
