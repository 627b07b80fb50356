#pragma once

#include <memory>
#include <string>

#include "platform/Process.h"

namespace platform {

// A process of the user's shared virtual PC: one machine in a server process
// (qtsvpc) that every program of the user attaches to, started by the first
// program that asks for it. `options` are the virtual PC's options; they
// configure a machine that starts now and must match a running one (empty
// takes the running machine as it is). Throws BackendUnavailable saying why.
std::shared_ptr<Process> CreateSharedProcess(const std::string& options);

}  // namespace platform
