// The SMBus class: the interface of the on-board medium over HardwareSMBus
// and the process-wide state it shares with every other SMBus object.
#include "comport/SMBus.h"

#include "comport/CommonGlobals.h"
#include "comport/CommunicationsProcedures.h"
#include "comport/HardwareSMBus.h"

namespace comport {

namespace {
namespace hardware = HardwareSMBus;
namespace procedures = CommunicationsProcedures;
using CommonGlobals::State;
}  // namespace

SMBus::SMBus() { hardware::InitialiseHostAccess(); }

double SMBus::ReadPCI(std::uint8_t Bus, std::uint8_t Device, std::uint8_t Fn, std::uint8_t Register) {
  return hardware::ReadPCI(Bus, Device, Fn, Register);
}

void SMBus::WritePCI(std::uint8_t Bus, std::uint8_t Device, std::uint8_t Fn, std::uint8_t Register,
                     std::uint8_t Value) {
  hardware::WritePCIDword(Bus, Device, Fn, Register, Value);
}

std::int32_t SMBus::ReadBase(double BaseAddr) { return hardware::ReadBase(procedures::RoundToInt32(BaseAddr)); }
void SMBus::WriteBase(std::int32_t BaseAddr, std::int32_t Value) { hardware::WriteBase(BaseAddr, Value); }

std::int32_t SMBus::DeviceID() const { return State().OnBoard.DeviceID; }
void SMBus::DeviceID(std::int32_t value) { State().OnBoard.DeviceID = value; }
std::int32_t SMBus::SMBusBaseAddress() const { return State().OnBoard.SMBusBaseAddress; }
void SMBus::SMBusBaseAddress(std::int32_t value) { State().OnBoard.SMBusBaseAddress = value; }

Boolean SMBus::DevicePresent(std::uint8_t DeviceAddress) { return hardware::DevicePresent(DeviceAddress); }

float SMBus::FrameDelay() const { return State().Engine.FrameDelay; }
void SMBus::FrameDelay(float value) { procedures::SetFrameDelay(value); }

void SMBus::PortWrite(std::uint8_t DeviceAddress, std::uint8_t AddressPointer, std::uint8_t Data) {
  hardware::PortWrite(DeviceAddress, AddressPointer, Data);
}

std::uint8_t SMBus::PortRead(std::uint8_t DeviceAddress, std::uint8_t AddressPointer) {
  return hardware::PortRead(DeviceAddress, AddressPointer);
}

std::uint8_t SMBus::ReceiveByte(std::uint8_t DeviceAddress) { return hardware::ReceiveByte(DeviceAddress); }

HostTransactionEnd SMBus::LastTransactionEnd() { return hardware::LastTransactionEnd(); }

}  // namespace comport
