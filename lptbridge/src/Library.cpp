#include "lptbridge/Library.h"

#include <algorithm>
#include <cstring>

namespace lptbridge {

namespace {
constexpr const char* kAttachCount = "LptBridge.AttachCount";
constexpr const char* kDriverImage = "\\Drivers\\LptBridge.sys";
constexpr std::uint32_t kSystemDirectorySize = 516;
constexpr std::uint32_t kMaxStructSize = 4096;
constexpr std::uint32_t kClaimPauseMilliseconds = 2;
}  // namespace

Library::Library(platform::Process& process) : process_(process) {}

// Every notification decides the mode afresh. A packed version with the high
// bit set is taken for the 95 family without asking further.
void Library::RecordVersion() {
  const std::uint32_t packed = process_.GetVersion();
  if (packed & 0x80000000u) {
    platformId_ = platform::VerPlatformWin32Windows;
    majorVersion_ = 4;
    return;
  }
  platform::OsVersionInfoA info;
  info.dwOSVersionInfoSize = sizeof info;
  if (!process_.GetVersionExA(info)) {
    platformId_ = 0;
    majorVersion_ = 0;
    return;
  }
  platformId_ = info.dwPlatformId;
  majorVersion_ = info.dwMajorVersion;
}

Mode Library::CurrentMode() const {
  if (majorVersion_ >= 4 && platformId_ == platform::VerPlatformWin32Nt) return Mode::Nt;
  if (majorVersion_ >= 4 && platformId_ == platform::VerPlatformWin32Windows) return Mode::Win9x;
  return Mode::Inactive;
}

bool Library::Attach() {
  RecordVersion();
  switch (CurrentMode()) {
    case Mode::Nt:
      return AttachNt();
    case Mode::Win9x:
      return Attach9x();
    case Mode::Inactive:
      return true;
  }
  return true;
}

void Library::Detach() {
  RecordVersion();
  switch (CurrentMode()) {
    case Mode::Nt:
      process_.CloseHandle(device_);
      device_ = platform::InvalidHandleValue;
      if (--process_.SharedCounter(kAttachCount) == 0 && removeAtEnd_) RemoveService();
      break;
    case Mode::Win9x:
      Detach9x();
      break;
    case Mode::Inactive:
      break;
  }
}

std::string Library::SystemDirectory() {
  char buffer[kSystemDirectorySize] = {};
  const std::uint32_t length = process_.GetSystemDirectoryA(buffer, sizeof buffer);
  return length < sizeof buffer ? std::string(buffer, length) : std::string();
}

bool Library::AttachNt() {
  if (++process_.SharedCounter(kAttachCount) == 1)
    return OpenOrInstall(kServiceName, SystemDirectory() + kDriverImage);
  // Later processes keep whatever the open gives; exports check the handle.
  device_ = process_.CreateFileA(std::string("\\\\.\\") + kServiceName, platform::GenericRead | platform::GenericWrite,
                                 platform::FileShareRead | platform::FileShareWrite, platform::OpenExisting, 0);
  return true;
}

bool Library::OpenOrInstall(const std::string& service, const std::string& imagePath) {
  const std::string devicePath = "\\\\.\\" + service;
  const auto openExclusive = [&] {
    return process_.CreateFileA(devicePath, platform::GenericRead | platform::GenericWrite, 0,
                                platform::OpenExisting, platform::FileAttributeNormal);
  };
  device_ = openExclusive();
  if (device_ != platform::InvalidHandleValue) {
    removeAtEnd_ = 0;
    return true;
  }
  const platform::ScHandle manager = process_.OpenSCManagerA(nullptr, nullptr, platform::ScManagerAllAccess);
  // Creation fails harmlessly when the service exists already, and a start
  // that fails is not reported by itself: only the second open decides.
  const platform::ScHandle created = process_.CreateServiceA(
      manager, service, service, platform::ServiceAllAccess, platform::ServiceKernelDriver,
      platform::ServiceDemandStart, platform::ServiceErrorNormal, imagePath);
  if (created != platform::NullScHandle) process_.CloseServiceHandle(created);
  const platform::ScHandle opened = process_.OpenServiceA(manager, service, platform::ServiceAllAccess);
  if (opened != platform::NullScHandle) {
    process_.StartServiceA(opened);
    process_.CloseServiceHandle(opened);
  }
  device_ = openExclusive();
  if (manager != platform::NullScHandle) process_.CloseServiceHandle(manager);
  return device_ != platform::InvalidHandleValue;
}

void Library::RemoveService() {
  const platform::ScHandle manager = process_.OpenSCManagerA(nullptr, nullptr, platform::ScManagerAllAccess);
  if (manager == platform::NullScHandle) return;
  platform::ScHandle service = process_.OpenServiceA(manager, kServiceName, platform::ServiceAllAccess);
  if (service != platform::NullScHandle) {
    platform::ServiceStatus status;
    process_.ControlService(service, platform::ServiceControlStop, status);
    process_.CloseServiceHandle(service);
  }
  service = process_.OpenServiceA(manager, kServiceName, platform::ServiceAllAccess);
  if (service != platform::NullScHandle) {
    process_.DeleteService(service);
    process_.CloseServiceHandle(service);
  }
  process_.CloseServiceHandle(manager);
}

bool Library::Attach9x() {
  prtenu32_ = process_.LoadLibraryA(kPrtenu32);
  if (prtenu32_ != platform::NullModule) {
    prtenu32Count_ = platform::EntryPointAs<std::int32_t()>(process_.GetProcAddress(prtenu32_, "GetParallelPortCount"));
    prtenu32Info_ = platform::EntryPointAs<std::int32_t(std::int32_t, void*)>(
        process_.GetProcAddress(prtenu32_, "GetParallelPortInfo"));
    if (!prtenu32Count_ || !prtenu32Info_) {
      process_.FreeLibrary(prtenu32_);
      prtenu32_ = platform::NullModule;
      prtenu32Count_ = nullptr;
      prtenu32Info_ = nullptr;
      return false;
    }
  }
  device_ = process_.CreateFileA(kVxdPath, platform::GenericRead | platform::GenericWrite,
                                 platform::FileShareRead | platform::FileShareWrite, platform::OpenExisting,
                                 platform::FileFlagDeleteOnClose);
  return true;
}

void Library::Detach9x() {
  if (prtenu32_ != platform::NullModule) process_.FreeLibrary(prtenu32_);
  prtenu32_ = platform::NullModule;
  prtenu32Count_ = nullptr;
  prtenu32Info_ = nullptr;
  for (std::size_t slot = 0; slot < kClaimSlots; ++slot)
    if (claimed_[slot] != 0) ReleaseParallelPort(static_cast<std::int32_t>(claimed_[slot]));
  if (device_ != platform::InvalidHandleValue) process_.CloseHandle(device_);
  device_ = platform::InvalidHandleValue;
}

std::int32_t Library::SendGrantRequest(std::uint32_t code, platform::Handle process, std::uint32_t first,
                                       std::uint32_t second) {
  const platform::Handle current = process_.GetCurrentProcess();
  platform::Handle duplicate = platform::InvalidHandleValue;
  if (!process_.DuplicateHandle(current, process == 0 ? current : process, current, &duplicate,
                                platform::ProcessAllAccess, false, 0))
    return 0;
  const std::uint32_t request[3] = {first, second, duplicate};
  std::uint32_t status = 0;
  std::uint32_t returned = 0;
  if (!process_.DeviceIoControl(device_, code, request, sizeof request, &status, sizeof status, &returned)) {
    // Closing the duplicate must not overwrite the request's last error.
    const std::uint32_t error = process_.GetLastError();
    process_.CloseHandle(duplicate);
    process_.SetLastError(error);
    return 0;
  }
  if (status == 1 || status == 2) {
    process_.SetLastError(status == 1 ? LPTBRIDGE_ERROR_PORT_HELD : LPTBRIDGE_ERROR_REFUSED);
    process_.CloseHandle(duplicate);
    return 0;
  }
  process_.Sleep(kClaimPauseMilliseconds);
  process_.CloseHandle(duplicate);
  return 1;
}

bool Library::SendVxdRequest(std::uint32_t code, std::int32_t port) {
  char name[] = "LPT ";
  name[3] = static_cast<char>(48 + port);
  return process_.DeviceIoControl(device_, code, name, 4, nullptr, 0, nullptr);
}

std::int32_t Library::ClaimParallelPort(std::int32_t port, std::int32_t value) {
  return ClaimParallelPortEx(0, port, value);
}

std::int32_t Library::ClaimParallelPortEx(platform::Handle process, std::int32_t port, std::int32_t value) {
  if (device_ == platform::InvalidHandleValue) return 0;
  switch (CurrentMode()) {
    case Mode::Nt:
      return SendGrantRequest(kIoctlClaim, process, static_cast<std::uint32_t>(port),
                              static_cast<std::uint32_t>(value));
    case Mode::Win9x: {
      const bool claimed = SendVxdRequest(kVxdClaim, port);
      if (!claimed) process_.SetLastError(LPTBRIDGE_ERROR_REFUSED);
      // Recorded whatever the outcome, so that detach releases it.
      auto slot = std::find(claimed_.begin(), claimed_.end(), 0u);
      if (slot != claimed_.end()) *slot = static_cast<std::uint32_t>(port);
      return claimed ? 1 : 0;
    }
    case Mode::Inactive:
      return 0;
  }
  return 0;
}

std::int32_t Library::EnableIOPortRange(platform::Handle process, std::int32_t first, std::int32_t second) {
  if (device_ == platform::InvalidHandleValue) return 0;
  switch (CurrentMode()) {
    case Mode::Nt:
      return SendGrantRequest(kIoctlEnableRange, process, static_cast<std::uint32_t>(first),
                              static_cast<std::uint32_t>(second));
    case Mode::Win9x:
      return 1;
    case Mode::Inactive:
      return 0;
  }
  return 0;
}

std::int32_t Library::GetParallelPortCount() {
  if (device_ == platform::InvalidHandleValue) return 0;
  switch (CurrentMode()) {
    case Mode::Nt: {
      std::uint32_t buffer = 0;
      std::uint32_t returned = 0;
      process_.DeviceIoControl(device_, kIoctlQuery, &buffer, sizeof buffer, &buffer, sizeof buffer, &returned);
      return static_cast<std::int32_t>(buffer);
    }
    case Mode::Win9x:
      return prtenu32Count_ ? prtenu32Count_() : 0;
    case Mode::Inactive:
      return 0;
  }
  return 0;
}

std::int32_t Library::GetParallelPortInfo(std::int32_t port, ParallelPortInfo* record) {
  // A null record, or port 0 (whose query answers the port count over the
  // record's size field), would be reported as a filled record.
  if (device_ == platform::InvalidHandleValue || record == nullptr || port < 1) return 0;
  const std::uint32_t size = record->structSize;
  if (size == 0 || size >= kMaxStructSize) return 0;
  switch (CurrentMode()) {
    case Mode::Nt: {
      std::uint32_t returned = 0;
      return process_.DeviceIoControl(device_, kIoctlQuery, &port, sizeof port, record, size, &returned) ? 1 : 0;
    }
    case Mode::Win9x:
      return prtenu32Info_ ? prtenu32Info_(port, record) : 0;
    case Mode::Inactive:
      return 0;
  }
  return 0;
}

std::int32_t Library::ReleaseParallelPort(std::int32_t port) {
  if (device_ == platform::InvalidHandleValue) return 0;
  switch (CurrentMode()) {
    case Mode::Nt: {
      const std::uint32_t request = static_cast<std::uint32_t>(port);
      std::uint32_t ignored = 0;
      std::uint32_t returned = 0;
      return process_.DeviceIoControl(device_, kIoctlRelease, &request, sizeof request, &ignored, sizeof ignored,
                                      &returned)
                 ? 1
                 : 0;
    }
    case Mode::Win9x: {
      const bool released = SendVxdRequest(kVxdRelease, port);
      auto slot = std::find(claimed_.begin(), claimed_.end(), static_cast<std::uint32_t>(port));
      if (slot != claimed_.end()) *slot = 0;
      return released ? 1 : 0;
    }
    case Mode::Inactive:
      return 0;
  }
  return 0;
}

}  // namespace lptbridge
