// Register reads over the printer port through the whole stack (component ->
// LptBridge -> platform -> virtual PC) on the real-time clock: on a virtual
// PC inside the program, on the shared virtual PC, and on the shared one
// while another program (qtsctl monitor) polls the same board as fast as it
// can; each on a 95-family machine (transfers only) and on an NT-family one
// (every transfer claims the port). Goal for the shared machine: a register
// read costs no more than on a real printer port, about 157 port accesses of
// about 1 us (0.2 ms).
//
// The shared machine runs in a runtime and state directory of its own under
// /tmp, and is stopped after each benchmark.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>

#include "comport/SMBusProtocall.h"
#include "platform/Current.h"
#include "platform/SharedBackend.h"
#include "sim/Machine.h"
#include "sim/MachineOptions.h"
#include "sim/Process.h"
#include "vpcserver/Commands.h"

extern char** environ;

namespace {

constexpr std::uint8_t kChipByte = 0x98;
constexpr std::uint8_t kRemoteTemperature = 0x01;

void ReadRegisters(benchmark::State& state) {
  comport::SMBusProtocall protocall;
  protocall.DataInverted(comport::kTrue);
  for (auto _ : state) benchmark::DoNotOptimize(protocall.PortRead(kChipByte, kRemoteTemperature));
  state.counters["reads/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// On the 95 family the component does not claim the port: only the
// transfers are measured. On the NT family every transfer also claims and
// releases the port through the driver, with the 2 ms pause after a claim.
constexpr const char* kWithoutClaims = "personality=98se";
constexpr const char* kWithClaims = "personality=xp";

void InProgram(benchmark::State& state, const char* options) {
  auto machine = sim::Machine::Create(sim::MachineOptions::Parse(options));
  platform::StartProcess(machine->StartProcess("bench"));
  ReadRegisters(state);
  platform::StartProcess(nullptr);
}

// This program on the shared machine with `options`, which ends with it.
class OnSharedMachine {
 public:
  explicit OnSharedMachine(const char* options) { platform::StartProcess(platform::CreateSharedProcess(options)); }
  ~OnSharedMachine() {
    platform::StartProcess(nullptr);
    std::ostringstream ignored;
    vpcserver::StopServer(ignored, std::cerr);
  }
};

void Shared(benchmark::State& state, const char* options) {
  OnSharedMachine machine(options);
  ReadRegisters(state);
}

// Another program that reads the board's status and both temperatures without pause.
class Poller {
 public:
  Poller() {
    const char* argv[] = {QTSCTL_PATH, "--machine", "shared", "monitor", "--interval", "0", "0x4C", nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn(&pid_, QTSCTL_PATH, &actions, nullptr, const_cast<char* const*>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    // Until it has attached and is polling.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
  }
  ~Poller() {
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
  }

 private:
  pid_t pid_ = 0;
};

void SharedWhileAnotherProgramPolls(benchmark::State& state, const char* options) {
  OnSharedMachine machine(options);
  Poller poller;
  ReadRegisters(state);
}

// One port read (a round trip to the server) and one port write (no wait).
void SharedPortRead(benchmark::State& state) {
  OnSharedMachine machine(kWithoutClaims);
  auto& process = platform::Current();
  for (auto _ : state) benchmark::DoNotOptimize(process.In8(0x379));
}

void SharedPortWrite(benchmark::State& state) {
  OnSharedMachine machine(kWithoutClaims);
  auto& process = platform::Current();
  for (auto _ : state) process.Out8(0x378, 0x03);
}

// Wall time, medians of a few runs: the other programs of the computer decide
// much of what a round trip between two processes costs.
BENCHMARK(SharedPortRead)->Unit(benchmark::kMicrosecond)->UseRealTime()->Repetitions(5)->DisplayAggregatesOnly();
BENCHMARK(SharedPortWrite)->Unit(benchmark::kMicrosecond)->UseRealTime()->Repetitions(5)->DisplayAggregatesOnly();
#define QTS_READ_BENCHMARK(function, name, options) \
  BENCHMARK_CAPTURE(function, name, options)        \
      ->Unit(benchmark::kMicrosecond)               \
      ->UseRealTime()                               \
      ->Repetitions(5)                              \
      ->DisplayAggregatesOnly()
QTS_READ_BENCHMARK(InProgram, Win98, kWithoutClaims);
QTS_READ_BENCHMARK(Shared, Win98, kWithoutClaims);
QTS_READ_BENCHMARK(SharedWhileAnotherProgramPolls, Win98, kWithoutClaims);
QTS_READ_BENCHMARK(InProgram, Xp, kWithClaims);
QTS_READ_BENCHMARK(Shared, Xp, kWithClaims);
QTS_READ_BENCHMARK(SharedWhileAnotherProgramPolls, Xp, kWithClaims);

}  // namespace

int main(int argc, char** argv) {
  const auto home = std::filesystem::temp_directory_path() / ("qtsvpc-bench-" + std::to_string(::getpid()));
  std::filesystem::create_directories(home / "run");
  std::filesystem::permissions(home / "run", std::filesystem::perms::owner_all);
  ::setenv("XDG_RUNTIME_DIR", (home / "run").c_str(), 1);
  ::setenv("XDG_STATE_HOME", (home / "state").c_str(), 1);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove_all(home);
  return 0;
}
