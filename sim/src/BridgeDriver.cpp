#include "sim/BridgeDriver.h"

#include <algorithm>
#include <cstring>

#include "platform/WinTypes.h"
#include "sim/Machine.h"
#include "sim/Process.h"

namespace sim {

namespace {

constexpr std::uint32_t kErrorInvalidFunction = 1;
constexpr std::uint16_t kPortRegisters = 3;

std::uint32_t Word(std::span<const std::uint8_t> bytes, std::size_t index) {
  std::uint32_t value = 0;
  std::memcpy(&value, bytes.data() + index * 4, sizeof value);
  return value;
}

void PutWord(std::span<std::uint8_t> bytes, std::size_t index, std::uint32_t value) {
  std::memcpy(bytes.data() + index * 4, &value, sizeof value);
}

}  // namespace

bool BridgeDriver::Control(Process& caller, std::uint32_t code, std::span<const std::uint8_t> in,
                           std::span<std::uint8_t> out, std::uint32_t& bytesReturned, std::uint32_t& error) {
  bytesReturned = 0;
  switch (code) {
    case kClaim:
      return Claim(caller, in, out, bytesReturned, error);
    case kRelease:
      return Release(caller, in, error);
    case kQuery:
      return Query(in, out, bytesReturned, error);
    case kEnableRange:
      return EnableRange(caller, in, out, bytesReturned, error);
    default:
      error = kErrorInvalidFunction;
      return false;
  }
}

bool BridgeDriver::Claim(Process& caller, std::span<const std::uint8_t> in, std::span<std::uint8_t> out,
                         std::uint32_t& bytesReturned, std::uint32_t& error) {
  if (in.size() < 12 || out.size() < 4) {
    error = platform::ErrorInvalidParameter;
    return false;
  }
  const auto port = static_cast<std::int32_t>(Word(in, 0));
  Process* holder = caller.ResolveProcessHandle(Word(in, 2));
  if (!holder) {
    error = platform::ErrorInvalidHandle;
    return false;
  }
  std::uint32_t status = kGranted;
  const bool held = std::any_of(grants_.begin(), grants_.end(),
                                [&](const Grant& g) { return g.port == port && g.holder == holder->Pid(); });
  switch (machine_.Arbiter().Claim(port, holder->Pid())) {
    case PortArbiter::Outcome::Granted: {
      // The holder claiming its port again keeps its one grant: one release
      // gives the port back.
      if (held) break;
      const std::uint16_t base = machine_.ParallelPortNumber(port).Base();
      holder->GrantPorts(base, kPortRegisters);
      grants_.push_back({port, base, kPortRegisters, holder->Pid(), caller.Pid()});
      break;
    }
    case PortArbiter::Outcome::HeldByOther:
      status = kHeldByOther;
      break;
    case PortArbiter::Outcome::NoSuchPort:
      status = kRefused;
      break;
  }
  PutWord(out, 0, status);
  bytesReturned = 4;
  return true;
}

bool BridgeDriver::Release(Process& caller, std::span<const std::uint8_t> in, std::uint32_t& error) {
  if (in.size() < 4) {
    error = platform::ErrorInvalidParameter;
    return false;
  }
  const auto port = static_cast<int>(Word(in, 0));
  auto grant = std::find_if(grants_.begin(), grants_.end(), [&](const Grant& g) {
    return g.port == port && port != 0 && (g.holder == caller.Pid() || g.requester == caller.Pid());
  });
  if (grant == grants_.end()) {
    error = platform::ErrorInvalidParameter;
    return false;
  }
  Revoke(*grant);
  grants_.erase(grant);
  return true;
}

bool BridgeDriver::Query(std::span<const std::uint8_t> in, std::span<std::uint8_t> out,
                         std::uint32_t& bytesReturned, std::uint32_t& error) {
  if (in.size() < 4 || out.size() < 4) {
    error = platform::ErrorInvalidParameter;
    return false;
  }
  const auto index = static_cast<std::int32_t>(Word(in, 0));
  if (index == 0) {
    PutWord(out, 0, static_cast<std::uint32_t>(machine_.ParallelPortCount()));
    bytesReturned = 4;
    return true;
  }
  if (index < 1 || index > machine_.ParallelPortCount()) {
    error = platform::ErrorInvalidParameter;
    return false;
  }
  if (out.size() < 8) {
    error = platform::ErrorInsufficientBuffer;
    return false;
  }
  const ParallelPort& port = machine_.ParallelPortNumber(index);
  PutWord(out, 0, static_cast<std::uint32_t>(out.size()));
  PutWord(out, 1, port.Base());
  if (out.size() >= 12) PutWord(out, 2, port.Irq());
  bytesReturned = static_cast<std::uint32_t>(std::min<std::size_t>(out.size(), 12));
  return true;
}

bool BridgeDriver::EnableRange(Process& caller, std::span<const std::uint8_t> in, std::span<std::uint8_t> out,
                               std::uint32_t& bytesReturned, std::uint32_t& error) {
  if (in.size() < 12 || out.size() < 4) {
    error = platform::ErrorInvalidParameter;
    return false;
  }
  const std::uint32_t first = Word(in, 0);
  const std::uint32_t last = Word(in, 1);
  Process* holder = caller.ResolveProcessHandle(Word(in, 2));
  if (!holder) {
    error = platform::ErrorInvalidHandle;
    return false;
  }
  std::uint32_t status = kRefused;
  if (first <= last && last <= 0xFFFF) {
    const auto base = static_cast<std::uint16_t>(first);
    const std::uint32_t count = last - first + 1;
    holder->GrantPorts(base, count);
    grants_.push_back({0, base, count, holder->Pid(), caller.Pid()});
    status = kGranted;
  }
  PutWord(out, 0, status);
  bytesReturned = 4;
  return true;
}

void BridgeDriver::Revoke(const Grant& grant) {
  if (grant.port != 0) machine_.Arbiter().Release(grant.port, grant.holder);
  if (Process* holder = machine_.FindProcess(grant.holder)) holder->RevokePorts(grant.first, grant.count);
}

void BridgeDriver::Cleanup(Process& caller) {
  auto made = std::stable_partition(grants_.begin(), grants_.end(),
                                    [&](const Grant& g) { return g.requester != caller.Pid(); });
  for (auto it = made; it != grants_.end(); ++it) Revoke(*it);
  grants_.erase(made, grants_.end());
}

}  // namespace sim
