#pragma once

#include <memory>

#include "platform/Process.h"

namespace platform {

// This Linux machine: real port instructions, parallel ports from the kernel's
// parport subsystem. Throws BackendUnavailable when it cannot be used here.
std::shared_ptr<Process> CreateHostProcess();

}  // namespace platform
