#include "sim/Process.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "platform/PortAccessFault.h"
#include "sim/DeviceObject.h"
#include "sim/Machine.h"
#include "sim/Prtenu32.h"

namespace sim {

namespace {
constexpr platform::ModuleHandle kPrtenu32Module = 0x10000000;
constexpr std::int32_t kPciAddressPort = 0xCF8;
constexpr std::int32_t kPciDataPort = 0xCFC;
// A USB bridge answers a transaction after about a millisecond: one
// request and one reply on a full-speed bus.
constexpr std::uint64_t kBridgeTransactionNanoseconds = 1'000'000;

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}
}  // namespace

Process::Process(std::shared_ptr<Machine> machine, std::string name)
    : machine_(std::move(machine)),
      name_(std::move(name)),
      pid_(machine_->nextPid_ += 4),
      allPortsOpen_(machine_->GetPersonality().Is9x()),
      openPorts_(0x10000, 0) {
  machine_->Register(*this);
}

Process::~Process() {
  while (!handles_.empty()) CloseHandle(handles_.begin()->first);
  while (!scHandles_.empty()) CloseServiceHandle(scHandles_.begin()->first);
  machine_->Unregister(*this);
}

bool Process::Fail(std::uint32_t error) {
  lastError_ = error;
  return false;
}

void Process::Spend(std::uint64_t nanoseconds) { machine_->GetClock().Advance(nanoseconds); }

// ---- driver side ----

Process* Process::ResolveProcessHandle(platform::Handle handle) {
  if (handle == platform::CurrentProcessHandle) return this;
  auto found = handles_.find(handle);
  if (found == handles_.end() || found->second.device) return nullptr;
  return machine_->FindProcess(found->second.pid);
}

// Each port counts the grants that cover it, so that closing one grant (a
// released claim) leaves a port open that another grant (an enabled range)
// still covers.
void Process::GrantPorts(std::uint16_t first, std::uint32_t count) {
  ++portGrantsVersion_;
  for (std::uint32_t port = first; port < first + count && port <= 0xFFFF; ++port)
    if (openPorts_[port] < UINT16_MAX) ++openPorts_[port];
}

void Process::RevokePorts(std::uint16_t first, std::uint32_t count) {
  ++portGrantsVersion_;
  for (std::uint32_t port = first; port < first + count && port <= 0xFFFF; ++port)
    if (openPorts_[port] > 0) --openPorts_[port];
}

// ---- version ----

std::uint32_t Process::GetVersion() { return machine_->GetPersonality().PackedVersion(); }

bool Process::GetVersionExA(platform::OsVersionInfoA& info) {
  if (info.dwOSVersionInfoSize != sizeof(platform::OsVersionInfoA)) return Fail(platform::ErrorInsufficientBuffer);
  const Personality& personality = machine_->GetPersonality();
  info.dwMajorVersion = personality.major;
  info.dwMinorVersion = personality.minor;
  info.dwBuildNumber = personality.VersionRecordBuild();
  info.dwPlatformId = personality.platformId;
  std::memset(info.szCSDVersion, 0, sizeof info.szCSDVersion);
  std::memcpy(info.szCSDVersion, personality.servicePack.data(),
              std::min(personality.servicePack.size(), sizeof info.szCSDVersion - 1));
  return true;
}

std::string Process::BuildNumberText() { return std::to_string(machine_->GetPersonality().build); }

std::uint32_t Process::GetSystemDirectoryA(char* buffer, std::uint32_t size) {
  const std::string_view directory = machine_->GetPersonality().systemDirectory;
  const auto length = static_cast<std::uint32_t>(directory.size());
  if (!buffer || size <= length) return length + 1;
  std::memcpy(buffer, directory.data(), length);
  buffer[length] = '\0';
  return length;
}

// ---- clock and messages ----

double Process::Timer() { return machine_->GetClock().SecondsSinceMidnight(); }
std::uint32_t Process::GetTickCount() { return machine_->GetClock().TickCount(); }
void Process::Sleep(std::uint32_t milliseconds) {
  machine_->GetClock().Spend(static_cast<std::uint64_t>(milliseconds) * 1'000'000u);
}

void Process::DoEvents() {
  Spend(machine_->Options().pumpNanoseconds);
  if (pump_) pump_();
}

void Process::SetMessagePump(std::function<void()> pump) { pump_ = std::move(pump); }

