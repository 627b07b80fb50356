#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "SmbusAdapter.h"
#include "platform/I2cAdapters.h"

namespace platform::host {

// The kernel's I2C adapters as sysfs shows them and i2c-dev opens them.
//
// What an adapter is comes from the device it hangs below
// (/sys/bus/i2c/devices/i2c-N is a link into the device tree): below a
// device of the usb bus it is a USB bridge; below a drm device or a PCI
// display controller (class 0x03) it is a monitor's DDC bus; anything else
// (a chipset's SMBus function, a board's I2C controller, i2c-stub) counts as
// on board. A driver that binds an address leaves its link at
// /sys/bus/i2c/devices/N-00AA/driver.
class KernelAdapters {
 public:
  // 0 when `path` opens for reading and writing, else the errno of the open.
  using OpenCheck = std::function<int(const std::string& path)>;

  explicit KernelAdapters(std::string sysfs = "/sys", std::string devices = "/dev", OpenCheck check = {});

  std::vector<I2cAdapterInfo> List() const;
  std::string BoundDriver(int number, std::uint8_t address) const;
  // Opens /dev/i2c-N at its first transfer and keeps it open.
  SmbusAnswer Transfer(int number, const SmbusTransfer& transfer);

 private:
  I2cAdapterInfo Describe(int number, const std::string& folder) const;

  std::string sysfs_;
  std::string devices_;
  OpenCheck check_;
  std::map<int, std::unique_ptr<I2cDevAdapter>> open_;
};

}  // namespace platform::host
