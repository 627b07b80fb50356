#include "transfers/PrinterPortBus.h"

#include <cstdio>
#include <optional>

#include "comport/CommunicationsProcedures.h"
#include "comport/KORComPort.h"

namespace transfers {

namespace {

std::string Hex(int value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", value & 0xFF);
  return text;
}

// A device left in the middle of a byte it was sending (its master went
// away) drives SDA low for as long as it is sending a 0. Up to nine clocks
// with SDA released let it finish the byte and take the last clock as a
// not-acknowledge; a stop then leaves the bus idle. A line that stays low
// after that is held for good. PreStart is one such clock: SCL falls, SDA
// is released while SCL is low, SCL rises.
std::optional<comport::SMBusProtocall::LineLevels> ClearedLineLevels(comport::SMBusProtocall& protocall) {
  constexpr int kBitsOfAByteAndItsAcknowledge = 9;
  protocall.PreStart();
  auto levels = protocall.ReadLineLevels();
  if (!levels || !levels->sclHigh || levels->sdaHigh) return levels;
  for (int clock = 0; clock < kBitsOfAByteAndItsAcknowledge && levels && !levels->sdaHigh; ++clock) {
    protocall.PreStart();
    levels = protocall.ReadLineLevels();
  }
  if (!levels || !levels->sdaHigh) return levels;
  protocall.StopBit();
  protocall.PreStart();
  return protocall.ReadLineLevels();
}

void CheckReleasedLines(comport::SMBusProtocall& protocall) {
  const auto levels = ClearedLineLevels(protocall);
  if (!levels) throw TransferFailed(Cause::PortInUse, "another program holds the printer port");
  if (!levels->sclHigh && !levels->sdaHigh)
    throw TransferFailed(Cause::BothLow,
                         "SCL and SDA both read low although released: the bus has no pull-up resistors, the "
                         "board no power, or no adapter is attached");
  if (!levels->sclHigh) throw TransferFailed(Cause::SclHeld, "SCL is held low: another device holds the clock");
  if (!levels->sdaHigh) throw TransferFailed(Cause::SdaHeld, "SDA is held low: another device holds the data line");
}

// One transfer on the held port: every byte on the wire in order, for the
// packet error code.
class Wire {
 public:
  Wire(comport::SMBusProtocall& protocall, std::uint8_t address, bool pec)
      : protocall_(protocall), address_(address), pec_(pec) {}

  void Start(bool read) {
    protocall_.StartBit();
    Send(static_cast<std::uint8_t>(address_ << 1 | (read ? 1 : 0)),
         std::string("its address (") + (read ? "read" : "write") + ")");
  }

  void Send(std::uint8_t byte, const std::string& what) {
    protocall_.WriteData(byte);
    bytes_.push_back(byte);
    if (protocall_.WaitAck(0) != comport::kFalse) return;
    protocall_.NAck();
    protocall_.StopBit();
    throw TransferFailed(Cause::NoAcknowledge, "no acknowledge from " + Hex(address_) + " for " + what);
  }

  // A byte from the device, then the master's acknowledge (more to come) or
  // not-acknowledge (the last one).
  std::uint8_t Receive(bool last) {
    const std::uint8_t byte = ReceiveUnanswered();
    Answer(last);
    return byte;
  }
  std::uint8_t ReceiveUnanswered() {
    const auto byte = static_cast<std::uint8_t>(protocall_.ReadData());
    bytes_.push_back(byte);
    return byte;
  }
  void Answer(bool last) {
    if (last)
      protocall_.NAck();
    else
      protocall_.MAck();
  }

  // The code over everything so far, sent or checked, before the stop.
  void SendPec() {
    if (pec_) Send(Code(), "the packet error code");
  }
  void ReceivePec() {
    if (!pec_) return;
    const std::uint8_t expected = Code();
    const std::uint8_t received = Receive(true);
    if (received == expected) return;
    protocall_.StopBit();
    throw TransferFailed(Cause::PecMismatch, "packet error code " + Hex(received) + " from " + Hex(address_) +
                                                 " does not match the bytes, which give " + Hex(expected));
  }
  bool Pec() const { return pec_; }

  void Stop() { protocall_.StopBit(); }

 private:
  std::uint8_t Code() const {
    return comport::CommunicationsProcedures::ComputePEC(std::span<const std::uint8_t>(bytes_));
  }

