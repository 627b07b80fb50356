// The printer-port model: discovery of the ports, the selected port, and the
// claim and release around every access.
#include <charconv>
#include <optional>

#include "LptBridge.h"
#include "comport/CommunicationsProcedures.h"
#include "comport/RuntimeError.h"

namespace comport::CommunicationsProcedures {

namespace {

using CommonGlobals::State;

// Builds on which the port is reached without a claim through the library.
constexpr long kNoClaimBuilds[] = {950, 1111, 1998, 2222, 3000};

std::uint8_t CountPorts() {
  const std::int32_t count = GetParallelPortCount();
  return count > 0 && count <= 255 ? static_cast<std::uint8_t>(count) : 0;
}

void ReadPortList(CommonGlobals::PrinterPortState& port) {
  port.PortAddresses.assign(port.PortCount, 0);
  for (int number = 1; number <= port.PortCount; ++number) {
    if (auto address = QueryPortAddress(number)) port.PortAddresses[static_cast<std::size_t>(number - 1)] = *address;
  }
}

// The build text as a number; text that is none is the conversion error a
// caller of the component sees.
long BuildNumber(const std::string& text) {
  long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc{} || end != text.data() + text.size()) throw RuntimeError::TypeMismatch();
  return value;
}

}  // namespace

std::optional<std::int16_t> QueryPortAddress(std::int32_t portNumber) {
  ParallelPortInfo info{12, 0, 0};
  if (GetParallelPortInfo(portNumber, &info) == 0) return std::nullopt;
  return static_cast<std::int16_t>(info.portAddress & 0xFFFF);
}

void InitCommunications() {
  auto& port = State().Port;
  if (port.Initialised) return;
  const long build = BuildNumber(GetWindowsBuildText());
  port.NoClaimNeeded = kFalse;
  for (long listed : kNoClaimBuilds)
    if (build == listed) port.NoClaimNeeded = kTrue;
  port.PortCount = CountPorts();
  if (port.PortCount > 0) {
    if (auto first = QueryPortAddress(1)) port.PortAddress = *first;
    ReadPortList(port);
  }
  port.Initialised = kTrue;
}

void RefreshPortList() {
  auto& port = State().Port;
  const std::uint8_t count = CountPorts();
  if (count == port.PortCount) return;
  port.PortCount = count;
  ReadPortList(port);
}

bool OpenPort() {
  auto& port = State().Port;
  if (port.PortCount == 0) {
    port.PortClaimed = kFalse;
    return false;
  }
  if (port.NoClaimNeeded) {
    port.PortClaimed = kTrue;
    return true;
  }
  if (port.PortClaimed) ClosePort();
  port.PortClaimed = ToBoolean(ClaimParallelPort(port.PortAddressIndex + 1, -1) != 0);
  return port.PortClaimed != 0;
}

void ClosePort() {
  auto& port = State().Port;
  if (port.PortClaimed && !port.NoClaimNeeded) ReleaseParallelPort(port.PortAddressIndex + 1);
  port.PortClaimed = kFalse;
  port.LockPortOpen = kFalse;
}

void FindPortByAddress(std::int16_t address) {
  auto& port = State().Port;
  if (port.PortCount == 0) {
    port.PortClaimed = kFalse;
    return;
  }
  for (int number = 1; number <= port.PortCount; ++number) {
    if (QueryPortAddress(number) == address) {
      port.PortAddressIndex = static_cast<std::uint8_t>(number - 1);
      port.PortAddress = address;
      return;
    }
  }
}

bool PortHeld() {
  const auto& port = State().Port;
  return port.PortClaimed || port.LockPortOpen;
}

void Portout(std::int32_t address, std::uint8_t value) {
  if (PortHeld()) {
    OutByte(address, value);
    return;
  }
  if (!OpenPort()) return;
  OutByte(address, value);
  if (!State().Port.LockPortOpen) ClosePort();
}

std::uint8_t Portin(std::int32_t address) {
  if (!PortHeld()) return 0;
  return static_cast<std::uint8_t>(InByte(address));
}

}  // namespace comport::CommunicationsProcedures
