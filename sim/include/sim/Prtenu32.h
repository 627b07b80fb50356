#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Libraries.h"

namespace sim {

class Machine;

// Signatures of the 95-family enumeration library's two entry points.
using Prtenu32Count = std::int32_t();
using Prtenu32Info = std::int32_t(std::int32_t port, void* record);

// The entry point of that name, or null when the library lacks it (a fault
// option can strip either). Info fills the port record within its size
// field: the base address at offset 4, the port's IRQ at offset 8.
platform::ProcAddress Prtenu32EntryPoint(const std::shared_ptr<Machine>& machine, const std::string& name);

}  // namespace sim
