// The port driver's requests, played by the kernel's parport subsystem.
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "HostPorts.h"
#include "HostProcess.h"
#include "Notices.h"
#include "platform/WinTypes.h"

namespace platform::host {

namespace {
constexpr std::uint32_t kClaim = 0x83012400, kRelease = 0x83012404, kQuery = 0x83012408,
                        kEnableRange = 0x8301240C;
constexpr std::uint32_t kGranted = 0, kHeldByOther = 1, kRefused = 2;
constexpr std::uint32_t kErrorInvalidFunction = 1;

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

// A claim that the kernel refuses is told to the user once, with what to do:
// the component skips a refused access without a word.
std::uint32_t HostProcess::ClaimPort(std::int32_t port) {
  if (claims_.count(port)) return kGranted;
  const auto ports = EnumerateParports();
  if (port < 1 || port > static_cast<std::int32_t>(ports.size())) return kRefused;
  auto claim = ClaimedParport::Claim(ports[static_cast<std::size_t>(port - 1)], options_.ports);
  switch (claim.outcome) {
    case ClaimedParport::Outcome::Granted:
      claims_[port] = std::move(claim.port);
      return kGranted;
    case ClaimedParport::Outcome::HeldByOther:
      NoticeOnce("held" + std::to_string(port), claim.message + "; it is used again as soon as that program lets it go");
      return kHeldByOther;
    case ClaimedParport::Outcome::Refused:
      break;
  }
  NoticeOnce("refused" + std::to_string(port), claim.message);
  return kRefused;
}

bool HostProcess::ReleasePort(std::int32_t port) { return claims_.erase(port) != 0; }

// Ranges have no driver to go through: they need port instructions, and so
// CAP_SYS_RAWIO.
std::uint32_t HostProcess::EnableRange(std::uint32_t first, std::uint32_t last) {
  if (first > last || last > 0xFFFF) return kRefused;
  const std::uint32_t count = last - first + 1;
  if (!SetPortPermission(static_cast<std::uint16_t>(first), count, true)) {
    NoticeOnce("range", "enabling I/O port ranges needs the CAP_SYS_RAWIO capability (root)");
    return kRefused;
  }
  ranges_.emplace_back(static_cast<std::uint16_t>(first), count);
  return kGranted;
}

void HostProcess::ReleaseEverything() {
  claims_.clear();
  for (const auto& [first, count] : ranges_) SetPortPermission(first, count, false);
  ranges_.clear();
}

}  // namespace platform::host
