#include "platform/HostBackend.h"

#include "host/HostPorts.h"
#include "host/HostProcess.h"
#include "platform/Current.h"

namespace platform {

std::shared_ptr<Process> CreateHostProcess() {
  if (!host::PortInstructionsAvailable())
    throw BackendUnavailable("this processor has no I/O port instructions; use the virtual PC (QTS_MACHINE=sim)");
  // Port 0x80 is the POST code port: asking for it and giving it back at
  // once proves the process may open ports at all.
  if (!host::SetPortPermission(0x80, 1, true))
    throw BackendUnavailable(
        "this process may not use I/O ports: the host backend needs root or the CAP_SYS_RAWIO capability "
        "(or use the virtual PC: unset QTS_MACHINE or set QTS_MACHINE=sim)");
  host::SetPortPermission(0x80, 1, false);
  return std::make_shared<host::HostProcess>();
}

}  // namespace platform
