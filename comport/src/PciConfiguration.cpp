// PCI configuration mechanism 1 and the word accessors of the host
// controller's ports, all through the platform's word port library.
#include <cmath>

#include "comport/CommonGlobals.h"
#include "comport/CommunicationsProcedures.h"
#include "comport/HardwareSMBus.h"
#include "platform/Current.h"

namespace comport::HardwareSMBus {

namespace {

namespace procedures = CommunicationsProcedures;

// Bits of the address port that the address keeps: reserved bits 30-24 and
// the type bits 1-0.
constexpr std::int32_t kKeptAddressBits = 0x7F000003;
constexpr double kEnableBit = 2147483648.0;
constexpr std::int32_t kPortsPerOpen = 4;

}  // namespace

double ConfigurationAddress(std::uint8_t bus, std::uint8_t device, std::uint8_t function, std::uint8_t offset) {
  const std::int32_t kept = platform::Current().CanInpd(kConfigAddressPort) & kKeptAddressBits;
  double address = procedures::BitOrWide(kept, kEnableBit);
  address = procedures::BitOrWide(address, bus * 65536.0);
  address = procedures::BitOrWide(address, device * 2048.0);
  address = procedures::BitOrWide(address, function * 256.0);
  return procedures::BitOrWide(address, offset);
}

double ReadPCI(std::uint8_t bus, std::uint8_t device, std::uint8_t function, std::uint8_t offset) {
  auto& io = platform::Current();
  io.CanOutpd(kConfigAddressPort, procedures::ToSigned32(ConfigurationAddress(bus, device, function, offset)));
  return io.CanInpd(kConfigDataPort);
}

void WritePCIDword(std::uint8_t bus, std::uint8_t device, std::uint8_t function, std::uint8_t offset, double value) {
  auto& io = platform::Current();
  io.CanOutpd(kConfigAddressPort, procedures::ToSigned32(ConfigurationAddress(bus, device, function, offset)));
  io.CanOutpd(kConfigDataPort, procedures::ToSigned32(value));
}

std::optional<std::int32_t> TryReadBase(std::int32_t port) {
  auto& io = platform::Current();
  if (io.AddMultiPort(port, kPortsPerOpen) == 0) return std::nullopt;
  const auto word = static_cast<std::int16_t>(io.CanInpw(port));
  io.RemovePort(port);
  return word;
}

std::int32_t ReadBase(std::int32_t port) { return TryReadBase(port).value_or(0); }

void WriteBase(std::int32_t port, std::int32_t value) {
  auto& io = platform::Current();
  if (io.AddMultiPort(port, kPortsPerOpen) == 0) return;
  io.CanOutpw(port, value);
  io.RemovePort(port);
}

std::optional<std::int32_t> ReadBaseBytes(std::int32_t port) {
  auto& io = platform::Current();
  if (io.AddMultiPort(port, kPortsPerOpen) == 0) return std::nullopt;
  const auto low = io.CanInp(port) & 0xFF;
  const auto high = io.CanInp(port + 1) & 0xFF;
  io.RemovePort(port);
  return static_cast<std::int16_t>(low | (high << 8));
}

void WriteBaseByte(std::int32_t port, std::uint8_t value) {
  auto& io = platform::Current();
  if (io.AddMultiPort(port, kPortsPerOpen) == 0) return;
  io.CanOutp(port, value);
  io.RemovePort(port);
}

std::optional<std::int32_t> HostRegisterPort(std::int32_t offset) {
  const std::int64_t port = std::int64_t{CommonGlobals::State().OnBoard.SMBusBaseAddress} + offset;
  if (port < 0 || port > 0xFFFF) return std::nullopt;
  return static_cast<std::int32_t>(port);
}

}  // namespace comport::HardwareSMBus