// ---- handles ----

platform::Handle Process::NewHandle(HandleEntry entry) {
  const platform::Handle handle = nextHandle_;
  nextHandle_ += 4;
  handles_.emplace(handle, std::move(entry));
  return handle;
}

platform::Handle Process::CreateFileA(const std::string& path, std::uint32_t, std::uint32_t, std::uint32_t,
                                      std::uint32_t) {
  // Sharing is not modelled: the drivers here do not check share access.
  auto device = machine_->OpenDevice(path);
  if (!device) {
    Fail(platform::ErrorFileNotFound);
    return platform::InvalidHandleValue;
  }
  return NewHandle({std::move(device), 0});
}

bool Process::DeviceIoControl(platform::Handle device, std::uint32_t code, const void* inBuffer,
                              std::uint32_t inSize, void* outBuffer, std::uint32_t outSize,
                              std::uint32_t* bytesReturned) {
  auto found = handles_.find(device);
  if (found == handles_.end() || !found->second.device) return Fail(platform::ErrorInvalidHandle);
  if ((!inBuffer && inSize) || (!outBuffer && outSize)) return Fail(platform::ErrorInvalidParameter);
  // Buffered requests: the driver works on a copy of the input, as the I/O
  // manager gives it, and fills a zeroed output buffer of the stated size;
  // only what it returns is copied back. The caller's output buffer is never
  // read: its size is the caller's claim, not a promise that it holds data.
  std::vector<std::uint8_t> in(inSize), out(outSize);
  if (inSize) std::memcpy(in.data(), inBuffer, inSize);
  std::uint32_t returned = 0, error = 0;
  auto target = found->second.device;
  const bool ok = target->Control(*this, code, in, out, returned, error);
  if (bytesReturned) *bytesReturned = ok ? returned : 0;
  if (!ok) return Fail(error);
  if (returned) std::memcpy(outBuffer, out.data(), std::min(returned, outSize));
  return true;
}

bool Process::CloseHandle(platform::Handle handle) {
  auto found = handles_.find(handle);
  if (found == handles_.end()) return Fail(platform::ErrorInvalidHandle);
  auto device = found->second.device;
  handles_.erase(found);
  if (device) {
    const bool lastHandle = std::none_of(handles_.begin(), handles_.end(),
                                         [&](const auto& entry) { return entry.second.device == device; });
    if (lastHandle) device->Cleanup(*this);
  }
  return true;
}

platform::Handle Process::GetCurrentProcess() { return platform::CurrentProcessHandle; }

bool Process::DuplicateHandle(platform::Handle sourceProcess, platform::Handle source,
                              platform::Handle targetProcess, platform::Handle* target, std::uint32_t,
                              bool, std::uint32_t) {
  if (!target) return Fail(platform::ErrorInvalidParameter);
  // Duplication between processes is not needed by anything here.
  if (sourceProcess != platform::CurrentProcessHandle || targetProcess != platform::CurrentProcessHandle)
    return Fail(platform::ErrorNotSupported);
  if (source == platform::CurrentProcessHandle) {
    *target = NewHandle({nullptr, pid_});
    return true;
  }
  auto found = handles_.find(source);
  if (found == handles_.end()) return Fail(platform::ErrorInvalidHandle);
  HandleEntry copy = found->second;
  *target = NewHandle(std::move(copy));
  return true;
}

// ---- service control manager ----

platform::ScHandle Process::NewScHandle(ScEntry entry) {
  const platform::ScHandle handle = nextScHandle_;
  nextScHandle_ += 4;
  if (!entry.manager) machine_->Services().HandleOpened(entry.service);
  scHandles_.emplace(handle, std::move(entry));
  return handle;
}

Process::ScEntry* Process::FindSc(platform::ScHandle handle) {
  auto found = scHandles_.find(handle);
  return found == scHandles_.end() ? nullptr : &found->second;
}

platform::ScHandle Process::OpenSCManagerA(const char*, const char*, std::uint32_t) {
  if (machine_->GetPersonality().Is9x()) {
    Fail(platform::ErrorNotSupported);
    return platform::NullScHandle;
  }
  if (!machine_->Options().administrator) {
    Fail(platform::ErrorAccessDenied);
    return platform::NullScHandle;
  }
  return NewScHandle({true, {}});
}

