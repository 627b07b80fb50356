#pragma once

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "link/LinkNewComPort.h"
#include "platform/Current.h"
#include "sim/Machine.h"
#include "sim/MachineOptions.h"
#include "sim/Process.h"
#include "support/BusDecode.h"
#include "support/RegisterTransfers.h"

// A fresh run of the program on a virtual PC whose clock the test drives,
// linked to a QTS5460 as the search would leave it: the board's chip behind
// the inverting adapter on LPT1, or the second chip on the on-board SMBus.
class VirtualBoard {
 public:
  enum class Medium { PrinterPort, OnBoardSMBus };

  static constexpr int kBoardChipAddressByte = 0x98;
  static constexpr int kOnBoardChipAddress = 0x4E;

  explicit VirtualBoard(const std::string& options = {}, Medium medium = Medium::PrinterPort)
      : machine_(sim::Machine::Create(sim::MachineOptions::Parse(options.empty() ? "clock=manual"
                                                                                 : "clock=manual," + options))),
        medium_(medium) {
    platform::StartProcess(machine_->StartProcess("QtsEval"));
    if (medium == Medium::PrinterPort) {
      LinkNewComPort::LinkPrinterPort(0, comport::kTrue, kBoardChipAddressByte);
    } else {
      LinkNewComPort::LinkOnBoardSMBus(kOnBoardChipAddress);
    }
  }

  sim::Machine& Machine() { return *machine_; }
  sim::Qts5460& Chip() {
    return medium_ == Medium::PrinterPort ? machine_->Board()->Chip() : machine_->OnBoard().Chip();
  }

  // Lets machine time pass, for conversions and the log's delay.
  void Advance(double seconds) {
    machine_->GetClock().Advance(static_cast<std::uint64_t>(std::llround(seconds * 1e9)));
  }
  // Sets the clock's time of day from now on.
  void SetTimeOfDay(double seconds) {
    auto& clock = machine_->GetClock();
    clock.SetStartTimeOfDay(std::fmod(seconds - static_cast<double>(clock.Now()) * 1e-9 + 86400.0, 86400.0));
  }

  // Records the printer-port bus from now on.
  void StartTrace() { machine_->Board()->StartTrace(); }
  // The register transfers to the chip since StartTrace.
  std::vector<RegisterTransfer> Transfers() {
    return RegisterTransfers(support::Decode(machine_->Board()->Trace()->Events()), kBoardChipAddressByte);
  }
  std::vector<int> ReadCodes() {
    std::vector<int> codes;
    for (const RegisterTransfer& transfer : Transfers()) {
      if (transfer.read) codes.push_back(transfer.code);
    }
    return codes;
  }

 private:
  std::shared_ptr<sim::Machine> machine_;
  Medium medium_;
};
