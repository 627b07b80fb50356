// CPU cost of the printer-port transactions through the whole stack:
// component -> LptBridge InByte/OutByte -> platform process -> virtual PC,
// on a port with nothing attached. Goal: at most 20 ns of CPU per port access.
#include <benchmark/benchmark.h>

#include <functional>
#include <memory>
#include <string>

#include "comport/SMBusProtocall.h"
#include "platform/Current.h"
#include "sim/Machine.h"
#include "sim/MachineOptions.h"
#include "sim/Process.h"

namespace {

class AccessCounter : public sim::PortObserver {
 public:
  void Accessed(const sim::PortAccess&) override { ++count; }
  long count = 0;
};

// Counts the port accesses of one transaction outside the timed loop, so the
// observer costs nothing while timing.
long AccessesPerTransaction(sim::Machine& machine, const std::function<void()>& transaction) {
  AccessCounter counter;
  machine.Ports().SetObserver(&counter);
  transaction();
  machine.Ports().SetObserver(nullptr);
  return counter.count;
}

void Run(benchmark::State& state, const std::string& options, bool read) {
  auto machine = sim::Machine::Create(sim::MachineOptions::Parse(options));
  platform::StartProcess(machine->StartProcess("bench"));
  comport::SMBusProtocall protocall;
  protocall.DataInverted(comport::kTrue);
  const std::function<void()> transaction = [&] {
    if (read)
      benchmark::DoNotOptimize(protocall.PortRead(0x98, 0x01));
    else
      protocall.PortWrite(0x98, 0x09, 0x80);
  };
  const long accesses = AccessesPerTransaction(*machine, transaction);
  for (auto _ : state) transaction();
  state.counters["accesses/txn"] = static_cast<double>(accesses);
  state.counters["cpu/access"] = benchmark::Counter(
      static_cast<double>(accesses), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The port has nothing attached (board-port=0): what is measured is the stack
// down to the port instruction, not the board behind it.
void PortRead98(benchmark::State& state) { Run(state, "personality=98se,clock=manual,board-port=0", true); }
void PortWrite98(benchmark::State& state) { Run(state, "personality=98se,clock=manual,board-port=0", false); }
// On the NT family every transaction also claims and releases through the driver.
void PortReadXp(benchmark::State& state) { Run(state, "personality=xp,clock=manual,board-port=0", true); }
void PortWriteXp(benchmark::State& state) { Run(state, "personality=xp,clock=manual,board-port=0", false); }

BENCHMARK(PortRead98);
BENCHMARK(PortWrite98);
BENCHMARK(PortReadXp);
BENCHMARK(PortWriteXp);

}  // namespace

BENCHMARK_MAIN();