  comport::SMBusProtocall& protocall_;
  std::uint8_t address_;
  bool pec_;
  std::vector<std::uint8_t> bytes_;
};

}  // namespace

HeldPort::HeldPort(comport::PrinterPort& printerPort) : printerPort_(printerPort) {
  heldBefore_ = printerPort_.LockPortOpen() != comport::kFalse;
  if (!heldBefore_) printerPort_.LockPortOpen(comport::kTrue);
  if (printerPort_.LockPortOpen() == comport::kFalse)
    throw TransferFailed(Cause::PortInUse, "another program holds the printer port");
}

HeldPort::~HeldPort() {
  if (!heldBefore_) printerPort_.LockPortOpen(comport::kFalse);
}

bool AddressAcknowledged(comport::SMBusProtocall& protocall, std::uint8_t addressByte) {
  protocall.StartBit();
  protocall.WriteData(static_cast<float>(addressByte));
  // A timeout of 0: one look at SDA, then no waiting.
  const bool acknowledged = protocall.WaitAck(0) != comport::kFalse;
  if (!acknowledged) protocall.NAck();
  protocall.StopBit();
  return acknowledged;
}

PrinterPortBus::PrinterPortBus(comport::KORComPort& comPort, std::uint8_t portIndex, bool inverted)
    : comPort_(comPort) {
  comPort_.PrinterPort()->PortAddressIndex(portIndex);
  comPort_.PrinterPort()->SMBusProtocall()->DataInverted(comport::ToBoolean(inverted));
}

// Runs `transfer` on the held port after the line check.
template <typename Transfer>
auto OnHeldPort(comport::KORComPort& comPort, Transfer transfer) {
  auto printerPort = comPort.PrinterPort();
  const HeldPort held(*printerPort);
  auto protocall = printerPort->SMBusProtocall();
  CheckReleasedLines(*protocall);
  return transfer(*protocall);
}

bool PrinterPortBus::Probe(std::uint8_t address) {
  return OnHeldPort(comPort_, [&](comport::SMBusProtocall& protocall) {
    return AddressAcknowledged(protocall, static_cast<std::uint8_t>(address << 1));
  });
}

bool PrinterPortBus::ProbeRead(std::uint8_t address) {
  return OnHeldPort(comPort_, [&](comport::SMBusProtocall& protocall) {
    Wire wire(protocall, address, false);
    try {
      wire.Start(true);
    } catch (const TransferFailed& failure) {
      if (failure.WhatCause() == Cause::NoAcknowledge) return false;
      throw;
    }
    wire.Receive(true);
    wire.Stop();
    return true;
  });
}

std::uint8_t PrinterPortBus::ReadByte(std::uint8_t address, std::uint8_t command) {
  return OnHeldPort(comPort_, [&](comport::SMBusProtocall& protocall) {
    Wire wire(protocall, address, Pec());
    wire.Start(false);
    wire.Send(command, "the command " + Hex(command));
    wire.Start(true);
    const std::uint8_t value = wire.Receive(!wire.Pec());
    wire.ReceivePec();
    wire.Stop();
    return value;
  });
}

void PrinterPortBus::WriteByte(std::uint8_t address, std::uint8_t command, std::uint8_t value) {
  OnHeldPort(comPort_, [&](comport::SMBusProtocall& protocall) {
    Wire wire(protocall, address, Pec());
    wire.Start(false);
    wire.Send(command, "the command " + Hex(command));
    wire.Send(value, "the data byte " + Hex(value));
    wire.SendPec();
    wire.Stop();
  });
}

std::uint16_t PrinterPortBus::ReadWord(std::uint8_t address, std::uint8_t command) {
  return OnHeldPort(comPort_, [&](comport::SMBusProtocall& protocall) {
    Wire wire(protocall, address, Pec());
    wire.Start(false);
    wire.Send(command, "the command " + Hex(command));
    wire.Start(true);
    const std::uint8_t low = wire.Receive(false);
    const std::uint8_t high = wire.Receive(!wire.Pec());
    wire.ReceivePec();
    wire.Stop();
    return static_cast<std::uint16_t>(high << 8 | low);
  });
}

void PrinterPortBus::WriteWord(std::uint8_t address, std::uint8_t command, std::uint16_t value) {
  OnHeldPort(comPort_, [&](comport::SMBusProtocall& protocall) {
    Wire wire(protocall, address, Pec());
    wire.Start(false);
    wire.Send(command, "the command " + Hex(command));
    wire.Send(static_cast<std::uint8_t>(value), "the word's low byte");
    wire.Send(static_cast<std::uint8_t>(value >> 8), "the word's high byte");
    wire.SendPec();
    wire.Stop();
  });
}

void PrinterPortBus::SendByte(std::uint8_t address, std::uint8_t value) {
  OnHeldPort(comPort_, [&](comport::SMBusProtocall& protocall) {
    Wire wire(protocall, address, Pec());
    wire.Start(false);
    wire.Send(value, "the byte " + Hex(value));
    wire.SendPec();
    wire.Stop();
  });
}

std::uint8_t PrinterPortBus::ReceiveByte(std::uint8_t address) {
  return OnHeldPort(comPort_, [&](comport::SMBusProtocall& protocall) {
    Wire wire(protocall, address, Pec());
    wire.Start(true);
    const std::uint8_t value = wire.Receive(!wire.Pec());
    wire.ReceivePec();
    wire.Stop();
    return value;
  });
}

std::vector<std::uint8_t> PrinterPortBus::BlockRead(std::uint8_t address, std::uint8_t command) {
  return OnHeldPort(comPort_, [&](comport::SMBusProtocall& protocall) {
    Wire wire(protocall, address, Pec());
    wire.Start(false);
    wire.Send(command, "the command " + Hex(command));
    wire.Start(true);
    const std::uint8_t count = wire.ReceiveUnanswered();
    if (count == 0 || count > kLongestBlock) {
      wire.Answer(true);
      wire.Stop();
      throw TransferFailed(Cause::ByteCount, Hex(address) + " sent a block byte count of " + std::to_string(count) +
                                                 "; a block holds 1 to 32 bytes");
    }
    wire.Answer(false);
    std::vector<std::uint8_t> data;
    for (std::size_t i = 0; i < count; ++i) data.push_back(wire.Receive(i + 1 == count && !wire.Pec()));
    wire.ReceivePec();
    wire.Stop();
    return data;
  });
}

void PrinterPortBus::BlockWrite(std::uint8_t address, std::uint8_t command, std::span<const std::uint8_t> data) {
  OnHeldPort(comPort_, [&](comport::SMBusProtocall& protocall) {
    Wire wire(protocall, address, Pec());
    wire.Start(false);
    wire.Send(command, "the command " + Hex(command));
    wire.Send(static_cast<std::uint8_t>(data.size()), "the byte count");
    for (std::size_t i = 0; i < data.size(); ++i) wire.Send(data[i], "data byte " + std::to_string(i + 1));
    wire.SendPec();
    wire.Stop();
  });
}

}  // namespace transfers
