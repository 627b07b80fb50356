// The port driver's requests and the word port library, played by the
// kernel's parport subsystem and the port permission bitmap.
#include <fcntl.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "HostPorts.h"
#include "HostProcess.h"
#include "platform/WinTypes.h"

namespace platform::host {

namespace {
constexpr std::uint32_t kClaim = 0x83012400, kRelease = 0x83012404, kQuery = 0x83012408,
                        kEnableRange = 0x8301240C;
constexpr std::uint32_t kGranted = 0, kHeldByOther = 1, kRefused = 2;
constexpr std::uint32_t kErrorInvalidFunction = 1;
constexpr std::uint16_t kPortRegisters = 3;
constexpr std::uint16_t kConfigurationPorts = 0xCF8;

std::uint32_t Word(const void* buffer, std::size_t index) {
  std::uint32_t value = 0;
  std::memcpy(&value, static_cast<const char*>(buffer) + index * 4, 4);
  return value;
}

void PutWord(void* buffer, std::size_t index, std::uint32_t value) {
  std::memcpy(static_cast<char*>(buffer) + index * 4, &value, 4);
}
}  // namespace

bool HostProcess::DeviceIoControl(Handle device, std::uint32_t code, const void* in, std::uint32_t inSize, void* out,
                                  std::uint32_t outSize, std::uint32_t* bytesReturned) {
  if (std::find(deviceHandles_.begin(), deviceHandles_.end(), device) == deviceHandles_.end())
    return Fail(ErrorInvalidHandle);
  if ((!in && inSize) || (!out && outSize)) return Fail(ErrorInvalidParameter);
  std::uint32_t returned = 0;
  const auto answer = [&](std::uint32_t status) {
    PutWord(out, 0, status);
    returned = 4;
  };
  switch (code) {
    case kClaim:
      if (inSize < 12 || outSize < 4) return Fail(ErrorInvalidParameter);
      answer(ClaimPort(static_cast<std::int32_t>(Word(in, 0))));
      break;
    case kRelease:
      if (inSize < 4) return Fail(ErrorInvalidParameter);
      if (!ReleasePort(static_cast<std::int32_t>(Word(in, 0)))) return Fail(ErrorInvalidParameter);
      break;
    case kEnableRange:
      if (inSize < 12 || outSize < 4) return Fail(ErrorInvalidParameter);
      answer(EnableRange(Word(in, 0), Word(in, 1)));
      break;
    case kQuery: {
      if (inSize < 4 || outSize < 4) return Fail(ErrorInvalidParameter);
      const auto ports = EnumerateParports();
      const auto index = static_cast<std::int32_t>(Word(in, 0));
      if (index == 0) {
        answer(static_cast<std::uint32_t>(ports.size()));
        break;
      }
      if (index < 1 || index > static_cast<std::int32_t>(ports.size())) return Fail(ErrorInvalidParameter);
      if (outSize < 8) return Fail(ErrorInsufficientBuffer);
      PutWord(out, 0, outSize);
      PutWord(out, 1, ports[static_cast<std::size_t>(index - 1)].base);
      if (outSize >= 12) PutWord(out, 2, static_cast<std::uint32_t>(ports[static_cast<std::size_t>(index - 1)].number));
      returned = std::min<std::uint32_t>(outSize, 12);
      break;
    }
    default:
      return Fail(kErrorInvalidFunction);
  }
  if (bytesReturned) *bytesReturned = returned;
  return true;
}

std::uint32_t HostProcess::ClaimPort(std::int32_t port) {
  if (claims_.count(port)) return kGranted;
  const auto ports = EnumerateParports();
  if (port < 1 || port > static_cast<std::int32_t>(ports.size())) return kRefused;
  const HostParport& parport = ports[static_cast<std::size_t>(port - 1)];
  const std::string path = "/dev/parport" + std::to_string(parport.number);
  const int fd = open(path.c_str(), O_RDWR);
  if (fd < 0) return kRefused;
  if (ioctl(fd, PPEXCL) != 0 || ioctl(fd, PPCLAIM) != 0) {
    const bool busy = errno == EBUSY;
    close(fd);
    return busy ? kHeldByOther : kRefused;
  }
  if (!SetPortPermission(parport.base, kPortRegisters, true)) {
    ioctl(fd, PPRELEASE);
    close(fd);
    return kRefused;
  }
  claims_[port] = {fd, parport.base};
  return kGranted;
}

bool HostProcess::ReleasePort(std::int32_t port) {
  auto found = claims_.find(port);
  if (found == claims_.end()) return false;
  SetPortPermission(found->second.base, kPortRegisters, false);
  ioctl(found->second.fd, PPRELEASE);
  close(found->second.fd);
  claims_.erase(found);
  return true;
}

std::uint32_t HostProcess::EnableRange(std::uint32_t first, std::uint32_t last) {
  if (first > last || last > 0xFFFF) return kRefused;
  const std::uint32_t count = last - first + 1;
  if (!SetPortPermission(static_cast<std::uint16_t>(first), count, true)) return kRefused;
  ranges_.emplace_back(static_cast<std::uint16_t>(first), count);
  return kGranted;
}

void HostProcess::ReleaseEverything() {
  while (!claims_.empty()) ReleasePort(claims_.begin()->first);
  for (const auto& [first, count] : ranges_) SetPortPermission(first, count, false);
  ranges_.clear();
}

bool HostProcess::CanIoOpen(std::int32_t port) {
  if (port == kConfigurationPorts || port == kConfigurationPorts + 4) {
    if (!configurationPortsOpen_) configurationPortsOpen_ = SetPortPermission(kConfigurationPorts, 8, true);
    return configurationPortsOpen_;
  }
  return std::any_of(canIoRanges_.begin(), canIoRanges_.end(),
                     [port](const auto& range) { return port >= range.first && port < range.first + range.second; });
}

std::int32_t HostProcess::CanInpd(std::int32_t port) {
  return CanIoOpen(port) ? static_cast<std::int32_t>(PortIn32(static_cast<std::uint16_t>(port))) : 0;
}

void HostProcess::CanOutpd(std::int32_t port, std::int32_t value) {
  if (CanIoOpen(port)) PortOut32(static_cast<std::uint16_t>(port), static_cast<std::uint32_t>(value));
}

std::int32_t HostProcess::CanInpw(std::int32_t port) {
  return CanIoOpen(port) ? PortIn16(static_cast<std::uint16_t>(port)) : 0;
}

void HostProcess::CanOutpw(std::int32_t port, std::int32_t value) {
  if (CanIoOpen(port)) PortOut16(static_cast<std::uint16_t>(port), static_cast<std::uint16_t>(value));
}

void HostProcess::CanOutp(std::int32_t port, std::int32_t value) {
  if (CanIoOpen(port)) PortOut8(static_cast<std::uint16_t>(port), static_cast<std::uint8_t>(value));
}

std::int32_t HostProcess::AddMultiPort(std::int32_t port, std::int32_t count) {
  if (port < 0 || count <= 0 || port + count > 0x10000) return 0;
  if (!SetPortPermission(static_cast<std::uint16_t>(port), static_cast<std::uint32_t>(count), true)) return 0;
  canIoRanges_[port] = count;
  return 1;
}

std::int32_t HostProcess::RemovePort(std::int32_t port) {
  auto found = canIoRanges_.find(port);
  if (found == canIoRanges_.end()) return 0;
  SetPortPermission(static_cast<std::uint16_t>(port), static_cast<std::uint32_t>(found->second), false);
  canIoRanges_.erase(found);
  return 1;
}

}  // namespace platform::host
