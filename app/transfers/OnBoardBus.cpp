#include "transfers/OnBoardBus.h"

#include <cstdio>

#include "comport/SMBus.h"

namespace transfers {

namespace {

std::string Hex(int value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned>(value));
  return text;
}

[[noreturn]] void Unsupported() {
  throw std::logic_error("the on-board SMBus medium does not run this transfer");
}

}  // namespace

bool OnBoardBus::Supports(Transfer transfer, bool pec) const {
  if (pec) return false;
  return transfer == Transfer::ReadByte || transfer == Transfer::WriteByte || transfer == Transfer::ReceiveByte;
}

void OnBoardBus::CheckEnd(std::uint8_t address) {
  const std::string controller = "the host controller at " + Hex(smbus_.SMBusBaseAddress());
  switch (smbus_.LastTransactionEnd()) {
    case comport::HostTransactionEnd::Completed:
      return;
    case comport::HostTransactionEnd::NotAcknowledged:
      throw TransferFailed(Cause::NoAcknowledge,
                           "no acknowledge from " + Hex(address) + " (" + controller + " reports a device error)");
    case comport::HostTransactionEnd::Collision:
      throw TransferFailed(Cause::Collision, controller + " lost the bus: another master, or a line held low");
    case comport::HostTransactionEnd::Failed:
      throw TransferFailed(Cause::ControllerRefused, controller + " refused or stopped the transaction");
    case comport::HostTransactionEnd::Busy:
      throw TransferFailed(Cause::ControllerBusy, controller + " stays busy: it did not finish the transaction");
    case comport::HostTransactionEnd::Unreadable:
      throw TransferFailed(Cause::StatusUnreadable, "the status register of " + controller + " cannot be read");
    case comport::HostTransactionEnd::None:
      break;
  }
  throw TransferFailed(Cause::NoController, "there is no supported on-board SMBus host controller");
}

bool OnBoardBus::Probe(std::uint8_t address) {
  smbus_.DevicePresent(address);
  try {
    CheckEnd(address);
  } catch (const TransferFailed& failure) {
    if (failure.WhatCause() == Cause::NoAcknowledge) return false;
    throw;
  }
  return true;
}

std::uint8_t OnBoardBus::ReadByte(std::uint8_t address, std::uint8_t command) {
  const std::uint8_t value = smbus_.PortRead(address, command);
  CheckEnd(address);
  return value;
}

void OnBoardBus::WriteByte(std::uint8_t address, std::uint8_t command, std::uint8_t value) {
  smbus_.PortWrite(address, command, value);
  CheckEnd(address);
}

std::uint8_t OnBoardBus::ReceiveByte(std::uint8_t address) {
  const std::uint8_t value = smbus_.ReceiveByte(address);
  CheckEnd(address);
  return value;
}

std::uint16_t OnBoardBus::ReadWord(std::uint8_t, std::uint8_t) { Unsupported(); }
void OnBoardBus::WriteWord(std::uint8_t, std::uint8_t, std::uint16_t) { Unsupported(); }
void OnBoardBus::SendByte(std::uint8_t, std::uint8_t) { Unsupported(); }
std::vector<std::uint8_t> OnBoardBus::BlockRead(std::uint8_t, std::uint8_t) { Unsupported(); }
void OnBoardBus::BlockWrite(std::uint8_t, std::uint8_t, std::span<const std::uint8_t>) { Unsupported(); }

}  // namespace transfers