platform::ScHandle Process::CreateServiceA(platform::ScHandle manager, const std::string& name,
                                           const std::string& displayName, std::uint32_t, std::uint32_t type,
                                           std::uint32_t startType, std::uint32_t errorControl,
                                           const std::string& imagePath) {
  ScEntry* entry = FindSc(manager);
  if (!entry || !entry->manager) {
    Fail(platform::ErrorInvalidHandle);
    return platform::NullScHandle;
  }
  Service service{name, displayName, type, startType, errorControl, imagePath};
  if (const std::uint32_t error = machine_->Services().Create(service)) {
    Fail(error);
    return platform::NullScHandle;
  }
  return NewScHandle({false, name});
}

platform::ScHandle Process::OpenServiceA(platform::ScHandle manager, const std::string& name, std::uint32_t) {
  ScEntry* entry = FindSc(manager);
  if (!entry || !entry->manager) {
    Fail(platform::ErrorInvalidHandle);
    return platform::NullScHandle;
  }
  if (!machine_->Services().Exists(name)) {
    Fail(platform::ErrorServiceDoesNotExist);
    return platform::NullScHandle;
  }
  return NewScHandle({false, name});
}

bool Process::StartServiceA(platform::ScHandle service) {
  ScEntry* entry = FindSc(service);
  if (!entry || entry->manager) return Fail(platform::ErrorInvalidHandle);
  if (const std::uint32_t error = machine_->Services().Start(entry->service)) return Fail(error);
  return true;
}

bool Process::ControlService(platform::ScHandle service, std::uint32_t control, platform::ServiceStatus& status) {
  ScEntry* entry = FindSc(service);
  if (!entry || entry->manager) return Fail(platform::ErrorInvalidHandle);
  if (control != platform::ServiceControlStop) return Fail(platform::ErrorInvalidParameter);
  if (const std::uint32_t error = machine_->Services().Stop(entry->service)) return Fail(error);
  status = {};
  status.dwServiceType = platform::ServiceKernelDriver;
  status.dwCurrentState = platform::ServiceStopped;
  return true;
}

bool Process::DeleteService(platform::ScHandle service) {
  ScEntry* entry = FindSc(service);
  if (!entry || entry->manager) return Fail(platform::ErrorInvalidHandle);
  if (const std::uint32_t error = machine_->Services().MarkForDelete(entry->service)) return Fail(error);
  return true;
}

bool Process::CloseServiceHandle(platform::ScHandle handle) {
  auto found = scHandles_.find(handle);
  if (found == scHandles_.end()) return Fail(platform::ErrorInvalidHandle);
  const ScEntry entry = found->second;
  scHandles_.erase(found);
  if (!entry.manager) machine_->Services().HandleClosed(entry.service);
  return true;
}

// ---- libraries ----

platform::ModuleHandle Process::LoadLibraryA(const std::string& name) {
  const std::string file = Lower(name);
  if ((file == Lower(Machine::kPrtenu32) || file == Lower(machine_->SystemPath(Machine::kPrtenu32))) &&
      machine_->FileExists(machine_->SystemPath(Machine::kPrtenu32))) {
    ++modules_[kPrtenu32Module];
    return kPrtenu32Module;
  }
  Fail(platform::ErrorModNotFound);
  return platform::NullModule;
}

platform::ProcAddress Process::GetProcAddress(platform::ModuleHandle module, const std::string& name) {
  if (!modules_.count(module)) {
    Fail(platform::ErrorInvalidHandle);
    return nullptr;
  }
  platform::ProcAddress address = Prtenu32EntryPoint(machine_, name);
  if (!address) Fail(platform::ErrorProcNotFound);
  return address;
}

bool Process::FreeLibrary(platform::ModuleHandle module) {
  auto found = modules_.find(module);
  if (found == modules_.end()) return Fail(platform::ErrorInvalidHandle);
  if (--found->second == 0) modules_.erase(found);
  return true;
}

// ---- port instructions ----

void Process::CheckPort(std::uint16_t port) const {
  if (!PortOpen(port)) throw platform::PortAccessFault(port);
}

std::uint8_t Process::In8(std::uint16_t port) {
  CheckPort(port);
  Spend(machine_->Options().ioCycleNanoseconds);
  return machine_->Ports().Read8(port);
}

std::uint16_t Process::In16(std::uint16_t port) {
  CheckPort(port);
  Spend(machine_->Options().ioCycleNanoseconds);
  return machine_->Ports().Read16(port);
}

