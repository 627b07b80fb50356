#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "sim/Chipset.h"
#include "sim/Clock.h"
#include "sim/EvaluationBoard.h"
#include "sim/MachineOptions.h"
#include "sim/OnBoardSmbus.h"
#include "sim/ParallelPort.h"
#include "sim/Personality.h"
#include "sim/PortArbiter.h"
#include "sim/PortSpace.h"
#include "sim/ServiceManager.h"
#include "sim/UsbBridge.h"

namespace sim {

class DeviceObject;
class Process;

// The virtual PC: its Windows personality, clock, I/O space, parallel ports,
// files, service database and the drivers those services load. Processes
// started on it share all of this and nothing else.
class Machine : public std::enable_shared_from_this<Machine> {
 public:
  static constexpr const char* kDriverService = "LptBridge";
  static constexpr const char* kDriverDevice = "\\\\.\\LptBridge";
  static constexpr const char* kVxdDevice = "\\\\.\\LBridge.vxd";
  static constexpr const char* kPrtenu32 = "PRTENU32.DLL";

  static std::shared_ptr<Machine> Create(const MachineOptions& options = {});
  ~Machine();

  Machine(const Machine&) = delete;
  Machine& operator=(const Machine&) = delete;

  const MachineOptions& Options() const { return options_; }
  const Personality& GetPersonality() const { return personality_; }
  Clock& GetClock() { return clock_; }
  PortSpace& Ports() { return ports_; }
  ServiceManager& Services() { return services_; }
  PortArbiter& Arbiter() { return arbiter_; }
  Chipset& GetChipset() { return *chipset_; }
  // The SMBus segment behind the chipset's host controller.
  OnBoardSmbus& OnBoard() { return *onBoard_; }

  int ParallelPortCount() const { return static_cast<int>(parallelPorts_.size()); }
  // Port numbers run from 1, in the order the enumerator reports them.
  ParallelPort& ParallelPortNumber(int number) { return *parallelPorts_.at(static_cast<std::size_t>(number - 1)); }
  // The evaluation board on its printer port; null when the machine has none.
  // Boards on further ports (BoardOptions::morePorts) are alike but record no
  // trace.
  EvaluationBoard* Board() { return board_.get(); }
  // The board behind a USB-to-SMBus bridge; null when the machine has none.
  UsbBridge* Bridge() { return usbBridge_.get(); }

  // Files, by full path; names compare without regard to case.
  bool FileExists(const std::string& path) const;
  void AddFile(const std::string& path);
  void RemoveFile(const std::string& path);
  std::string SystemPath(const std::string& name) const;  // system directory + "\" + name
  std::string DriverImagePath() const;

  std::shared_ptr<Process> StartProcess(const std::string& name = "process");
  Process* FindProcess(std::uint32_t pid) const;

  // A device that CreateFileA can open now, or null.
  std::shared_ptr<DeviceObject> OpenDevice(const std::string& path);
  bool DriverRunning() const { return driver_ != nullptr; }

  std::atomic<std::int32_t>& SharedCounter(const std::string& name);

 private:
  friend class Process;
  explicit Machine(const MachineOptions& options);
  void Boot();
  std::uint32_t StartDriver(const Service& service);
  void StopDriver();
  void Register(Process& process);
  void Unregister(Process& process);

  MachineOptions options_;
  Personality personality_;
  Clock clock_;
  PortSpace ports_;
  std::vector<std::unique_ptr<ParallelPort>> parallelPorts_;
  std::unique_ptr<Chipset> chipset_;
  std::unique_ptr<OnBoardSmbus> onBoard_;  // after the chipset: its controller goes first
  std::unique_ptr<EvaluationBoard> board_;  // after the ports: it goes before them
  std::vector<std::unique_ptr<EvaluationBoard>> moreBoards_;
  std::unique_ptr<UsbBridge> usbBridge_;
  PortArbiter arbiter_;
  ServiceManager services_;
  std::set<std::string> files_;
  std::shared_ptr<DeviceObject> driver_;
  std::shared_ptr<DeviceObject> vxd_;
  std::map<std::uint32_t, Process*> processes_;
  std::uint32_t nextPid_ = 0x100;
  std::map<std::string, std::unique_ptr<std::atomic<std::int32_t>>> counters_;
};

}  // namespace sim
