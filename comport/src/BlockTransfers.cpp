// The 32-byte block read (command 0xA1) and the block write (command 0xA0)
// at the shared DeviceAddress, with optional packet error checking.
#include <vector>

#include "comport/CommunicationsProcedures.h"
#include "comport/SMBusProtocall.h"

namespace comport {

namespace {

namespace procedures = CommunicationsProcedures;
using CommonGlobals::State;
using procedures::BusError;
using procedures::Outcome;

constexpr std::uint8_t kBlockReadCommand = 0xA1;
constexpr std::uint8_t kBlockWriteCommand = 0xA0;
constexpr std::uint8_t kBlockLength = 32;

// Sends the byte and clocks its acknowledge; false on a line conflict.
bool Send(std::uint8_t byte, bool longAck = false) {
  procedures::WriteData(byte);
  if (BusError()) return false;
  longAck ? procedures::LongAck() : procedures::Ack();
  return !BusError();
}

}  // namespace

Variant SMBusProtocall::BlockRead(std::uint8_t, std::uint8_t) {
  const std::uint8_t address = State().Port.DeviceAddress;
  const auto writeAddress = static_cast<std::uint8_t>(address & 0xFE);
  const auto readAddress = static_cast<std::uint8_t>(address | 1);
  const bool usePec = usePec_ != 0;
  bool countWrong = false;

  const auto outcome = procedures::RunClaimedTransaction([&] {
    blockData_[0] = readAddress;
    procedures::StartBit();
    if (BusError() || !Send(writeAddress) || !Send(kBlockReadCommand)) return true;
    procedures::PreStart();
    if (BusError()) return true;
    procedures::StartBit();
    if (BusError() || !Send(readAddress)) return true;
    receivedCount_ = procedures::ReadData();
    if (BusError()) return true;
    if (receivedCount_ != kBlockLength) {
      countWrong = true;
      return false;
    }
    procedures::MAck();
    if (BusError()) return true;
    for (std::size_t i = 2; i < blockData_.size(); ++i) {
      blockData_[i] = procedures::ReadData();
      if (BusError()) return true;
      procedures::MAck();
      if (BusError()) return true;
    }
    if (usePec) {
      receivedPec_ = procedures::ReadData();
      if (BusError()) return true;
      procedures::NAck();
      if (BusError()) return true;
    }
    procedures::StopBit();
    if (BusError()) return true;
    blockData_[1] = receivedCount_;
    if (usePec) {
      std::vector<std::uint8_t> transfer{writeAddress, kBlockReadCommand, readAddress, receivedCount_};
      for (std::size_t i = 2; i < blockData_.size(); ++i) transfer.push_back(static_cast<std::uint8_t>(blockData_[i]));
      const std::uint8_t pec = procedures::ComputePEC(transfer);
      finalPec_ = pec;
      pecOk_ = ToBoolean(receivedPec_ == pec);
    }
    return true;
  });
  if (countWrong || outcome == Outcome::GaveUp) error_.Raise(kBlockCountError, kBlockCountText);
  return Variant();
}

void SMBusProtocall::BlockWrite(std::uint8_t ByteCount, const Variant& Data) {
  // The caller's array supplies the payload in elements 3 .. ByteCount + 2.
  const auto& elements = Data.Array();
  const std::size_t end = std::size_t{3} + ByteCount;
  if (elements.size() < end) throw RuntimeError::SubscriptOutOfRange();
  const auto writeAddress = static_cast<std::uint8_t>(State().Port.DeviceAddress & 0xFE);
  // The bytes in bus order: the checksum covers exactly what is sent.
  std::vector<std::uint8_t> transfer{writeAddress, kBlockWriteCommand, ByteCount};
  for (std::size_t i = 3; i < end; ++i) transfer.push_back(static_cast<std::uint8_t>(elements[i] & 0xFF));
  const bool usePec = usePec_ != 0;
  const bool longAck = blockWriteWaitAck_ != 0;

  procedures::RunClaimedTransaction([&] {
    procedures::PreStart();
    if (BusError()) return true;
    procedures::StartBit();
    if (BusError() || !Send(writeAddress) || !Send(kBlockWriteCommand) || !Send(ByteCount)) return true;
    for (std::size_t i = 3; i < transfer.size(); ++i)
      if (!Send(transfer[i], longAck)) return true;
    if (usePec) {
      const std::uint8_t pec = procedures::ComputePEC(transfer);
      finalPec_ = pec;
      procedures::WriteData(pec);
      if (BusError()) return true;
      pecOk_ = ToBoolean(procedures::ReadPecAck());
      if (BusError()) return true;
    }
    procedures::StopBit();
    return true;
  });
}

}  // namespace comport
