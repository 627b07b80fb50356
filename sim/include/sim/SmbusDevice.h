#pragma once

#include <cstdint>

namespace sim {

// A device on an SMBus segment as the byte level sees it: no wires, no clock
// edges, only the conditions and bytes of a transfer. The wire-level slave
// engine of the printer-port board and a chipset's host controller both drive
// device models through this interface, so a model never knows which medium
// talks to it.
//
// Contract, in the order a transfer calls it:
// - Start(read) opens a transfer that addressed this device, with the
//   direction bit of the address byte. A repeated start calls Start again
//   without a Stop in between. The result is the device's acknowledge of its
//   address; a device that does not acknowledge sees nothing more of this
//   transfer, not even its Stop.
// - WriteByte(b) is one byte from the master; the result is its acknowledge.
// - ReadByte() is the next byte for the master. It cannot fail: on the wire a
//   device cannot refuse to send once it has acknowledged its address. The
//   master's acknowledge of the byte is not reported; a not-acknowledge simply
//   means no further ReadByte follows.
// - Stop() ends the transfer: a stop condition, or a start that addresses
//   another device (or none). A master that never sends a stop and then
//   addresses this device again gives a second Start without a Stop.
class SmbusDevice {
 public:
  virtual ~SmbusDevice() = default;
  virtual bool Start(bool read) = 0;
  virtual bool WriteByte(std::uint8_t value) = 0;
  virtual std::uint8_t ReadByte() = 0;
  virtual void Stop() = 0;
};

}  // namespace sim
