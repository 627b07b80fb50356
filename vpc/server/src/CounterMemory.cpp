#include "vpcserver/CounterMemory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "vpc/Protocol.h"

namespace vpcserver {

CounterMemory::CounterMemory() : file_(::memfd_create("qtsvpc-counters", MFD_CLOEXEC)) {
  // A new memory file reads as zeros: every counter starts at 0.
  if (!file_ || ::ftruncate(file_.Get(), vpc::kCounterSlots * sizeof(std::int32_t)) != 0)
    throw std::runtime_error(std::string("cannot make the machine-wide counters: ") + std::strerror(errno));
}

CounterMemory::~CounterMemory() = default;

std::uint32_t CounterMemory::Slot(const std::string& name) {
  if (auto found = slots_.find(name); found != slots_.end()) return found->second;
  if (slots_.size() >= vpc::kCounterSlots) return vpc::kCounterSlots;
  const auto slot = static_cast<std::uint32_t>(slots_.size());
  slots_.emplace(name, slot);
  return slot;
}

}  // namespace vpcserver
