#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "sim/BusLines.h"
#include "sim/ParallelPort.h"

namespace sim {

// One output of the adapter: a data register bit that drives a bus line.
// Direct: a 1 lets the line go high, a 0 pulls it low. Inverted: the reverse.
struct AdapterOutput {
  std::uint8_t dataMask;
  bool inverted;
};

// One input of the adapter: a status register bit that shows a bus line.
// Direct: the bit is set while the line is high. Inverted: while it is low.
struct AdapterInput {
  Wire wire;
  std::uint8_t statusMask;
  bool inverted;
};

// How an adapter connects a printer port to the bus. Status bits without an
// input read the level of an open port input.
struct AdapterWiring {
  std::string_view name;
  std::string_view description;
  AdapterOutput scl;
  AdapterOutput sda;
  std::vector<AdapterInput> inputs;
};

const std::vector<AdapterWiring>& AdapterWirings();
// Null for an unknown name.
const AdapterWiring* FindAdapterWiring(std::string_view name);
const AdapterWiring& DefaultAdapterWiring();

// The small board between a parallel port's connector and the bus: the
// master as the bus sees it. Data bits it does not use read back as written
// because the port keeps them; it never drives them anywhere.
class LptAdapter : public ParallelPortDevice {
 public:
  LptAdapter(BusLines& lines, const AdapterWiring& wiring);

  const AdapterWiring& Wiring() const { return wiring_; }

  void DataWritten(std::uint8_t data) override;
  std::uint8_t StatusRegister() override;

 private:
  BusLines& lines_;
  const AdapterWiring& wiring_;
  BusLines::DriverId driver_;
};

}  // namespace sim
