#include "RecordingProcess.h"

#include <cstdio>
#include <cstring>

namespace comport::testing {

namespace {
// Claim and release requests of the NT driver and of the 95-family VxD.
constexpr std::uint32_t kDriverClaim = 0x83012400;
constexpr std::uint32_t kDriverRelease = 0x83012404;
constexpr std::uint32_t kVxdClaim = 1;
constexpr std::uint32_t kVxdRelease = 2;
}  // namespace

std::string Describe(const PortEvent& event) {
  static constexpr const char* kNames[] = {"claim", "release", "in", "out"};
  char text[48];
  std::snprintf(text, sizeof text, "%s %X %02X", kNames[static_cast<int>(event.kind)], event.port, event.value);
  return text;
}

bool RecordingProcess::DeviceIoControl(platform::Handle device, std::uint32_t ioControlCode, const void* inBuffer,
                                       std::uint32_t inSize, void* outBuffer, std::uint32_t outSize,
                                       std::uint32_t* bytesReturned) {
  const bool ok = inner_->DeviceIoControl(device, ioControlCode, inBuffer, inSize, outBuffer, outSize, bytesReturned);
  std::uint32_t port = 0;
  if ((ioControlCode == kDriverClaim || ioControlCode == kDriverRelease) && inSize >= 4) {
    std::memcpy(&port, inBuffer, 4);
  } else if ((ioControlCode == kVxdClaim || ioControlCode == kVxdRelease) && inSize == 4) {
    port = static_cast<std::uint32_t>(static_cast<const char*>(inBuffer)[3] - '0');
  } else {
    return ok;
  }
  const bool claim = ioControlCode == kDriverClaim || ioControlCode == kVxdClaim;
  log_.push_back({claim ? PortEvent::Kind::Claim : PortEvent::Kind::Release, static_cast<std::uint16_t>(port), 0});
  return ok;
}

std::uint8_t RecordingProcess::In8(std::uint16_t port) {
  const std::uint8_t value = inner_->In8(port);
  log_.push_back({PortEvent::Kind::In, port, value});
  return value;
}

void RecordingProcess::Out8(std::uint16_t port, std::uint8_t value) {
  inner_->Out8(port, value);
  log_.push_back({PortEvent::Kind::Out, port, value});
}

}  // namespace comport::testing
