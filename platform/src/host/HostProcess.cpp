#include "HostProcess.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "HostPorts.h"
#include "Notices.h"
#include "platform/PortAccessFault.h"
#include "platform/TimeOfDay.h"
#include "platform/WinTypes.h"

namespace platform::host {

namespace {
// The personality this machine shows: an NT-family Windows after NT 5. The
// component then claims its printer ports through the port access library
// (the build is none of the 95 family's) and searches for an on-board SMBus
// host (the version is neither NT 4 nor NT 5).
constexpr std::uint32_t kMajor = 6, kMinor = 1, kBuild = 7601;
constexpr const char* kSystemDirectory = "C:\\WINDOWS\\system32";
constexpr const char* kDriverDevice = "\\\\.\\LptBridge";
constexpr ScHandle kManager = 0x1000, kService = 0x1004;

// Maps this user's machine-wide counter `name`: a shared-memory object named
// for the user, and used only when this user made it and no one else may
// touch it, so that another user can neither steer the count nor cut the
// object short under it (the next count would then kill the program).
// Answers MAP_FAILED and why when there is none such.
void* MapUserCounter(const std::string& name, std::string& refusal) {
  const std::string object = "/qtseval-" + std::to_string(geteuid()) + "-" + name;
  int fd = shm_open(object.c_str(), O_CREAT | O_EXCL | O_RDWR | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0 && errno == EEXIST) fd = shm_open(object.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC, 0);
  if (fd < 0) {
    refusal = "cannot open " + object + ": " + std::strerror(errno);
    return MAP_FAILED;
  }
  void* memory = MAP_FAILED;
  struct stat status {};
  if (fstat(fd, &status) != 0)
    refusal = "cannot look at " + object + ": " + std::strerror(errno);
  else if (status.st_uid != geteuid())
    refusal = object + " belongs to user " + std::to_string(status.st_uid);
  else if ((status.st_mode & 077) != 0)
    refusal = object + " is open to other users";
  // The size is 0 only between another program's making the object and its
  // sizing it; only this user can size it, to the same size.
  else if (status.st_size < static_cast<off_t>(sizeof(std::int32_t)) && ftruncate(fd, sizeof(std::int32_t)) != 0)
    refusal = "cannot size " + object + ": " + std::strerror(errno);
  else
    memory = mmap(nullptr, sizeof(std::int32_t), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (memory == MAP_FAILED && refusal.empty()) refusal = "cannot map " + object + ": " + std::strerror(errno);
  close(fd);
  return memory;
}
}  // namespace

HostProcess::HostProcess(const HostOptions& options, std::unique_ptr<CanIo> smbus)
    : options_(options), smbus_(std::move(smbus)) {}

HostProcess::~HostProcess() {
  ReleaseEverything();
  for (auto& [name, counter] : counters_) munmap(counter, sizeof(std::int32_t));
}

bool HostProcess::Fail(std::uint32_t error) {
  lastError_ = error;
  return false;
}

std::uint32_t HostProcess::GetVersion() { return (kBuild << 16) | (kMinor << 8) | kMajor; }

bool HostProcess::GetVersionExA(OsVersionInfoA& info) {
  if (info.dwOSVersionInfoSize != sizeof(OsVersionInfoA)) return Fail(ErrorInsufficientBuffer);
  info.dwMajorVersion = kMajor;
  info.dwMinorVersion = kMinor;
  info.dwBuildNumber = kBuild;
  info.dwPlatformId = VerPlatformWin32Nt;
  std::memset(info.szCSDVersion, 0, sizeof info.szCSDVersion);
  return true;
}

std::string HostProcess::BuildNumberText() { return std::to_string(kBuild); }

std::uint32_t HostProcess::GetSystemDirectoryA(char* buffer, std::uint32_t size) {
  const auto length = static_cast<std::uint32_t>(std::strlen(kSystemDirectory));
  if (!buffer || size <= length) return length + 1;
  std::memcpy(buffer, kSystemDirectory, length + 1);
  return length;
}

double HostProcess::Timer() { return LocalTimeOfDay(); }

std::uint32_t HostProcess::GetTickCount() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(now.tv_sec) * 1000u + now.tv_nsec / 1'000'000);
}

