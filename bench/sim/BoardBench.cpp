// Throughput of the simulated evaluation board: port accesses through the
// adapter, bus lines, slave engine and chip model, and whole register reads.
// A real printer port manages about one million accesses per second.
#include <benchmark/benchmark.h>

#include <memory>

#include "sim/Machine.h"
#include "sim/Process.h"

namespace {

// The program's register read on the inverted adapter, counting its port
// accesses: start, address, code, stop, start, address, one byte read,
// not-acknowledge, stop.
class CountingMaster {
 public:
  explicit CountingMaster(sim::Process& process) : process_(process) {}

  std::uint8_t PortRead(std::uint8_t address, std::uint8_t code) {
    Start();
    Write(address);
    Write(code);
    Stop();
    Start();
    Write(static_cast<std::uint8_t>(address | 1));
    std::uint8_t value = 0;
    Lines(false, false);
    for (int bit = 0; bit < 8; ++bit) {
      Lines(false, true);
      Lines(true, true);
      value = static_cast<std::uint8_t>(value << 1 | ((process_.In8(kBase + 1) & 0x10) ? 0 : 1));
      ++accesses_;
      Lines(false, true);
    }
    Lines(false, true), Lines(true, true), Lines(false, true), Lines(false, false);
    Stop();
    return value;
  }

  std::uint64_t Accesses() const { return accesses_; }

 private:
  static constexpr std::uint16_t kBase = 0x378;

  void Lines(bool scl, bool sda) {
    process_.Out8(kBase, static_cast<std::uint8_t>((scl ? 0 : 1) | (sda ? 0 : 2)));
    ++accesses_;
  }
  void Start() { Lines(true, true), Lines(true, false), Lines(false, false); }
  void Stop() { Lines(false, false), Lines(true, false), Lines(true, true); }
  void Write(std::uint8_t byte) {
    for (int bit = 7; bit >= 0; --bit) {
      const bool one = ((byte >> bit) & 1) != 0;
      Lines(false, one), Lines(true, one), Lines(false, one), Lines(false, false);
    }
    Lines(false, true), Lines(true, true), Lines(false, true), Lines(false, false);
  }

  sim::Process& process_;
  std::uint64_t accesses_ = 0;
};

void RegisterReads(benchmark::State& state, const char* options) {
  auto machine = sim::Machine::Create(sim::MachineOptions::Parse(options));
  auto process = machine->StartProcess("bench");
  CountingMaster master(*process);
  if (master.PortRead(0x98, 0xFE) != 0x41) state.SkipWithError("the chip did not answer");
  const std::uint64_t before = master.Accesses();
  std::int64_t reads = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(master.PortRead(0x98, 0x01));
    ++reads;
  }
  const auto accesses = static_cast<double>(master.Accesses() - before);
  state.SetItemsProcessed(reads);
  state.counters["port_accesses_per_s"] = benchmark::Counter(accesses, benchmark::Counter::kIsRate);
  state.counters["register_reads_per_s"] = benchmark::Counter(static_cast<double>(reads), benchmark::Counter::kIsRate);
}

BENCHMARK_CAPTURE(RegisterReads, real_clock, "");
BENCHMARK_CAPTURE(RegisterReads, manual_clock, "clock=manual");

void RegisterReadsTraced(benchmark::State& state) {
  auto machine = sim::Machine::Create(sim::MachineOptions::Parse(""));
  machine->Board()->StartTrace(1u << 16);
  auto process = machine->StartProcess("bench");
  CountingMaster master(*process);
  std::int64_t reads = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(master.PortRead(0x98, 0x01));
    ++reads;
  }
  state.counters["port_accesses_per_s"] =
      benchmark::Counter(static_cast<double>(master.Accesses()), benchmark::Counter::kIsRate);
  state.counters["register_reads_per_s"] = benchmark::Counter(static_cast<double>(reads), benchmark::Counter::kIsRate);
}

BENCHMARK(RegisterReadsTraced);

void ChipByteLevelReads(benchmark::State& state) {
  sim::Clock clock;
  sim::Qts5460 chip(clock);
  for (auto _ : state) benchmark::DoNotOptimize(chip.ReadRegister(0x01));
  state.SetItemsProcessed(state.iterations());
}

BENCHMARK(ChipByteLevelReads);

}  // namespace

BENCHMARK_MAIN();
