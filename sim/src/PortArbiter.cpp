#include "sim/PortArbiter.h"

namespace sim {

PortArbiter::Outcome PortArbiter::Claim(int port, std::uint32_t holder) {
  if (port < 1 || port > portCount_) return Outcome::NoSuchPort;
  auto [entry, inserted] = holders_.emplace(port, holder);
  if (!inserted && entry->second != holder) return Outcome::HeldByOther;
  return Outcome::Granted;
}

bool PortArbiter::Release(int port, std::uint32_t holder) {
  auto found = holders_.find(port);
  if (found == holders_.end() || found->second != holder) return false;
  holders_.erase(found);
  return true;
}

void PortArbiter::ReleaseAll(std::uint32_t holder) {
  std::erase_if(holders_, [holder](const auto& entry) { return entry.second == holder; });
}

std::uint32_t PortArbiter::Holder(int port) const {
  auto found = holders_.find(port);
  return found == holders_.end() ? 0 : found->second;
}

}  // namespace sim
