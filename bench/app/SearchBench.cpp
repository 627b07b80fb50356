// A full device search of every medium (printer ports with both wirings, the
// on-board SMBus, the USB pass that probes nothing), the way the start-up
// wizard runs it, on a driven clock so that only the CPU is measured. Also
// the diagnosis that follows a search that found nothing.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "comport/KORComPort.h"
#include "platform/Current.h"
#include "search/Diagnosis.h"
#include "sim/Machine.h"
#include "sim/MachineOptions.h"
#include "sim/Process.h"

namespace {

// The virtual PC's printer ports span three registers from these bases.
bool PrinterPortRegister(std::uint16_t port) {
  for (const std::uint16_t base : {0x378, 0x278, 0x3BC})
    if (port >= base && port < base + 3) return true;
  return false;
}

class AccessCounter : public sim::PortObserver {
 public:
  void Accessed(const sim::PortAccess& access) override { ++(PrinterPortRegister(access.port) ? printer : onBoard); }
  long printer = 0;
  long onBoard = 0;  // the SMBus host controller's registers
};

void Run(benchmark::State& state, const std::string& options, bool diagnose) {
  auto machine = sim::Machine::Create(sim::MachineOptions::Parse("clock=manual," + options));
  platform::StartProcess(machine->StartProcess("bench"));
  comport::KORComPort comPort;
  const devicesearch::Media every(true, true, true);
  const auto search = [&] {
    const auto finds = devicesearch::SearchDevices(comPort, every);
    if (diagnose) benchmark::DoNotOptimize(devicesearch::Diagnose(comPort, every, finds));
    return finds.printerPort.size() + finds.onBoard.size();
  };
  // Counted once outside the timed loop, so that the observer costs nothing.
  AccessCounter counter;
  machine->Ports().SetObserver(&counter);
  const auto found = search();
  machine->Ports().SetObserver(nullptr);
  for (auto _ : state) benchmark::DoNotOptimize(search());
  state.counters["found"] = static_cast<double>(found);
  state.counters["lpt/search"] = static_cast<double>(counter.printer);
  state.counters["smbus/search"] = static_cast<double>(counter.onBoard);
  state.counters["cpu/access"] = benchmark::Counter(static_cast<double>(counter.printer + counter.onBoard),
                                                    benchmark::Counter::kIsIterationInvariantRate |
                                                        benchmark::Counter::kInvert);
}

// Two ports (the board on LPT1), the PIIX4-style controller with the second chip.
void DefaultPc(benchmark::State& state) { Run(state, "", false); }
// Three ports, the board on LPT1.
void ThreePorts(benchmark::State& state) { Run(state, "ports=3", false); }
// Three empty ports and no controller: nothing is found, and the diagnosis
// looks at every port.
void NothingFoundWithDiagnosis(benchmark::State& state) { Run(state, "ports=3,board-port=0,smbus=none", true); }

BENCHMARK(DefaultPc)->Unit(benchmark::kMicrosecond);
BENCHMARK(ThreePorts)->Unit(benchmark::kMicrosecond);
BENCHMARK(NothingFoundWithDiagnosis)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
