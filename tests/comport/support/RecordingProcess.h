#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "sim/Process.h"

namespace comport::testing {

// One event in the order the component caused it: a claim or release that
// reached the port driver, or a byte port access.
struct PortEvent {
  enum class Kind { Claim, Release, In, Out };
  Kind kind;
  std::uint16_t port;  // port number for Claim/Release, I/O address otherwise
  std::uint8_t value;

  friend bool operator==(const PortEvent&, const PortEvent&) = default;
};

std::string Describe(const PortEvent& event);
// Lets test failures name the events ("claim 1", "out 378 03").
inline void PrintTo(const PortEvent& event, std::ostream* os) { *os << Describe(event); }

// A virtual process that passes everything to a sim process and records
// claims, releases and byte port accesses in one ordered log.
class RecordingProcess : public platform::Process {
 public:
  explicit RecordingProcess(std::shared_ptr<sim::Process> inner) : inner_(std::move(inner)) {}

  std::vector<PortEvent>& Log() { return log_; }
  sim::Process& Inner() { return *inner_; }

  std::uint32_t GetVersion() override { return inner_->GetVersion(); }
  bool GetVersionExA(platform::OsVersionInfoA& info) override { return inner_->GetVersionExA(info); }
  std::string BuildNumberText() override { return inner_->BuildNumberText(); }
  std::uint32_t GetSystemDirectoryA(char* buffer, std::uint32_t size) override {
    return inner_->GetSystemDirectoryA(buffer, size);
  }
  double Timer() override { return inner_->Timer(); }
  std::uint32_t GetTickCount() override { return inner_->GetTickCount(); }
  void Sleep(std::uint32_t milliseconds) override { inner_->Sleep(milliseconds); }
  void DoEvents() override { inner_->DoEvents(); }
  void SetMessagePump(std::function<void()> pump) override { inner_->SetMessagePump(std::move(pump)); }
  platform::Handle CreateFileA(const std::string& path, std::uint32_t access, std::uint32_t shareMode,
                               std::uint32_t creationDisposition, std::uint32_t flagsAndAttributes) override {
    return inner_->CreateFileA(path, access, shareMode, creationDisposition, flagsAndAttributes);
  }
  bool DeviceIoControl(platform::Handle device, std::uint32_t ioControlCode, const void* inBuffer, std::uint32_t inSize,
                       void* outBuffer, std::uint32_t outSize, std::uint32_t* bytesReturned) override;
  bool CloseHandle(platform::Handle handle) override { return inner_->CloseHandle(handle); }
  platform::Handle GetCurrentProcess() override { return inner_->GetCurrentProcess(); }
  bool DuplicateHandle(platform::Handle sourceProcess, platform::Handle source, platform::Handle targetProcess,
                       platform::Handle* target, std::uint32_t desiredAccess, bool inheritHandle,
                       std::uint32_t options) override {
    return inner_->DuplicateHandle(sourceProcess, source, targetProcess, target, desiredAccess, inheritHandle, options);
  }
  std::uint32_t GetLastError() override { return inner_->GetLastError(); }
  void SetLastError(std::uint32_t error) override { inner_->SetLastError(error); }
  platform::ScHandle OpenSCManagerA(const char* machine, const char* database, std::uint32_t access) override {
    return inner_->OpenSCManagerA(machine, database, access);
  }
  platform::ScHandle CreateServiceA(platform::ScHandle manager, const std::string& name, const std::string& displayName,
                                    std::uint32_t access, std::uint32_t serviceType, std::uint32_t startType,
                                    std::uint32_t errorControl, const std::string& imagePath) override {
    return inner_->CreateServiceA(manager, name, displayName, access, serviceType, startType, errorControl, imagePath);
  }
  platform::ScHandle OpenServiceA(platform::ScHandle manager, const std::string& name, std::uint32_t access) override {
    return inner_->OpenServiceA(manager, name, access);
  }
  bool StartServiceA(platform::ScHandle service) override { return inner_->StartServiceA(service); }
  bool ControlService(platform::ScHandle service, std::uint32_t control, platform::ServiceStatus& status) override {
    return inner_->ControlService(service, control, status);
  }
  bool DeleteService(platform::ScHandle service) override { return inner_->DeleteService(service); }
  bool CloseServiceHandle(platform::ScHandle handle) override { return inner_->CloseServiceHandle(handle); }
  platform::ModuleHandle LoadLibraryA(const std::string& name) override { return inner_->LoadLibraryA(name); }
  platform::ProcAddress GetProcAddress(platform::ModuleHandle module, const std::string& name) override {
    return inner_->GetProcAddress(module, name);
  }
  bool FreeLibrary(platform::ModuleHandle module) override { return inner_->FreeLibrary(module); }
  std::uint8_t In8(std::uint16_t port) override;
  std::uint16_t In16(std::uint16_t port) override { return inner_->In16(port); }
  std::uint32_t In32(std::uint16_t port) override { return inner_->In32(port); }
  void Out8(std::uint16_t port, std::uint8_t value) override;
  void Out16(std::uint16_t port, std::uint16_t value) override { inner_->Out16(port, value); }
  void Out32(std::uint16_t port, std::uint32_t value) override { inner_->Out32(port, value); }
  std::int32_t CanInpd(std::int32_t port) override { return inner_->CanInpd(port); }
  void CanOutpd(std::int32_t port, std::int32_t value) override { inner_->CanOutpd(port, value); }
  std::int32_t CanInpw(std::int32_t port) override { return inner_->CanInpw(port); }
  void CanOutpw(std::int32_t port, std::int32_t value) override { inner_->CanOutpw(port, value); }
  std::int32_t CanInp(std::int32_t port) override { return inner_->CanInp(port); }
  void CanOutp(std::int32_t port, std::int32_t value) override { inner_->CanOutp(port, value); }
  std::int32_t AddMultiPort(std::int32_t port, std::int32_t count) override {
    return inner_->AddMultiPort(port, count);
  }
  std::int32_t RemovePort(std::int32_t port) override { return inner_->RemovePort(port); }
  std::atomic<std::int32_t>& SharedCounter(const std::string& name) override { return inner_->SharedCounter(name); }

 private:
  std::shared_ptr<sim::Process> inner_;
  std::vector<PortEvent> log_;
};

// A Windows the component does not know (platform identifier 4): creating
// the component fails.
class UnknownPlatform : public RecordingProcess {
 public:
  using RecordingProcess::RecordingProcess;
  bool GetVersionExA(platform::OsVersionInfoA& info) override {
    const bool ok = RecordingProcess::GetVersionExA(info);
    info.dwPlatformId = 4;
    return ok;
  }
};

}  // namespace comport::testing
