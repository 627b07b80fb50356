#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Current.h"
#include "sim/Machine.h"
#include "sim/Process.h"

namespace comport::testing {

// A fresh virtual process on a machine built from options, made current,
// with a logic analyser on the machine's port space.
class OnBoardPc : public sim::PortObserver {
 public:
  explicit OnBoardPc(const std::string& options = "")
      : machine_(sim::Machine::Create(sim::MachineOptions::Parse(options))) {
    platform::StartProcess(machine_->StartProcess("t"));
    machine_->Ports().SetObserver(this);
  }
  ~OnBoardPc() override { machine_->Ports().SetObserver(nullptr); }

  sim::Machine& Machine() { return *machine_; }
  double Seconds() const { return static_cast<double>(machine_->GetClock().Now()) * 1e-9; }

  std::vector<sim::PortAccess>& Accesses() { return accesses_; }
  // Writes to ports in [first, first + count), as (offset, value) pairs.
  std::vector<std::pair<int, std::uint32_t>> Writes(int first, int count = 16) const {
    std::vector<std::pair<int, std::uint32_t>> writes;
    for (const auto& access : accesses_)
      if (access.direction == sim::PortAccess::Direction::Out && access.port >= first && access.port < first + count)
        writes.emplace_back(access.port - first, access.value);
    return writes;
  }
  int Count(sim::PortAccess::Direction direction, std::uint16_t port) const {
    int count = 0;
    for (const auto& access : accesses_) count += access.direction == direction && access.port == port;
    return count;
  }

  void Accessed(const sim::PortAccess& access) override { accesses_.push_back(access); }

 private:
  std::shared_ptr<sim::Machine> machine_;
  std::vector<sim::PortAccess> accesses_;
};

}  // namespace comport::testing