std::uint32_t Process::In32(std::uint16_t port) {
  CheckPort(port);
  Spend(machine_->Options().ioCycleNanoseconds);
  return machine_->Ports().Read32(port);
}

void Process::Out8(std::uint16_t port, std::uint8_t value) {
  CheckPort(port);
  Spend(machine_->Options().ioCycleNanoseconds);
  machine_->Ports().Write8(port, value);
}

void Process::Out16(std::uint16_t port, std::uint16_t value) {
  CheckPort(port);
  Spend(machine_->Options().ioCycleNanoseconds);
  machine_->Ports().Write16(port, value);
}

void Process::Out32(std::uint16_t port, std::uint32_t value) {
  CheckPort(port);
  Spend(machine_->Options().ioCycleNanoseconds);
  machine_->Ports().Write32(port, value);
}

// ---- the word port library ----

bool Process::CanIoPortOpen(std::int32_t port) const {
  if (port == kPciAddressPort || port == kPciDataPort) return true;
  return std::any_of(canIoRanges_.begin(), canIoRanges_.end(), [port](const auto& range) {
    return port >= range.first && port < range.first + range.second;
  });
}

// Ports the library has not opened read as nothing and ignore writes: the
// library's driver refuses them.
std::int32_t Process::CanInpd(std::int32_t port) {
  if (!CanIoPortOpen(port) || port < 0 || port > 0xFFFF) return 0;
  Spend(machine_->Options().ioCycleNanoseconds);
  return static_cast<std::int32_t>(machine_->Ports().Read32(static_cast<std::uint16_t>(port)));
}

void Process::CanOutpd(std::int32_t port, std::int32_t value) {
  if (!CanIoPortOpen(port) || port < 0 || port > 0xFFFF) return;
  Spend(machine_->Options().ioCycleNanoseconds);
  machine_->Ports().Write32(static_cast<std::uint16_t>(port), static_cast<std::uint32_t>(value));
}

std::int32_t Process::CanInpw(std::int32_t port) {
  if (!CanIoPortOpen(port) || port < 0 || port > 0xFFFF) return 0;
  Spend(machine_->Options().ioCycleNanoseconds);
  return machine_->Ports().Read16(static_cast<std::uint16_t>(port));
}

void Process::CanOutpw(std::int32_t port, std::int32_t value) {
  if (!CanIoPortOpen(port) || port < 0 || port > 0xFFFF) return;
  Spend(machine_->Options().ioCycleNanoseconds);
  machine_->Ports().Write16(static_cast<std::uint16_t>(port), static_cast<std::uint16_t>(value));
}

std::int32_t Process::CanInp(std::int32_t port) {
  if (!CanIoPortOpen(port) || port < 0 || port > 0xFFFF) return 0;
  Spend(machine_->Options().ioCycleNanoseconds);
  return machine_->Ports().Read8(static_cast<std::uint16_t>(port));
}

void Process::CanOutp(std::int32_t port, std::int32_t value) {
  if (!CanIoPortOpen(port) || port < 0 || port > 0xFFFF) return;
  Spend(machine_->Options().ioCycleNanoseconds);
  machine_->Ports().Write8(static_cast<std::uint16_t>(port), static_cast<std::uint8_t>(value));
}

std::int32_t Process::AddMultiPort(std::int32_t port, std::int32_t count) {
  if (machine_->Options().addMultiPortRefused || count <= 0 || port < 0 || port > 0xFFFF) return 0;
  canIoRanges_[port] = count;
  return 1;
}

std::int32_t Process::RemovePort(std::int32_t port) { return canIoRanges_.erase(port) ? 1 : 0; }

std::atomic<std::int32_t>& Process::SharedCounter(const std::string& name) {
  return machine_->SharedCounter(name);
}

std::vector<platform::I2cAdapterInfo> Process::ListI2cAdapters() {
  if (UsbBridge* bridge = machine_->Bridge()) return {bridge->Info()};
  return {};
}

platform::SmbusAnswer Process::I2cTransfer(int number, const platform::SmbusTransfer& transfer) {
  UsbBridge* bridge = machine_->Bridge();
  if (!bridge || number != UsbBridge::kAdapterNumber) return {false, 0};
  // A USB round trip per transaction, on the machine's clock.
  Spend(kBridgeTransactionNanoseconds);
  return bridge->Transfer(transfer);
}

}  // namespace sim
