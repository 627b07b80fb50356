#include "comport/KORComPort.h"

namespace comport {

KORComPort::KORComPort()
    : smbus_(std::make_shared<comport::SMBus>()),
      usb_(std::make_shared<comport::USB>()),
      printerPort_(std::make_shared<comport::PrinterPort>()) {}

KORComPort::~KORComPort() {
  usb_.reset();
  smbus_.reset();
  printerPort_.reset();
}

}  // namespace comport
