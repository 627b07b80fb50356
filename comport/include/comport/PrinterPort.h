#pragma once

#include <cstdint>
#include <memory>

#include "comport/Boolean.h"
#include "comport/ControlPort.h"
#include "comport/DataPort.h"
#include "comport/EEPROM.h"
#include "comport/SMBusProtocall.h"
#include "comport/StatusPort.h"

namespace comport {

// The printer port: selection of the port, the claim lock, and the objects
// that reach the port's registers and the SMBus behind it. The selection is
// process-wide: every PrinterPort of the process sees the same port.
class PrinterPort {
 public:
  // Runs the one-time port discovery (RuntimeError on a system whose build
  // text is not a number), then creates SMBusProtocall, DataPort, StatusPort,
  // ControlPort and EEPROM, in that order.
  PrinterPort();
  // Releases EEPROM, SMBusProtocall, DataPort, StatusPort and ControlPort; a
  // port claimed under LockPortOpen stays claimed.
  ~PrinterPort();
  PrinterPort(const PrinterPort&) = delete;
  PrinterPort& operator=(const PrinterPort&) = delete;

  Boolean LockPortOpen() const;
  void LockPortOpen(Boolean value);
  std::uint8_t PrinterPortsDetected() const;
  std::uint8_t PortAddressIndex() const;
  void PortAddressIndex(std::uint8_t value);
  // Creates a new EEPROM first when none is held.
  std::shared_ptr<comport::EEPROM> EEPROM();
  void EEPROM(std::shared_ptr<comport::EEPROM> value) { eeprom_ = std::move(value); }
  std::uint8_t DeviceAddress() const;
  void DeviceAddress(std::uint8_t value);
  Boolean DataInverted() const;
  void DataInverted(Boolean value);
  std::int16_t PortAddress() const;
  void PortAddress(std::int16_t value);
  std::shared_ptr<comport::SMBusProtocall> SMBusProtocall() const { return protocall_; }
  void SMBusProtocall(std::shared_ptr<comport::SMBusProtocall> value) { protocall_ = std::move(value); }
  std::shared_ptr<comport::DataPort> DataPort() const { return dataPort_; }
  void DataPort(std::shared_ptr<comport::DataPort> value) { dataPort_ = std::move(value); }
  std::shared_ptr<comport::StatusPort> StatusPort() const { return statusPort_; }
  void StatusPort(std::shared_ptr<comport::StatusPort> value) { statusPort_ = std::move(value); }
  std::shared_ptr<comport::ControlPort> ControlPort() const { return controlPort_; }
  void ControlPort(std::shared_ptr<comport::ControlPort> value) { controlPort_ = std::move(value); }

 private:
  std::shared_ptr<comport::SMBusProtocall> protocall_;
  std::shared_ptr<comport::DataPort> dataPort_;
  std::shared_ptr<comport::StatusPort> statusPort_;
  std::shared_ptr<comport::ControlPort> controlPort_;
  std::shared_ptr<comport::EEPROM> eeprom_;
};

}  // namespace comport
