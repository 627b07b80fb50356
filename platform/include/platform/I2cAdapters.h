#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// The SMBus protocols an adapter runs as one transaction, numbered as the
// 0x8086 host-controller layout numbers them.
enum class SmbusProtocol { Quick = 0, Byte = 1, ByteData = 2, WordData = 3 };

struct SmbusTransfer {
  SmbusProtocol protocol;
  std::uint8_t address;  // 7-bit
  bool read;
  std::uint8_t command;  // register code; the byte itself for a send byte
  std::uint16_t data;    // what a write sends (a word low byte first)
};

struct SmbusAnswer {
  bool done;           // false: not acknowledged, or the adapter refused
  std::uint16_t data;  // what a read brought back
};

// What an adapter connects to, read from the device it hangs below, never
// from its name.
enum class AdapterMedium {
  OnBoard,  // the chipset's SMBus, a board's header bus, anything not below USB
  Usb,      // below a USB device: a USB-to-I2C bridge
  Display,  // a graphics driver's bus to a monitor (DDC): never searched
};

// Whether this process may open the adapter's device node.
enum class AdapterAccess {
  Open,
  NoPermission,  // the node exists but this user may not open it
  NoNode,        // no /dev/i2c-N: the kernel's I2C device interface is not loaded
  Failed,        // another reason, in `accessError`
};

struct I2cAdapterInfo {
  int number = 0;             // i2c-N
  std::string name;           // as the kernel names it
  AdapterMedium medium = AdapterMedium::OnBoard;
  std::string parentDriver;   // the driver of the device it hangs below; empty when none
  AdapterAccess access = AdapterAccess::Open;
  std::string accessError;    // AdapterAccess::Failed
};

// The kernel's I2C and SMBus adapters as a Linux PC offers them: the
// chipset's SMBus, USB bridges, a board's header bus. A machine without
// them (a Windows personality of the virtual PC without its USB bridge)
// lists none. Transfers select an address without forcing it, so an
// address that a kernel driver has bound is never touched.
class I2cAdapters {
 public:
  virtual ~I2cAdapters() = default;
  // Every adapter, by number.
  virtual std::vector<I2cAdapterInfo> ListI2cAdapters() { return {}; }
  // The name of the kernel driver that has bound `address` on adapter
  // `number`; empty when none has.
  virtual std::string BoundI2cDriver(int /*number*/, std::uint8_t /*address*/) { return {}; }
  // One whole transaction on adapter `number`.
  virtual SmbusAnswer I2cTransfer(int /*number*/, const SmbusTransfer& /*transfer*/) { return {false, 0}; }
  // True on a Linux PC, whose media are its kernel's: the Windows
  // personality it shows the component then decides nothing in the windows.
  virtual bool KernelMedia() { return false; }
};

// Adapters a search looks at: the user may open them and they are not a
// monitor's bus.
inline bool Searchable(const I2cAdapterInfo& adapter) {
  return adapter.access == AdapterAccess::Open && adapter.medium != AdapterMedium::Display;
}

}  // namespace platform
