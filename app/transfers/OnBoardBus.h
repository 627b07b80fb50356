#pragma once

#include <cstdint>

#include "transfers/Bus.h"

namespace comport {
class SMBus;
}

namespace transfers {

// The PC's on-board SMBus through the component's host-controller
// transactions: byte reads and writes, receive byte, and the presence check,
// each followed by a look at how the controller ended it. No packet error
// checking, words, send byte or blocks: the component does not run them on
// this medium.
class OnBoardBus : public Bus {
 public:
  explicit OnBoardBus(comport::SMBus& smbus) : smbus_(smbus) {}

  bool Supports(Transfer transfer, bool pec) const override;
  // The component's presence check: a byte read of command 0.
  bool Probe(std::uint8_t address) override;

  std::uint8_t ReadByte(std::uint8_t address, std::uint8_t command) override;
  void WriteByte(std::uint8_t address, std::uint8_t command, std::uint8_t value) override;
  std::uint16_t ReadWord(std::uint8_t address, std::uint8_t command) override;
  void WriteWord(std::uint8_t address, std::uint8_t command, std::uint16_t value) override;
  void SendByte(std::uint8_t address, std::uint8_t value) override;
  std::uint8_t ReceiveByte(std::uint8_t address) override;
  std::vector<std::uint8_t> BlockRead(std::uint8_t address, std::uint8_t command) override;
  void BlockWrite(std::uint8_t address, std::uint8_t command, std::span<const std::uint8_t> data) override;

 private:
  // Throws TransferFailed unless the last transaction completed.
  void CheckEnd(std::uint8_t address);

  comport::SMBus& smbus_;
};

}  // namespace transfers
