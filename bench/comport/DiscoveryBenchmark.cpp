// The search for the on-board host controller when it is not at 0:7:3: each
// SMBus construction runs it. With no controller the scan runs to its end
// (two buses, 33 devices, 255 functions); the ICH-style controller ends it
// early, where function 251 of device 0 aliases 0:31:3.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "comport/SMBus.h"
#include "platform/Current.h"
#include "sim/Machine.h"
#include "sim/MachineOptions.h"
#include "sim/Process.h"

namespace {

class DataPortReads : public sim::PortObserver {
 public:
  void Accessed(const sim::PortAccess& access) override {
    count += access.direction == sim::PortAccess::Direction::In && access.port == 0xCFC;
  }
  long count = 0;
};

void Discovery(benchmark::State& state, const std::string& options) {
  auto machine = sim::Machine::Create(sim::MachineOptions::Parse(options));
  platform::StartProcess(machine->StartProcess("bench"));
  // Counted once outside the timed loop, so the observer costs nothing while timing.
  DataPortReads reads;
  machine->Ports().SetObserver(&reads);
  { comport::SMBus counted; }
  machine->Ports().SetObserver(nullptr);
  for (auto _ : state) {
    comport::SMBus smbus;
    benchmark::DoNotOptimize(smbus.SMBusBaseAddress());
  }
  state.counters["reads/scan"] = static_cast<double>(reads.count);
  state.counters["reads/s"] =
      benchmark::Counter(static_cast<double>(reads.count), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_FullScanNoController(benchmark::State& state) { Discovery(state, "smbus=none"); }
void BM_ScanToIchController(benchmark::State& state) { Discovery(state, "smbus=ich"); }
void BM_ControllerAt0_7_3(benchmark::State& state) { Discovery(state, "smbus=piix4"); }

BENCHMARK(BM_FullScanNoController)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanToIchController)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ControllerAt0_7_3)->Unit(benchmark::kMicrosecond);

}  // namespace
