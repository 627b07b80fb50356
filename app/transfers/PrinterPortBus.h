#pragma once

#include <cstdint>

#include "transfers/Bus.h"

namespace comport {
class KORComPort;
class PrinterPort;
class SMBusProtocall;
}  // namespace comport

namespace transfers {

// The printer port's adapter, driven with the component's primitives. Each
// transfer holds the port (LockPortOpen) from its first line change to its
// stop condition, unless the caller holds it already, and first checks that
// both lines read high when released, so that a held line is named instead
// of being taken for a silence. Every acknowledge bit is read: a missing one
// ends the transfer with the master's not-acknowledge clock and a stop.
class PrinterPortBus : public Bus {
 public:
  // Selects the port (index from 0) and the adapter's wiring in the component.
  PrinterPortBus(comport::KORComPort& comPort, std::uint8_t portIndex, bool inverted);

  bool Supports(Transfer, bool) const override { return true; }
  bool Probe(std::uint8_t address) override;
  // Whether a device acknowledges its address for reading; when it does, one
  // byte is read and not acknowledged, so that it lets SDA go before the stop.
  bool ProbeRead(std::uint8_t address);

  std::uint8_t ReadByte(std::uint8_t address, std::uint8_t command) override;
  void WriteByte(std::uint8_t address, std::uint8_t command, std::uint8_t value) override;
  std::uint16_t ReadWord(std::uint8_t address, std::uint8_t command) override;
  void WriteWord(std::uint8_t address, std::uint8_t command, std::uint16_t value) override;
  void SendByte(std::uint8_t address, std::uint8_t value) override;
  std::uint8_t ReceiveByte(std::uint8_t address) override;
  std::vector<std::uint8_t> BlockRead(std::uint8_t address, std::uint8_t command) override;
  void BlockWrite(std::uint8_t address, std::uint8_t command, std::span<const std::uint8_t> data) override;

 private:
  comport::KORComPort& comPort_;
};

// Holds the selected printer port (LockPortOpen) for its lifetime, unless
// it was held already. Throws TransferFailed (PortInUse) when another
// program holds it.
class HeldPort {
 public:
  explicit HeldPort(comport::PrinterPort& printerPort);
  ~HeldPort();
  HeldPort(const HeldPort&) = delete;
  HeldPort& operator=(const HeldPort&) = delete;

 private:
  comport::PrinterPort& printerPort_;
  bool heldBefore_ = false;
};

// The address probe on a port the caller holds, with the wiring set: start,
// the address byte, one look at the acknowledge, stop. Without an
// acknowledge the ninth clock is still given, with SDA released, so that a
// trace of the probe shows the not-acknowledge it was.
bool AddressAcknowledged(comport::SMBusProtocall& protocall, std::uint8_t addressByte);

}  // namespace transfers
