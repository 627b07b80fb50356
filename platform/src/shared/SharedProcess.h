#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Connection.h"
#include "platform/Process.h"

namespace platform::shared {

// This program as a process of the user's shared virtual PC. Every service
// is carried out by the server on the program's process there, with these
// exceptions that keep the port path fast and the answers the same:
// - the clock and the message pump run here, on the machine's time base
//   (the steady clock is the same for every process of this computer);
// - port writes go out without waiting (see Connection), port reads wait
//   for their answer; a port that is not open to the process faults here, at once, from
//   a copy of the process's open ports that every answer keeps current;
// - the machine-wide counters are shared memory that the server hands out.
class SharedProcess : public Process {
 public:
  explicit SharedProcess(const std::string& options);
  ~SharedProcess() override;

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
  bool DeviceIoControl(Handle device, std::uint32_t code, const void* inBuffer, std::uint32_t inSize, void* outBuffer,
                       std::uint32_t outSize, std::uint32_t* bytesReturned) override;
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

 private:
  // A system service on the server: `fill` writes the request's fields,
  // `parse` reads the answer's; `failed` is the result once the machine has gone.
  template <typename Result, typename Fill, typename Parse>
  Result Call(vpc::Op op, Result failed, Fill&& fill, Parse&& parse);
  std::uint32_t PortRead(vpc::Op op, std::uint16_t port);
  void PortWrite(vpc::Op op, std::uint16_t port, std::uint32_t value);
  std::int32_t CanRead(vpc::Op op, std::int32_t port);
  void CanWrite(vpc::Op op, std::int32_t port, std::int32_t value);
  void CheckPort(std::uint16_t port) const;
  void TakeGrants(vpc::FrameReader& reader);
  std::uint64_t Now() const;

  std::shared_ptr<Connection> connection_;
  std::int64_t machineStart_ = 0;
  double startTimeOfDay_ = 0;
  std::uint32_t startTickCount_ = 0;
  std::uint64_t pumpNanoseconds_ = 0;
  bool allPortsOpen_ = false;
  std::vector<std::uint8_t> openPorts_;
  std::uint32_t lastError_ = 0;
  std::function<void()> pump_;
  void* counterMemory_ = nullptr;
  std::map<std::string, std::atomic<std::int32_t>*> counters_;
  std::atomic<std::int32_t> counterOfAGoneMachine_{0};
};

}  // namespace platform::shared
