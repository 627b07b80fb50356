#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "platform/Libraries.h"
#include "vpc/Channel.h"
#include "vpc/Protocol.h"
#include "vpc/Wire.h"
#include "vpcserver/FairMutex.h"
#include "vpcserver/LogLimit.h"

namespace sim {
class Process;
}

namespace vpcserver {

class Server;

// A program attached to the machine: a process of it, whose requests a
// thread of its own takes from the program's channel and carries out in
// order, one batch at a time under the machine's lock. When the program goes
// (however it goes: it quits, crashes or is killed) its process ends: its
// handles close, so the drivers give back its claims, as when a process ends
// on the machine.
class Program {
 public:
  // How long a claim of a port that another program holds waits for it.
  static constexpr std::chrono::milliseconds kClaimPatience{1000};

  // Requests carried out per turn of the machine's lock, so that a program
  // that keeps its requests coming lets the others have the machine too.
  static constexpr int kBatchRequests = 256;

  // Starts the program's process on the machine (takes the machine's lock).
  Program(Server& server, std::string name, std::uint32_t pid);
  // Waits for the thread, then ends the process.
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  const std::string& Name() const { return name_; }
  std::uint32_t Pid() const { return pid_; }
  int ChannelDescriptor() const { return channel_.Descriptor(); }
  // Writes the hello answer's fields that describe the process.
  void Describe(vpc::FrameWriter& answer);
  // Starts taking requests.
  void Start();
  // The program has gone: what it wrote is still carried out, then the thread ends.
  void Close();
  // The thread has ended: once the program has gone, or at once when it broke
  // the protocol (the server is told, and drops the connection).
  bool Ended() const { return ended_; }

 private:
  using Lock = std::unique_lock<FairMutex>;

  void Run();
  void CarryOut(std::span<const std::uint8_t> frame, Lock& lock);
  void PortInstruction(vpc::Op op, vpc::FrameReader& request);
  void Service(vpc::Op op, vpc::FrameReader& request, Lock& lock);
  void DeviceIoControl(vpc::FrameReader& request, vpc::FrameWriter& result, std::uint32_t lastError, Lock& lock);
  void CallEntryPoint(vpc::FrameReader& request);
  void Grants(vpc::FrameWriter& answer);
  void Answer();

  Server& server_;
  std::string name_;
  std::uint32_t pid_;
  std::string logName_;  // the name as it may go into the log
  vpc::ServerChannel channel_;
  std::shared_ptr<sim::Process> process_;
  std::uint64_t grantsSent_ = ~std::uint64_t{0};
  std::map<std::uint32_t, platform::ProcAddress> entryPoints_;
  std::uint32_t nextEntryPoint_ = 1;
  std::vector<std::uint8_t> answer_;
  std::atomic<bool> closing_{false};
  std::atomic<bool> ended_{false};
  LogLimit faultLog_;
  std::thread thread_;
};

}  // namespace vpcserver
