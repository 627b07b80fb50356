#pragma once

#include <cstdint>

#include "platform/I2cAdapters.h"
#include "sim/Qts5460.h"
#include "sim/SmbusAlert.h"
#include "sim/SmbusBus.h"

namespace sim {

class Clock;

// An evaluation board behind a USB-to-SMBus bridge, as a Linux PC's kernel
// offers it: an adapter below a USB device that runs whole transactions.
// The bridge carries a QTS5460 and answers the alert response address. Its
// adapter number and name are those a kernel would give such a bridge.
class UsbBridge {
 public:
  static constexpr int kAdapterNumber = 9;
  static constexpr const char* kAdapterName = "CP2112 SMBus Bridge";
  static constexpr const char* kDriver = "cp2112";
  static constexpr std::uint8_t kChipAddress = 0x4C;

  UsbBridge(const Clock& clock, const TemperatureScenario& scenario);
  UsbBridge(const UsbBridge&) = delete;
  UsbBridge& operator=(const UsbBridge&) = delete;

  platform::I2cAdapterInfo Info() const;
  // Runs the transaction in bus order; a byte a device did not acknowledge
  // ends it with a stop and fails it, as the bridge reports a NACK.
  platform::SmbusAnswer Transfer(const platform::SmbusTransfer& transfer);

  Qts5460& Chip() { return chip_; }

 private:
  SmbusBus bus_;
  Qts5460 chip_;
  AlertResponder alerts_;
};

}  // namespace sim