void HostProcess::Sleep(std::uint32_t milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void HostProcess::DoEvents() {
  if (pump_) pump_();
}

void HostProcess::SetMessagePump(std::function<void()> pump) { pump_ = std::move(pump); }

bool HostProcess::DriverLoaded() const { return access("/proc/sys/dev/parport", F_OK) == 0; }

Handle HostProcess::CreateFileA(const std::string& path, std::uint32_t, std::uint32_t, std::uint32_t,
                                std::uint32_t) {
  if (path == kDriverDevice && !DriverLoaded())
    NoticeOnce("parport", "the kernel's parallel-port subsystem is not loaded, so there are no printer ports: "
                          "sudo modprobe parport_pc ppdev");
  if (path != kDriverDevice || !DriverLoaded()) {
    Fail(ErrorFileNotFound);
    return InvalidHandleValue;
  }
  deviceHandles_.push_back(nextHandle_);
  nextHandle_ += 4;
  return deviceHandles_.back();
}

bool HostProcess::CloseHandle(Handle handle) {
  for (auto* list : {&deviceHandles_, &processHandles_}) {
    auto found = std::find(list->begin(), list->end(), handle);
    if (found == list->end()) continue;
    list->erase(found);
    if (list == &deviceHandles_ && deviceHandles_.empty()) ReleaseEverything();
    return true;
  }
  return Fail(ErrorInvalidHandle);
}

Handle HostProcess::GetCurrentProcess() { return CurrentProcessHandle; }

// Only this process can be named: the parport subsystem grants to the caller.
bool HostProcess::DuplicateHandle(Handle sourceProcess, Handle source, Handle targetProcess, Handle* target,
                                  std::uint32_t, bool, std::uint32_t) {
  if (!target || sourceProcess != CurrentProcessHandle || targetProcess != CurrentProcessHandle ||
      source != CurrentProcessHandle)
    return Fail(ErrorNotSupported);
  processHandles_.push_back(nextHandle_);
  nextHandle_ += 4;
  *target = processHandles_.back();
  return true;
}

// The kernel's parport subsystem is the driver: it cannot be installed,
// started, stopped or deleted from here, and stopping it must never happen.
ScHandle HostProcess::OpenSCManagerA(const char*, const char*, std::uint32_t) { return kManager; }

ScHandle HostProcess::CreateServiceA(ScHandle, const std::string&, const std::string&, std::uint32_t,
                                     std::uint32_t, std::uint32_t, std::uint32_t, const std::string&) {
  Fail(DriverLoaded() ? ErrorServiceExists : ErrorAccessDenied);
  return NullScHandle;
}

ScHandle HostProcess::OpenServiceA(ScHandle, const std::string&, std::uint32_t) {
  if (!DriverLoaded()) {
    Fail(ErrorServiceDoesNotExist);
    return NullScHandle;
  }
  return kService;
}

bool HostProcess::StartServiceA(ScHandle) { return Fail(ErrorServiceAlreadyRunning); }
bool HostProcess::ControlService(ScHandle, std::uint32_t, ServiceStatus&) { return Fail(ErrorAccessDenied); }
bool HostProcess::DeleteService(ScHandle) { return Fail(ErrorAccessDenied); }
bool HostProcess::CloseServiceHandle(ScHandle handle) {
  return handle == kManager || handle == kService || Fail(ErrorInvalidHandle);
}

ModuleHandle HostProcess::LoadLibraryA(const std::string&) {
  Fail(ErrorModNotFound);
  return NullModule;
}

ProcAddress HostProcess::GetProcAddress(ModuleHandle, const std::string&) {
  Fail(ErrorInvalidHandle);
  return nullptr;
}

bool HostProcess::FreeLibrary(ModuleHandle) { return Fail(ErrorInvalidHandle); }

ClaimedParport* HostProcess::ClaimedAt(std::uint16_t port) {
  for (auto& [number, claim] : claims_)
    if (claim->Holds(port)) return claim.get();
  return nullptr;
}

void HostProcess::CheckRange(std::uint16_t port, unsigned width) const {
  const bool open = std::any_of(ranges_.begin(), ranges_.end(), [&](const auto& range) {
    return port >= range.first && port + width <= range.first + range.second;
  });
  if (!open) throw PortAccessFault(port);
}

// A claimed port's registers are reached through its claim; an enabled range
// through port instructions; nothing else at all.
std::uint8_t HostProcess::In8(std::uint16_t port) {
  if (ClaimedParport* claim = ClaimedAt(port)) return claim->Read(port);
  CheckRange(port, 1);
  return PortIn8(port);
}

void HostProcess::Out8(std::uint16_t port, std::uint8_t value) {
  if (ClaimedParport* claim = ClaimedAt(port)) return claim->Write(port, value);
  CheckRange(port, 1);
  PortOut8(port, value);
}

// Wider accesses to a claimed port's registers go byte by byte, low byte
// first, as the port's 8-bit bus splits them.
std::uint16_t HostProcess::In16(std::uint16_t port) {
  if (ClaimedAt(port) || ClaimedAt(static_cast<std::uint16_t>(port + 1)))
    return static_cast<std::uint16_t>(In8(port) | (In8(static_cast<std::uint16_t>(port + 1)) << 8));
  CheckRange(port, 2);
  return PortIn16(port);
}

std::uint32_t HostProcess::In32(std::uint16_t port) {
  if (std::any_of(claims_.begin(), claims_.end(), [&](const auto& claim) {
        return port + 3 >= claim.second->Base() && port < claim.second->Base() + ClaimedParport::kRegisters;
      }))
    return In16(port) | (static_cast<std::uint32_t>(In16(static_cast<std::uint16_t>(port + 2))) << 16);
  CheckRange(port, 4);
  return PortIn32(port);
}

void HostProcess::Out16(std::uint16_t port, std::uint16_t value) {
  if (ClaimedAt(port) || ClaimedAt(static_cast<std::uint16_t>(port + 1))) {
    Out8(port, static_cast<std::uint8_t>(value));
    Out8(static_cast<std::uint16_t>(port + 1), static_cast<std::uint8_t>(value >> 8));
    return;
  }
  CheckRange(port, 2);
  PortOut16(port, value);
}

void HostProcess::Out32(std::uint16_t port, std::uint32_t value) {
  if (std::any_of(claims_.begin(), claims_.end(), [&](const auto& claim) {
        return port + 3 >= claim.second->Base() && port < claim.second->Base() + ClaimedParport::kRegisters;
      })) {
    Out16(port, static_cast<std::uint16_t>(value));
    Out16(static_cast<std::uint16_t>(port + 2), static_cast<std::uint16_t>(value >> 16));
    return;
  }
  CheckRange(port, 4);
  PortOut32(port, value);
}

std::int32_t HostProcess::CanInpd(std::int32_t port) { return smbus_->CanInpd(port); }
void HostProcess::CanOutpd(std::int32_t port, std::int32_t value) { smbus_->CanOutpd(port, value); }
std::int32_t HostProcess::CanInpw(std::int32_t port) { return smbus_->CanInpw(port); }
void HostProcess::CanOutpw(std::int32_t port, std::int32_t value) { smbus_->CanOutpw(port, value); }
std::int32_t HostProcess::CanInp(std::int32_t port) { return smbus_->CanInp(port); }
void HostProcess::CanOutp(std::int32_t port, std::int32_t value) { smbus_->CanOutp(port, value); }
std::int32_t HostProcess::AddMultiPort(std::int32_t port, std::int32_t count) {
  return smbus_->AddMultiPort(port, count);
}
std::int32_t HostProcess::RemovePort(std::int32_t port) { return smbus_->RemovePort(port); }

std::atomic<std::int32_t>& HostProcess::SharedCounter(const std::string& name) {
  auto found = counters_.find(name);
  if (found != counters_.end()) return *found->second;
  static_assert(std::atomic<std::int32_t>::is_always_lock_free, "the counter lives in shared memory");
  std::string refusal;
  void* memory = MapUserCounter(name, refusal);
  // Without a counter of this user's own the count is this process's own:
  // every process then believes it is the first, which only costs a
  // redundant open.
  if (memory == MAP_FAILED) {
    NoticeOnce("counter " + name, "the counter " + name + " is this program's own: " + refusal);
    memory = mmap(nullptr, sizeof(std::int32_t), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
  }
  auto* counter = reinterpret_cast<std::atomic<std::int32_t>*>(memory);
  counters_[name] = counter;
  return *counter;
}

std::vector<I2cAdapterInfo> HostProcess::ListI2cAdapters() {
  std::vector<I2cAdapterInfo> adapters = adapters_.List();
  if (options_.i2cAdapter)
    std::erase_if(adapters, [this](const I2cAdapterInfo& adapter) { return adapter.number != *options_.i2cAdapter; });
  return adapters;
}

std::string HostProcess::BoundI2cDriver(int number, std::uint8_t address) {
  return adapters_.BoundDriver(number, address);
}

SmbusAnswer HostProcess::I2cTransfer(int number, const SmbusTransfer& transfer) {
  return adapters_.Transfer(number, transfer);
}

}  // namespace platform::host
