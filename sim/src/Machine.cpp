#include "sim/Machine.h"

#include <algorithm>
#include <cctype>

#include "platform/WinTypes.h"
#include "sim/BridgeDriver.h"
#include "sim/BridgeVxd.h"
#include "sim/Process.h"

namespace sim {

namespace {

constexpr std::uint16_t kPortBases[] = {0x378, 0x278, 0x3BC};
constexpr std::uint8_t kPortIrqs[] = {7, 5, 7};

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

}  // namespace

std::shared_ptr<Machine> Machine::Create(const MachineOptions& options) {
  std::shared_ptr<Machine> machine(new Machine(options));
  machine->Boot();
  return machine;
}

Machine::Machine(const MachineOptions& options)
    : options_(options),
      personality_(FindPersonality(options.personality).value_or(DefaultPersonality())),
      clock_(options.clock),
      arbiter_(options.parallelPorts) {}

Machine::~Machine() = default;

void Machine::Boot() {
  for (int i = 0; i < options_.parallelPorts && i < 3; ++i) {
    parallelPorts_.push_back(std::make_unique<ParallelPort>(kPortBases[i], kPortIrqs[i]));
    ports_.Map(kPortBases[i], 3, *parallelPorts_.back());
  }
  const ChipsetModel* chipset = FindChipset(options_.smbusController);
  chipset_ = std::make_unique<Chipset>(ports_, chipset ? *chipset : *FindChipset("piix4"));
  onBoard_ = std::make_unique<OnBoardSmbus>(clock_, ports_, *chipset_, options_);
  const int boardPort = options_.board.port;
  if (boardPort >= 1 && boardPort <= ParallelPortCount()) {
    board_ = std::make_unique<EvaluationBoard>(clock_, options_.board);
    ParallelPortNumber(boardPort).Attach(&board_->Adapter());
  }
  BoardOptions another = options_.board;
  another.traceFile.clear();
  for (const int port : options_.board.morePorts) {
    if (port < 1 || port > ParallelPortCount() || port == boardPort) continue;
    moreBoards_.push_back(std::make_unique<EvaluationBoard>(clock_, another));
    ParallelPortNumber(port).Attach(&moreBoards_.back()->Adapter());
  }
  if (options_.usbBridge) usbBridge_ = std::make_unique<UsbBridge>(clock_, options_.board.scenario);
  if (!options_.powerOnAtStart) {
    onBoard_->Chip().PoweredEarlier();
    if (usbBridge_) usbBridge_->Chip().PoweredEarlier();
    if (board_) board_->PoweredEarlier();
    for (const auto& board : moreBoards_) board->PoweredEarlier();
  }

  if (personality_.Is9x()) {
    if (options_.prtenu32 != Prtenu32Presence::Missing) AddFile(SystemPath(kPrtenu32));
    if (!options_.vxdMissing) AddFile(SystemPath("LBridge.vxd"));
  } else if (!options_.driverImageMissing) {
    AddFile(DriverImagePath());
  }

  services_.SetHooks([this](const Service& service) { return StartDriver(service); },
                     [this](const Service&) { StopDriver(); });

  if (options_.driverPresentAtStart && !personality_.Is9x()) {
    Service service;
    service.name = kDriverService;
    service.displayName = kDriverService;
    service.type = platform::ServiceKernelDriver;
    service.startType = platform::ServiceDemandStart;
    service.errorControl = platform::ServiceErrorNormal;
    service.imagePath = DriverImagePath();
    services_.Create(service);
    services_.Start(kDriverService);
  }

  if (options_.portClaimedByOther > 0) arbiter_.Claim(options_.portClaimedByOther, PortArbiter::kOtherProgram);
}

bool Machine::FileExists(const std::string& path) const { return files_.count(Lower(path)) != 0; }
void Machine::AddFile(const std::string& path) { files_.insert(Lower(path)); }
void Machine::RemoveFile(const std::string& path) { files_.erase(Lower(path)); }

std::string Machine::SystemPath(const std::string& name) const {
  return std::string(personality_.systemDirectory) + "\\" + name;
}

std::string Machine::DriverImagePath() const { return SystemPath("Drivers\\LptBridge.sys"); }

std::uint32_t Machine::StartDriver(const Service& service) {
  if (!FileExists(service.imagePath)) return platform::ErrorFileNotFound;
  // Only the port access library's driver image is known to this machine.
  if (Lower(service.imagePath) != Lower(DriverImagePath())) return platform::ErrorGenFailure;
  if (!driver_) driver_ = std::make_shared<BridgeDriver>(*this);
  return 0;
}

void Machine::StopDriver() { driver_.reset(); }

std::shared_ptr<Process> Machine::StartProcess(const std::string& name) {
  return std::make_shared<Process>(shared_from_this(), name);
}

Process* Machine::FindProcess(std::uint32_t pid) const {
  auto found = processes_.find(pid);
  return found == processes_.end() ? nullptr : found->second;
}

void Machine::Register(Process& process) { processes_[process.Pid()] = &process; }
void Machine::Unregister(Process& process) {
  processes_.erase(process.Pid());
  arbiter_.ReleaseAll(process.Pid());
}

std::shared_ptr<DeviceObject> Machine::OpenDevice(const std::string& path) {
  const std::string key = Lower(path);
  if (key == Lower(kDriverDevice)) return driver_;
  if (key == Lower(kVxdDevice)) {
    if (!personality_.Is9x() || !FileExists(SystemPath("LBridge.vxd"))) return nullptr;
    if (!vxd_) vxd_ = std::make_shared<BridgeVxd>(*this);
    return vxd_;
  }
  return nullptr;
}

std::atomic<std::int32_t>& Machine::SharedCounter(const std::string& name) {
  auto& counter = counters_[name];
  if (!counter) counter = std::make_unique<std::atomic<std::int32_t>>(0);
  return *counter;
}

}  // namespace sim
