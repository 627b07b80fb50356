#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ClaimedParport.h"
#include "HostOptions.h"
#include "HostParports.h"
#include "KernelAdapters.h"
#include "platform/Process.h"

namespace platform::host {

// This Linux machine, presented as an NT-family Windows later than NT 5
// (6.1, build 7601), so that the component claims its printer ports through
// the port access library and also searches for an on-board SMBus host.
//
// The kernel's parport subsystem plays the port driver: the device opens
// while the subsystem is loaded, and a claim is an exclusive PPCLAIM on
// /dev/parportN. Port I/O on a claimed port's three registers goes through
// ppdev's requests (or, with ports=ioperm, port instructions); an enabled
// range uses port instructions after ioperm (CAP_SYS_RAWIO). Any other port
// is refused before anything touches it: PortAccessFault, as the processor's
// fault on the original platform.
//
// The word port library (CanIo) is the on-board SMBus: the kernel's adapter
// presented as a host controller, the controller's raw registers, or none.
// The program's windows see the kernel's adapters themselves (I2cAdapters):
// with i2c=N only that one.
class HostProcess : public Process {
 public:
  HostProcess(const HostOptions& options, std::unique_ptr<CanIo> smbus);
  ~HostProcess() override;

  std::uint32_t GetVersion() override;
  bool GetVersionExA(OsVersionInfoA& info) override;
  std::string BuildNumberText() override;
  std::uint32_t GetSystemDirectoryA(char* buffer, std::uint32_t size) override;
  double Timer() override;
  std::uint32_t GetTickCount() override;
  void Sleep(std::uint32_t milliseconds) override;
  void DoEvents() override;
  void SetMessagePump(std::function<void()> pump) override;
  Handle CreateFileA(const std::string& path, std::uint32_t access, std::uint32_t shareMode,
                     std::uint32_t creationDisposition, std::uint32_t flagsAndAttributes) override;
  bool DeviceIoControl(Handle device, std::uint32_t code, const void* inBuffer, std::uint32_t inSize,
                       void* outBuffer, std::uint32_t outSize, std::uint32_t* bytesReturned) override;
  bool CloseHandle(Handle handle) override;
  Handle GetCurrentProcess() override;
  bool DuplicateHandle(Handle sourceProcess, Handle source, Handle targetProcess, Handle* target,
                       std::uint32_t desiredAccess, bool inheritHandle, std::uint32_t options) override;
  std::uint32_t GetLastError() override { return lastError_; }
  void SetLastError(std::uint32_t error) override { lastError_ = error; }
  ScHandle OpenSCManagerA(const char* machine, const char* database, std::uint32_t access) override;
  ScHandle CreateServiceA(ScHandle manager, const std::string& name, const std::string& displayName,
                          std::uint32_t access, std::uint32_t serviceType, std::uint32_t startType,
                          std::uint32_t errorControl, const std::string& imagePath) override;
  ScHandle OpenServiceA(ScHandle manager, const std::string& name, std::uint32_t access) override;
  bool StartServiceA(ScHandle service) override;
  bool ControlService(ScHandle service, std::uint32_t control, ServiceStatus& status) override;
  bool DeleteService(ScHandle service) override;
  bool CloseServiceHandle(ScHandle handle) override;
  ModuleHandle LoadLibraryA(const std::string& name) override;
  ProcAddress GetProcAddress(ModuleHandle module, const std::string& name) override;
  bool FreeLibrary(ModuleHandle module) override;
  std::uint8_t In8(std::uint16_t port) override;
  std::uint16_t In16(std::uint16_t port) override;
  std::uint32_t In32(std::uint16_t port) override;
  void Out8(std::uint16_t port, std::uint8_t value) override;
  void Out16(std::uint16_t port, std::uint16_t value) override;
  void Out32(std::uint16_t port, std::uint32_t value) override;
  std::int32_t CanInpd(std::int32_t port) override;
  void CanOutpd(std::int32_t port, std::int32_t value) override;
  std::int32_t CanInpw(std::int32_t port) override;
  void CanOutpw(std::int32_t port, std::int32_t value) override;
  std::int32_t CanInp(std::int32_t port) override;
  void CanOutp(std::int32_t port, std::int32_t value) override;
  std::int32_t AddMultiPort(std::int32_t port, std::int32_t count) override;
  std::int32_t RemovePort(std::int32_t port) override;
  std::atomic<std::int32_t>& SharedCounter(const std::string& name) override;
  std::vector<I2cAdapterInfo> ListI2cAdapters() override;
  std::string BoundI2cDriver(int number, std::uint8_t address) override;
  SmbusAnswer I2cTransfer(int number, const SmbusTransfer& transfer) override;
  bool KernelMedia() override { return true; }

 private:
  bool Fail(std::uint32_t error);
  bool DriverLoaded() const;
  std::uint32_t ClaimPort(std::int32_t port);
  bool ReleasePort(std::int32_t port);
  std::uint32_t EnableRange(std::uint32_t first, std::uint32_t last);
  void ReleaseEverything();
  // The claimed port whose registers include `port`; null when none does.
  ClaimedParport* ClaimedAt(std::uint16_t port);
  // Throws PortAccessFault unless an enabled range covers [port, port + width).
  void CheckRange(std::uint16_t port, unsigned width) const;

  std::uint32_t lastError_ = 0;
  std::function<void()> pump_;
  std::vector<Handle> deviceHandles_;
  std::vector<Handle> processHandles_;
  Handle nextHandle_ = 0x40;
  HostOptions options_;
  std::unique_ptr<CanIo> smbus_;
  std::map<std::int32_t, std::unique_ptr<ClaimedParport>> claims_;
  std::vector<std::pair<std::uint16_t, std::uint32_t>> ranges_;
  std::map<std::string, std::atomic<std::int32_t>*> counters_;
  KernelAdapters adapters_;
};

}  // namespace platform::host
