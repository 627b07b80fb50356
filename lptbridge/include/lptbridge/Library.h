#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "LptBridge.h"
#include "platform/Process.h"

namespace lptbridge {

enum class Mode { Nt, Win9x, Inactive };

// The library's state in one process and everything its exports do apart
// from the port instructions. The exported functions act on the instance of
// the running process; tests may run several instances, one per virtual
// process, against one machine.
class Library {
 public:
  static constexpr std::size_t kClaimSlots = 10;
  static constexpr const char* kServiceName = "LptBridge";
  static constexpr const char* kVxdPath = "\\\\.\\LBridge.vxd";
  static constexpr const char* kPrtenu32 = "PRTENU32.DLL";
  static constexpr std::uint32_t kIoctlClaim = 0x83012400;
  static constexpr std::uint32_t kIoctlRelease = 0x83012404;
  static constexpr std::uint32_t kIoctlQuery = 0x83012408;
  static constexpr std::uint32_t kIoctlEnableRange = 0x8301240C;
  static constexpr std::uint32_t kVxdClaim = 1;
  static constexpr std::uint32_t kVxdRelease = 2;

  explicit Library(platform::Process& process);

  // Process attach: false means the library does not load (the caller then
  // runs Detach, as the loader does).
  bool Attach();
  void Detach();

  Mode CurrentMode() const;
  platform::Handle DeviceHandle() const { return device_; }
  bool RemoveAtEnd() const { return removeAtEnd_ != 0; }
  const std::array<std::uint32_t, kClaimSlots>& ClaimedPorts() const { return claimed_; }

  std::int32_t ClaimParallelPort(std::int32_t port, std::int32_t value);
  std::int32_t ClaimParallelPortEx(platform::Handle process, std::int32_t port, std::int32_t value);
  std::int32_t EnableIOPortRange(platform::Handle process, std::int32_t first, std::int32_t second);
  std::int32_t GetParallelPortCount();
  std::int32_t GetParallelPortInfo(std::int32_t port, ParallelPortInfo* record);
  std::int32_t ReleaseParallelPort(std::int32_t port);

 private:
  void RecordVersion();
  bool OpenOrInstall(const std::string& service, const std::string& imagePath);
  void RemoveService();
  bool AttachNt();
  bool Attach9x();
  void Detach9x();
  std::string SystemDirectory();
  std::int32_t SendGrantRequest(std::uint32_t code, platform::Handle process, std::uint32_t first,
                                std::uint32_t second);
  bool SendVxdRequest(std::uint32_t code, std::int32_t port);

  platform::Process& process_;
  std::uint32_t platformId_ = 0;
  std::uint32_t majorVersion_ = 0;
  platform::Handle device_ = platform::InvalidHandleValue;
  std::uint32_t removeAtEnd_ = 1;
  platform::ModuleHandle prtenu32_ = platform::NullModule;
  std::function<std::int32_t()> prtenu32Count_;
  std::function<std::int32_t(std::int32_t, void*)> prtenu32Info_;
  std::array<std::uint32_t, kClaimSlots> claimed_{};
};

}  // namespace lptbridge
