#include "sim/Prtenu32.h"

#include <cstring>

#include "sim/Machine.h"

namespace sim {

namespace {

std::int32_t PortInfo(Machine& machine, std::int32_t port, void* record) {
  if (!record || port < 1 || port > machine.ParallelPortCount()) return 0;
  std::uint32_t size = 0;
  std::memcpy(&size, record, sizeof size);
  if (size < 8) return 0;
  const ParallelPort& parallel = machine.ParallelPortNumber(port);
  const std::uint32_t address = parallel.Base();
  std::memcpy(static_cast<char*>(record) + 4, &address, sizeof address);
  if (size >= 12) {
    const std::uint32_t irq = parallel.Irq();
    std::memcpy(static_cast<char*>(record) + 8, &irq, sizeof irq);
  }
  return 1;
}

}  // namespace

platform::ProcAddress Prtenu32EntryPoint(const std::shared_ptr<Machine>& machine, const std::string& name) {
  const Prtenu32Presence presence = machine->Options().prtenu32;
  if (name == "GetParallelPortCount" && presence != Prtenu32Presence::WithoutCount)
    return std::make_shared<platform::TypedEntryPoint<Prtenu32Count>>(
        [machine] { return static_cast<std::int32_t>(machine->ParallelPortCount()); });
  if (name == "GetParallelPortInfo" && presence != Prtenu32Presence::WithoutInfo)
    return std::make_shared<platform::TypedEntryPoint<Prtenu32Info>>(
        [machine](std::int32_t port, void* record) { return PortInfo(*machine, port, record); });
  return nullptr;
}

}  // namespace sim
