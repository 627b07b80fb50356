#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

// SMBus transfers that report every failure the medium can see: on the
// printer port built from the engine's primitives, reading each acknowledge
// bit; on the on-board SMBus through the host controller, reading its status
// after each transaction. The component's own transactions keep their
// behaviour (a silent device reads as a byte there); these are for tools
// that must tell the two apart. Addresses are 7-bit.
namespace transfers {

// Why a transfer failed.
enum class Cause {
  PortInUse,          // another program holds the printer port
  SclHeld,            // SCL reads low although released
  SdaHeld,            // SDA reads low although released
  BothLow,            // both lines read low although released: no pull-ups, no power, no adapter
  NoAcknowledge,      // an address or byte was not acknowledged
  ByteCount,          // a block's byte count is outside 1..32
  PecMismatch,        // the received packet error code does not match the bytes
  ControllerBusy,     // the host controller did not finish within its wait
  Collision,          // the host controller lost the bus
  ControllerRefused,  // the host controller refused or killed the transaction
  StatusUnreadable,   // the host controller's status could not be read
  NoController,       // there is no host controller to run the transaction
};

// A stable name for scripts: "no-acknowledge", "sda-held", ...
std::string CauseName(Cause cause);

class TransferFailed : public std::runtime_error {
 public:
  TransferFailed(Cause cause, const std::string& message) : std::runtime_error(message), cause_(cause) {}
  Cause WhatCause() const { return cause_; }

 private:
  Cause cause_;
};

enum class Transfer { ReadByte, WriteByte, ReadWord, WriteWord, SendByte, ReceiveByte, BlockRead, BlockWrite };

// SMBus blocks carry 1 to 32 bytes.
inline constexpr std::size_t kLongestBlock = 32;

// One medium. Every transfer either completes or throws TransferFailed; a
// failed transfer has ended with a stop condition where the medium allows.
// Words go low byte first, as SMBus sends them.
class Bus {
 public:
  virtual ~Bus() = default;

  // Whether the medium carries the transfer, with or without a packet error
  // code. Callers ask before they touch the bus.
  virtual bool Supports(Transfer transfer, bool pec) const = 0;
  // Packet error checking for the following transfers (where supported).
  void UsePec(bool pec) { pec_ = pec; }
  bool Pec() const { return pec_; }

  // Whether a device acknowledges its address (the write direction); no
  // data is sent. Throws for a medium that cannot say.
  virtual bool Probe(std::uint8_t address) = 0;

  virtual std::uint8_t ReadByte(std::uint8_t address, std::uint8_t command) = 0;
  virtual void WriteByte(std::uint8_t address, std::uint8_t command, std::uint8_t value) = 0;
  virtual std::uint16_t ReadWord(std::uint8_t address, std::uint8_t command) = 0;
  virtual void WriteWord(std::uint8_t address, std::uint8_t command, std::uint16_t value) = 0;
  virtual void SendByte(std::uint8_t address, std::uint8_t value) = 0;
  virtual std::uint8_t ReceiveByte(std::uint8_t address) = 0;
  virtual std::vector<std::uint8_t> BlockRead(std::uint8_t address, std::uint8_t command) = 0;
  // 1 to 32 bytes.
  virtual void BlockWrite(std::uint8_t address, std::uint8_t command, std::span<const std::uint8_t> data) = 0;

 private:
  bool pec_ = false;
};

}  // namespace transfers
