#include "platform/SharedBackend.h"

#include "SharedProcess.h"

namespace platform {

std::shared_ptr<Process> CreateSharedProcess(const std::string& options) {
  return std::make_shared<shared::SharedProcess>(options);
}

}  // namespace platform
