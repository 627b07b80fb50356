#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "RecordingProcess.h"
#include "sim/Machine.h"

namespace comport::testing {

// A fresh virtual process on a machine built from options, made current, with
// its port events recorded.
class VirtualPc {
 public:
  explicit VirtualPc(const std::string& options = "clock=manual");
  ~VirtualPc();

  sim::Machine& Machine() { return *machine_; }
  sim::Clock& Clock() { return machine_->GetClock(); }
  std::vector<PortEvent>& Log() { return process_->Log(); }
  // Plugs a device into the connector of port 1 (until destruction).
  void Attach(sim::ParallelPortDevice& device);

  // The values written to a register, in order.
  std::vector<std::uint8_t> Writes(std::uint16_t port) const;
  int Count(PortEvent::Kind kind) const;
  double Seconds() const { return static_cast<double>(machine_->GetClock().Now()) * 1e-9; }

 private:
  std::shared_ptr<sim::Machine> machine_;
  std::shared_ptr<RecordingProcess> process_;
  bool attached_ = false;
};

}  // namespace comport::testing
