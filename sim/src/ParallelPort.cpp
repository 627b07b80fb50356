#include "sim/ParallelPort.h"

namespace sim {

ParallelPort::ParallelPort(std::uint16_t base, std::uint8_t irq) : base_(base), irq_(irq) {}

void ParallelPort::Attach(ParallelPortDevice* device) {
  device_ = device;
  if (device_) device_->DataWritten(data_);
}

std::uint8_t ParallelPort::Read8(std::uint16_t port) {
  switch (port - base_) {
    case 0:
      return data_;
    case 1:
      return device_ ? device_->StatusRegister() : kOpenStatus;
    case 2:
      return control_;
    default:
      return 0xFF;
  }
}

void ParallelPort::Write8(std::uint16_t port, std::uint8_t value) {
  switch (port - base_) {
    case 0:
      data_ = value;
      if (device_) device_->DataWritten(value);
      break;
    case 2:
      control_ = value;
      if (device_) device_->ControlWritten(value);
      break;
    default:
      break;  // the status register ignores writes
  }
}

}  // namespace sim
