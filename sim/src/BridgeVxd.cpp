#include "sim/BridgeVxd.h"

#include "platform/WinTypes.h"
#include "sim/Machine.h"
#include "sim/Process.h"

namespace sim {

namespace {
constexpr std::uint32_t kErrorInvalidFunction = 1;

// "LPTn" with n = '0' + port number; 0 when the name is not of that form.
int PortFromName(std::span<const std::uint8_t> name) {
  if (name.size() < 4 || name[0] != 'L' || name[1] != 'P' || name[2] != 'T') return 0;
  return static_cast<int>(name[3]) - '0';
}
}  // namespace

bool BridgeVxd::Control(Process& caller, std::uint32_t code, std::span<const std::uint8_t> in,
                        std::span<std::uint8_t>, std::uint32_t& bytesReturned, std::uint32_t& error) {
  bytesReturned = 0;
  const int port = PortFromName(in);
  switch (code) {
    case kClaim:
      switch (machine_.Arbiter().Claim(port, caller.Pid())) {
        case PortArbiter::Outcome::Granted:
          return true;
        case PortArbiter::Outcome::HeldByOther:
          error = platform::ErrorBusy;
          return false;
        case PortArbiter::Outcome::NoSuchPort:
          error = platform::ErrorInvalidParameter;
          return false;
      }
      return false;
    case kRelease:
      if (machine_.Arbiter().Release(port, caller.Pid())) return true;
      error = platform::ErrorInvalidParameter;
      return false;
    default:
      error = kErrorInvalidFunction;
      return false;
  }
}

void BridgeVxd::Cleanup(Process& caller) { machine_.Arbiter().ReleaseAll(caller.Pid()); }

}  // namespace sim
