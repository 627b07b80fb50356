#include "platform/HostBackend.h"

#include "platform/Current.h"

namespace platform {

std::shared_ptr<Process> CreateHostProcess() {
  throw BackendUnavailable(
      "the host backend (real parallel ports through the kernel's parport subsystem) is not part of "
      "this build yet; run on the virtual PC instead (unset QTS_MACHINE or set QTS_MACHINE=sim)");
}

}  // namespace platform
