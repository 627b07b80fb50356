#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/Process.h"

namespace testsupport {

// A platform process that records what is asked of it and answers from a
// script. Device requests are kept byte for byte; everything else is logged
// as one line per call ("Sleep 2", "CloseHandle 0x44").
class FakeProcess : public platform::Process {
 public:
  struct Request {
    platform::Handle device;
    std::uint32_t code;
    std::vector<std::uint8_t> in;
    bool outNull;
    std::uint32_t outSize;
  };
  struct Answer {
    bool ok = true;
    std::vector<std::uint8_t> out;  // copied to the caller's output buffer
    std::uint32_t error = 0;        // last error when !ok
  };

  // Version the process reports.
  std::uint32_t packedVersion = 0x00000004;  // NT 4 packing: high bit clear
  platform::OsVersionInfoA version = [] {
    platform::OsVersionInfoA v;
    v.dwMajorVersion = 5;
    v.dwMinorVersion = 1;
    v.dwBuildNumber = 2600;
    v.dwPlatformId = platform::VerPlatformWin32Nt;
    return v;
  }();

  // Device opens succeed with this handle unless the path is listed as absent.
  platform::Handle deviceHandle = 0x44;
  std::vector<std::string> absentDevices;
  bool duplicateFails = false;
  std::deque<Answer> answers;  // one per DeviceIoControl; empty = ok with no output
  std::function<std::int32_t()> prtenu32Count;
  std::function<std::int32_t(std::int32_t, void*)> prtenu32Info;
  bool prtenu32Present = false;

  std::vector<Request> requests;
  std::vector<std::string> log;

  static std::vector<std::uint8_t> Words(std::initializer_list<std::uint32_t> words);
  static Answer Status(std::uint32_t status);
  bool Logged(const std::string& line) const;

  std::uint32_t GetVersion() override;
  bool GetVersionExA(platform::OsVersionInfoA& info) override;
  std::string BuildNumberText() override { return std::to_string(version.dwBuildNumber); }
  std::uint32_t GetSystemDirectoryA(char* buffer, std::uint32_t size) override;
  double Timer() override { return 0; }
  std::uint32_t GetTickCount() override { return 0; }
  void Sleep(std::uint32_t milliseconds) override;
  void DoEvents() override {}
  void SetMessagePump(std::function<void()>) override {}
  platform::Handle CreateFileA(const std::string& path, std::uint32_t access, std::uint32_t shareMode,
                               std::uint32_t creationDisposition, std::uint32_t flagsAndAttributes) override;
  bool DeviceIoControl(platform::Handle device, std::uint32_t code, const void* inBuffer, std::uint32_t inSize,
                       void* outBuffer, std::uint32_t outSize, std::uint32_t* bytesReturned) override;
  bool CloseHandle(platform::Handle handle) override;
  platform::Handle GetCurrentProcess() override { return platform::CurrentProcessHandle; }
  bool DuplicateHandle(platform::Handle sourceProcess, platform::Handle source, platform::Handle targetProcess,
                       platform::Handle* target, std::uint32_t desiredAccess, bool inheritHandle,
                       std::uint32_t options) override;
  std::uint32_t GetLastError() override { return lastError; }
  void SetLastError(std::uint32_t error) override { lastError = error; }
  platform::ScHandle OpenSCManagerA(const char*, const char*, std::uint32_t access) override;
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
  platform::ModuleHandle LoadLibraryA(const std::string& name) override;
  platform::ProcAddress GetProcAddress(platform::ModuleHandle module, const std::string& name) override;
  bool FreeLibrary(platform::ModuleHandle module) override;
  std::uint8_t In8(std::uint16_t) override { return 0xFF; }
  std::uint16_t In16(std::uint16_t) override { return 0xFFFF; }
  std::uint32_t In32(std::uint16_t) override { return 0xFFFFFFFFu; }
  void Out8(std::uint16_t, std::uint8_t) override {}
  void Out16(std::uint16_t, std::uint16_t) override {}
  void Out32(std::uint16_t, std::uint32_t) override {}
  std::int32_t CanInpd(std::int32_t) override { return -1; }
  void CanOutpd(std::int32_t, std::int32_t) override {}
  std::int32_t CanInpw(std::int32_t) override { return 0xFFFF; }
  void CanOutpw(std::int32_t, std::int32_t) override {}
  std::int32_t CanInp(std::int32_t) override { return 0xFF; }
  void CanOutp(std::int32_t, std::int32_t) override {}
  std::int32_t AddMultiPort(std::int32_t, std::int32_t) override { return 1; }
  std::int32_t RemovePort(std::int32_t) override { return 1; }
  std::atomic<std::int32_t>& SharedCounter(const std::string&) override { return attachCount; }

  std::uint32_t lastError = 0;
  std::atomic<std::int32_t> attachCount{0};

 private:
  platform::Handle nextHandle_ = 0x100;
};

}  // namespace testsupport
