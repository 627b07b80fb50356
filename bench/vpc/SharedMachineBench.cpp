// Register reads over the printer port through the whole stack (component ->
// LptBridge -> platform -> virtual PC) on the real-time clock: on a virtual
// PC inside the program, on the shared virtual PC, and on the shared one
// while another program (qtsctl monitor) polls the same board as fast as it
// can. Goal for the shared machine: a register read costs no more than on a
// real printer port, about 157 port accesses of about 1 us (0.2 ms).
//
// The shared machine runs in a runtime and state directory of its own under
// /tmp, and is stopped at the end.
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

void InProgram(benchmark::State& state) {
  auto machine = sim::Machine::Create(sim::MachineOptions::Parse(""));
  platform::StartProcess(machine->StartProcess("bench"));
  ReadRegisters(state);
  platform::StartProcess(nullptr);
}

void Shared(benchmark::State& state) {
  platform::StartProcess(platform::CreateSharedProcess(""));
  ReadRegisters(state);
  platform::StartProcess(nullptr);
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

void SharedWhileAnotherProgramPolls(benchmark::State& state) {
  platform::StartProcess(platform::CreateSharedProcess(""));
  {
    Poller poller;
    ReadRegisters(state);
  }
  platform::StartProcess(nullptr);
}

// One port read (a round trip to the server) and one port write (queued).
void SharedPortRead(benchmark::State& state) {
  platform::StartProcess(platform::CreateSharedProcess(""));
  auto& process = platform::Current();
  for (auto _ : state) benchmark::DoNotOptimize(process.In8(0x379));
  platform::StartProcess(nullptr);
}

void SharedPortWrite(benchmark::State& state) {
  platform::StartProcess(platform::CreateSharedProcess(""));
  auto& process = platform::Current();
  for (auto _ : state) process.Out8(0x378, 0x03);
  platform::StartProcess(nullptr);
}

BENCHMARK(SharedPortRead)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(SharedPortWrite)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(InProgram)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(Shared)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(SharedWhileAnotherProgramPolls)->Unit(benchmark::kMicrosecond)->UseRealTime();

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
  std::ostringstream ignored;
  vpcserver::StopServer(ignored, std::cerr);
  std::filesystem::remove_all(home);
  return 0;
}
