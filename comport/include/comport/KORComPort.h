#pragma once

#include <cstdint>
#include <memory>

#include "comport/PrinterPort.h"
#include "comport/SMBus.h"
#include "comport/USB.h"

namespace comport {

// The component's root object: one per program, reaching every medium.
class KORComPort {
 public:
  // Creates SMBus, USB and PrinterPort, in that order.
  KORComPort();
  // Releases USB, SMBus and PrinterPort, in that order.
  ~KORComPort();
  KORComPort(const KORComPort&) = delete;
  KORComPort& operator=(const KORComPort&) = delete;

  std::shared_ptr<comport::PrinterPort> PrinterPort() const { return printerPort_; }
  void PrinterPort(std::shared_ptr<comport::PrinterPort> value) { printerPort_ = std::move(value); }
  std::shared_ptr<comport::USB> USB() const { return usb_; }
  void USB(std::shared_ptr<comport::USB> value) { usb_ = std::move(value); }
  std::shared_ptr<comport::SMBus> SMBus() const { return smbus_; }
  void SMBus(std::shared_ptr<comport::SMBus> value) { smbus_ = std::move(value); }
  // Stored for the caller; the component does not act on it.
  std::int16_t PortType() const { return portType_; }
  void PortType(std::int16_t value) { portType_ = value; }

 private:
  std::shared_ptr<comport::SMBus> smbus_;
  std::shared_ptr<comport::USB> usb_;
  std::shared_ptr<comport::PrinterPort> printerPort_;
  std::int16_t portType_ = 0;
};

}  // namespace comport
