#include "comport/PrinterPort.h"

#include "LptBridge.h"
#include "comport/CommunicationsProcedures.h"

namespace comport {

namespace {
namespace procedures = CommunicationsProcedures;
using CommonGlobals::State;
}  // namespace

PrinterPort::PrinterPort() {
  procedures::InitCommunications();
  protocall_ = std::make_shared<comport::SMBusProtocall>();
  dataPort_ = std::make_shared<comport::DataPort>();
  statusPort_ = std::make_shared<comport::StatusPort>();
  controlPort_ = std::make_shared<comport::ControlPort>();
  eeprom_ = std::make_shared<comport::EEPROM>();
}

PrinterPort::~PrinterPort() {
  eeprom_.reset();
  protocall_.reset();
  dataPort_.reset();
  statusPort_.reset();
  controlPort_.reset();
}

Boolean PrinterPort::LockPortOpen() const { return State().Port.LockPortOpen; }

void PrinterPort::LockPortOpen(Boolean value) {
  auto& port = State().Port;
  if (value) {
    port.LockPortOpen = value;
    const bool claimed = procedures::OpenPort();
    port.LockPortOpen = ToBoolean(claimed);
  } else {
    procedures::ClosePort();
  }
}

std::uint8_t PrinterPort::PrinterPortsDetected() const {
  const std::int32_t count = GetParallelPortCount();
  return count > 0 && count <= 255 ? static_cast<std::uint8_t>(count) : 0;
}

std::uint8_t PrinterPort::PortAddressIndex() const { return State().Port.PortAddressIndex; }

void PrinterPort::PortAddressIndex(std::uint8_t value) {
  auto& port = State().Port;
  port.PortAddressIndex = value;
  if (value < port.PortCount && value < port.PortAddresses.size()) port.PortAddress = port.PortAddresses[value];
}

std::shared_ptr<comport::EEPROM> PrinterPort::EEPROM() {
  if (!eeprom_) eeprom_ = std::make_shared<comport::EEPROM>();
  return eeprom_;
}

std::uint8_t PrinterPort::DeviceAddress() const { return State().Port.DeviceAddress; }
void PrinterPort::DeviceAddress(std::uint8_t value) { State().Port.DeviceAddress = value; }
Boolean PrinterPort::DataInverted() const { return State().Port.DataInverted; }
void PrinterPort::DataInverted(Boolean value) { procedures::SetDataInverted(value); }
std::int16_t PrinterPort::PortAddress() const { return State().Port.PortAddress; }

void PrinterPort::PortAddress(std::int16_t value) {
  // The list follows a changed port count, so that an index and the address
  // it selects always belong to the same port.
  procedures::RefreshPortList();
  auto& port = State().Port;
  if (port.PortCount > 0) {
    if (auto address = procedures::QueryPortAddress(port.PortAddressIndex + 1)) port.PortAddress = *address;
  }
  procedures::FindPortByAddress(value);
}

}  // namespace comport
