#include "comport/EEPROM.h"

#include "comport/CommunicationsProcedures.h"

namespace comport {

namespace {

namespace procedures = CommunicationsProcedures;
using CommonGlobals::State;
using procedures::Ack;
using procedures::BusError;
using procedures::NAck;
using procedures::StartBit;
using procedures::StopBit;
using procedures::WriteData;

std::uint8_t WriteAddress() { return static_cast<std::uint8_t>(State().Port.DeviceAddress & 0xFE); }
std::uint8_t ReadAddress() { return static_cast<std::uint8_t>(State().Port.DeviceAddress | 1); }

// Start, the write address and the bytes, each followed by the acknowledge
// clock; false as soon as a line conflict is seen.
bool SendWithAck(std::initializer_list<std::uint8_t> bytes) {
  StartBit();
  if (BusError()) return false;
  WriteData(WriteAddress());
  if (BusError()) return false;
  Ack();
  if (BusError()) return false;
  for (std::uint8_t byte : bytes) {
    WriteData(byte);
    if (BusError()) return false;
    Ack();
    if (BusError()) return false;
  }
  return true;
}

// The operations' frame: claim even under a lock, retry with back-off
// without re-claiming, give up silently.
void Run(const procedures::Attempt& attempt) { procedures::RunClaimedTransaction(attempt); }

}  // namespace

EEPROM::EEPROM() { procedures::LoadInvertedPatterns(); }

float EEPROM::FrameDelay() const { return State().Engine.FrameDelay; }
void EEPROM::FrameDelay(float value) { State().Engine.FrameDelay = value; }
Boolean EEPROM::RelativeDelayOn() const { return State().Engine.RelativeDelayOn; }
void EEPROM::RelativeDelayOn(Boolean value) { State().Engine.RelativeDelayOn = value; }
std::uint8_t EEPROM::DeviceAddress() const { return State().Port.DeviceAddress; }
void EEPROM::DeviceAddress(std::uint8_t value) { State().Port.DeviceAddress = value; }

void EEPROM::SetAddress(std::uint8_t HighByte, std::uint8_t LowByte) {
  Run([&] {
    if (!SendWithAck({HighByte})) return true;
    WriteData(LowByte);
    if (BusError()) return true;
    NAck();
    if (BusError()) return true;
    StopBit();
    return true;
  });
}

void EEPROM::SetEEPROMAddress(std::uint8_t HighByte, std::uint8_t LowByte) { SetAddress(HighByte, LowByte); }

std::uint8_t EEPROM::ReadByte(std::uint8_t HighByte, std::uint8_t LowByte) {
  std::uint8_t result = 0;
  Run([&] {
    if (!SendWithAck({HighByte, LowByte})) return true;
    // The start follows the stop directly; a conflict in the stop shows at
    // the test after the start.
    StopBit();
    StartBit();
    if (BusError()) return true;
    WriteData(ReadAddress());
    if (BusError()) return true;
    Ack();
    if (BusError()) return true;
    result = procedures::ReadData();
    if (BusError()) return true;
    NAck();
    if (BusError()) return true;
    StopBit();
    return true;
  });
  return result;
}

void EEPROM::WriteByte(std::uint8_t HighByte, std::uint8_t LowByte, std::uint8_t Data) {
  Run([&] {
    if (SendWithAck({HighByte, LowByte, Data})) StopBit();
    return true;
  });
}

Boolean EEPROM::PageErase(std::uint8_t CommandByte, std::uint8_t HighByte, std::uint8_t LowByte) {
  Run([&] {
    if (SendWithAck({CommandByte, HighByte, LowByte})) StopBit();
    return true;
  });
  return kFalse;
}

void EEPROM::SingleCommand(std::uint8_t, std::uint8_t CommandByte) {
  Run([&] {
    if (SendWithAck({CommandByte})) StopBit();
    return true;
  });
}

}  // namespace comport
