#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vpc/Places.h"
#include "vpc/Socket.h"
#include "vpcserver/BoardState.h"
#include "vpcserver/CounterMemory.h"
#include "vpcserver/FairMutex.h"
#include "vpcserver/LogLimit.h"

namespace sim {
class Machine;
}

namespace vpcserver {

class Program;
class Session;

// The server of the shared virtual PC: one machine, the programs attached to
// it, and the board's memories on disk. The main thread takes connections,
// answers control tools and notices programs that go; each program's
// requests run on a thread of its own, under the machine's lock, so the
// machine sees one request at a time. The server ends when asked to (a
// control tool, SIGTERM, SIGINT) or once no program has been attached for
// the linger time. At the end the board's memories are saved, the programs'
// processes end and the socket goes.
class Server {
 public:
  using TimePoint = std::chrono::steady_clock::time_point;

  struct Setup {
    vpc::Places places;
    std::string options;  // as the machine was asked for, in canonical spelling
    std::chrono::seconds linger{30};
    BoardState saved;  // what the state file held (carried along on saving)
    bool keepState = true;
  };

  // The shared machine is a Windows XP PC unless the options choose another
  // Windows: the NT family is where programs take turns on the printer port
  // through the port driver's claims (the component does not claim the port
  // on the 95 family, so two programs' transfers would mix on the bus, as on
  // such a PC). Answers the options with that default, in canonical spelling.
  static std::string EffectiveOptions(std::string_view asked);

  // `listener` listens on the places' socket already.
  Server(Setup setup, std::shared_ptr<sim::Machine> machine, vpc::UniqueFd listener);
  ~Server();

  // Serves until the end; answers the process's exit status.
  int Run();

  // Held while anything touches the machine.
  FairMutex& MachineLock() { return machineLock_; }
  // Told whenever a program may have let go of a port.
  std::condition_variable_any& PortsChanged() { return portsChanged_; }
  sim::Machine& Machine() { return *machine_; }
  CounterMemory& Counters() { return counters_; }
  const std::string& Options() const { return setup_.options; }
  // The machine's time base on the steady clock, in nanoseconds.
  std::int64_t MachineStart() const { return machineStart_; }
  std::chrono::seconds Uptime() const;
  std::vector<const Program*> Programs() const;
  void Stop() { stopping_ = true; }
  // A program's thread has ended (called on that thread).
  void ProgramEnded();
  // For lines that a peer could make the server write over and over.
  LogLimit& ProtocolLog() { return protocolLog_; }

  // Connections that have not said hello yet, at most: a new one beyond them
  // pushes out the oldest, and one that stays silent goes after kHelloPatience.
  static constexpr std::size_t kMostStrangers = 32;
  static constexpr std::chrono::seconds kHelloPatience{5};
  // How long the listener rests when the server has no descriptor left.
  static constexpr std::chrono::milliseconds kAcceptPause{100};

 private:
  void Accept(TimePoint now);
  bool DropOldestStranger();
  void DropSilentStrangers(TimePoint now);
  void Drop(int fd);
  void Serve(Session& session, std::uint32_t events);
  void LetProgramsGo();
  int Timeout(TimePoint now) const;
  void SaveIfChanged();

  Setup setup_;
  FairMutex machineLock_;
  std::condition_variable_any portsChanged_;
  std::shared_ptr<sim::Machine> machine_;
  vpc::UniqueFd listener_;
  vpc::UniqueFd epoll_;
  vpc::UniqueFd signals_;
  vpc::UniqueFd programsEnded_;
  CounterMemory counters_;
  std::map<int, std::unique_ptr<Session>> sessions_;
  // Programs whose connection has gone, until their thread has ended.
  std::vector<std::unique_ptr<Program>> leaving_;
  std::optional<TimePoint> listenerPausedUntil_;
  LogLimit protocolLog_;
  LogLimit strangerLog_;
  std::int64_t machineStart_ = 0;
  TimePoint started_;
  TimePoint idleSince_;
  TimePoint nextSave_;
  std::string lastSaveError_;
  bool stopping_ = false;
};

// Logs one line (on the server's standard error, which is its log file).
void Log(const std::string& line);

}  // namespace vpcserver
