#pragma once

#include <cstdint>

#include "sim/PortSpace.h"

namespace sim {

// What is plugged into a parallel port's connector: it sees the data and
// control outputs and decides the level of the status inputs.
class ParallelPortDevice {
 public:
  virtual ~ParallelPortDevice() = default;
  virtual void DataWritten(std::uint8_t data) = 0;
  // The value the status register reads (bits 3 to 7 are the input pins).
  virtual std::uint8_t StatusRegister() = 0;
  virtual void ControlWritten(std::uint8_t) {}
};

// A standard parallel port: data register (read back as written), status
// register (inputs), control register (read back as written).
class ParallelPort : public PortDevice {
 public:
  // Status with nothing attached: every input pulled high; the busy line is
  // inverted by the port, the three unused bits read 1.
  static constexpr std::uint8_t kOpenStatus = 0x7F;

  ParallelPort(std::uint16_t base, std::uint8_t irq);

  std::uint16_t Base() const { return base_; }
  std::uint8_t Irq() const { return irq_; }

  void Attach(ParallelPortDevice* device);
  ParallelPortDevice* Attached() const { return device_; }

  std::uint8_t Data() const { return data_; }
  std::uint8_t Control() const { return control_; }

  std::uint8_t Read8(std::uint16_t port) override;
  void Write8(std::uint16_t port, std::uint8_t value) override;

 private:
  std::uint16_t base_;
  std::uint8_t irq_;
  std::uint8_t data_ = 0x00;
  std::uint8_t control_ = 0x0C;
  ParallelPortDevice* device_ = nullptr;
};

}  // namespace sim
