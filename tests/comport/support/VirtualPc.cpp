#include "VirtualPc.h"

#include <algorithm>

#include "platform/Current.h"
#include "sim/MachineOptions.h"

namespace comport::testing {

// LPT1 starts empty: these tests plug in their own recording or scripted
// device instead of the evaluation board.
VirtualPc::VirtualPc(const std::string& options)
    : machine_(sim::Machine::Create(sim::MachineOptions::Parse("board-port=0," + options))),
      process_(std::make_shared<RecordingProcess>(machine_->StartProcess("test"))) {
  platform::StartProcess(process_);
  process_->Log().clear();
}

VirtualPc::~VirtualPc() {
  if (attached_) machine_->ParallelPortNumber(1).Attach(nullptr);
}

void VirtualPc::Attach(sim::ParallelPortDevice& device) {
  machine_->ParallelPortNumber(1).Attach(&device);
  attached_ = true;
}

std::vector<std::uint8_t> VirtualPc::Writes(std::uint16_t port) const {
  std::vector<std::uint8_t> values;
  for (const auto& event : process_->Log())
    if (event.kind == PortEvent::Kind::Out && event.port == port) values.push_back(event.value);
  return values;
}

int VirtualPc::Count(PortEvent::Kind kind) const {
  return static_cast<int>(
      std::count_if(process_->Log().begin(), process_->Log().end(), [kind](const auto& e) { return e.kind == kind; }));
}

}  // namespace comport::testing
