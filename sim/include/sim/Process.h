#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/Process.h"

namespace sim {

class DeviceObject;
class Machine;

// One program running on the virtual PC: its handle tables, last error,
// message pump and the I/O ports open to it. On the 95 family every port is
// open; on the NT family only those a driver granted, and any other port
// instruction throws platform::PortAccessFault.
class Process : public platform::Process {
 public:
  Process(std::shared_ptr<Machine> machine, std::string name);
  ~Process() override;

  Machine& GetMachine() { return *machine_; }
  std::uint32_t Pid() const { return pid_; }
  const std::string& Name() const { return name_; }

  // Driver side: resolve a process handle of this process, open and close ports.
  Process* ResolveProcessHandle(platform::Handle handle);
  void GrantPorts(std::uint16_t first, std::uint32_t count);
  void RevokePorts(std::uint16_t first, std::uint32_t count);
  bool PortOpen(std::uint16_t port) const { return allPortsOpen_ || openPorts_[port] != 0; }
  bool AllPortsOpen() const { return allPortsOpen_; }
  // One byte per port, nonzero when a driver opened it to the process.
  std::span<const std::uint16_t> GrantedPorts() const { return openPorts_; }
  // Changes whenever a port is opened to or closed for the process.
  std::uint64_t PortGrantsVersion() const { return portGrantsVersion_; }

  // platform::Version
  std::uint32_t GetVersion() override;
  bool GetVersionExA(platform::OsVersionInfoA& info) override;
  std::string BuildNumberText() override;
  std::uint32_t GetSystemDirectoryA(char* buffer, std::uint32_t size) override;
  // platform::Clock
  double Timer() override;
  std::uint32_t GetTickCount() override;
  void Sleep(std::uint32_t milliseconds) override;
  // platform::MessagePump
  void DoEvents() override;
  void SetMessagePump(std::function<void()> pump) override;
  // platform::Devices
  platform::Handle CreateFileA(const std::string& path, std::uint32_t access, std::uint32_t shareMode,
                               std::uint32_t creationDisposition, std::uint32_t flagsAndAttributes) override;
  bool DeviceIoControl(platform::Handle device, std::uint32_t ioControlCode, const void* inBuffer,
                       std::uint32_t inSize, void* outBuffer, std::uint32_t outSize,
                       std::uint32_t* bytesReturned) override;
  bool CloseHandle(platform::Handle handle) override;
  platform::Handle GetCurrentProcess() override;
  bool DuplicateHandle(platform::Handle sourceProcess, platform::Handle source, platform::Handle targetProcess,
                       platform::Handle* target, std::uint32_t desiredAccess, bool inheritHandle,
                       std::uint32_t options) override;
  std::uint32_t GetLastError() override { return lastError_; }
  void SetLastError(std::uint32_t error) override { lastError_ = error; }
  // platform::ServiceControl
  platform::ScHandle OpenSCManagerA(const char* machine, const char* database, std::uint32_t access) override;
  platform::ScHandle CreateServiceA(platform::ScHandle manager, const std::string& name,
                                    const std::string& displayName, std::uint32_t access,
                                    std::uint32_t serviceType, std::uint32_t startType,
                                    std::uint32_t errorControl, const std::string& imagePath) override;
  platform::ScHandle OpenServiceA(platform::ScHandle manager, const std::string& name,
                                  std::uint32_t access) override;
  bool StartServiceA(platform::ScHandle service) override;
  bool ControlService(platform::ScHandle service, std::uint32_t control, platform::ServiceStatus& status) override;
  bool DeleteService(platform::ScHandle service) override;
  bool CloseServiceHandle(platform::ScHandle handle) override;
  // platform::Libraries
  platform::ModuleHandle LoadLibraryA(const std::string& name) override;
  platform::ProcAddress GetProcAddress(platform::ModuleHandle module, const std::string& name) override;
  bool FreeLibrary(platform::ModuleHandle module) override;
  // platform::PortIo
  std::uint8_t In8(std::uint16_t port) override;
  std::uint16_t In16(std::uint16_t port) override;
  std::uint32_t In32(std::uint16_t port) override;
  void Out8(std::uint16_t port, std::uint8_t value) override;
  void Out16(std::uint16_t port, std::uint16_t value) override;
  void Out32(std::uint16_t port, std::uint32_t value) override;
  // platform::CanIo
  std::int32_t CanInpd(std::int32_t port) override;
  void CanOutpd(std::int32_t port, std::int32_t value) override;
  std::int32_t CanInpw(std::int32_t port) override;
  void CanOutpw(std::int32_t port, std::int32_t value) override;
  std::int32_t CanInp(std::int32_t port) override;
  void CanOutp(std::int32_t port, std::int32_t value) override;
  std::int32_t AddMultiPort(std::int32_t port, std::int32_t count) override;
  std::int32_t RemovePort(std::int32_t port) override;
  // platform::SharedMemory
  std::atomic<std::int32_t>& SharedCounter(const std::string& name) override;
  // platform::I2cAdapters: the USB bridge's adapter, when the machine has one
  std::vector<platform::I2cAdapterInfo> ListI2cAdapters() override;
  platform::SmbusAnswer I2cTransfer(int number, const platform::SmbusTransfer& transfer) override;

 private:
  struct HandleEntry {
    std::shared_ptr<DeviceObject> device;  // null for a process handle
    std::uint32_t pid = 0;
  };
  struct ScEntry {
    bool manager = false;
    std::string service;
  };

  void Spend(std::uint64_t nanoseconds);
  void CheckPort(std::uint16_t port) const;
  bool CanIoPortOpen(std::int32_t port) const;
  platform::Handle NewHandle(HandleEntry entry);
  platform::ScHandle NewScHandle(ScEntry entry);
  ScEntry* FindSc(platform::ScHandle handle);
  bool Fail(std::uint32_t error);

  std::shared_ptr<Machine> machine_;
  std::string name_;
  std::uint32_t pid_;
  std::uint32_t lastError_ = 0;
  std::function<void()> pump_;
  bool allPortsOpen_;
  std::vector<std::uint16_t> openPorts_;  // grants covering each port
  std::uint64_t portGrantsVersion_ = 0;
  std::map<std::int32_t, std::int32_t> canIoRanges_;  // first port -> count
  std::map<platform::Handle, HandleEntry> handles_;
  platform::Handle nextHandle_ = 0x40;
  std::map<platform::ScHandle, ScEntry> scHandles_;
  platform::ScHandle nextScHandle_ = 0x1000;
  std::map<platform::ModuleHandle, int> modules_;  // module -> load count
};

}  // namespace sim
