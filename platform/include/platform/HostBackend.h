#pragma once

#include <memory>
#include <string>

#include "platform/Process.h"

namespace platform {

// This Linux machine, with least privilege: printer ports through the
// kernel's parport subsystem (ppdev), the on-board SMBus through the kernel's
// I2C adapter. `options` is "key=value,..." (HostOptionHelp lists them).
// Throws BackendUnavailable with what the user can do when it cannot be had.
std::shared_ptr<Process> CreateHostProcess(const std::string& options = "");

// The host backend's options, one "key=VALUE  meaning" line each.
std::string HostOptionHelp();

}  // namespace platform
