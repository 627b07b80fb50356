#include "sim/SmbusAlert.h"

namespace sim {

bool AlertResponder::AlertLine() {
  for (auto& [address, source] : sources_)
    if (source->AlertAsserted()) return true;
  return false;
}

bool AlertResponder::Start(bool read) {
  answering_ = nullptr;
  if (!read) return false;
  for (auto& [address, source] : sources_) {
    if (!source->AlertAsserted()) continue;
    answering_ = source;
    answeringAddress_ = address;
    return true;
  }
  return false;
}

std::uint8_t AlertResponder::ReadByte() {
  if (!answering_) return 0xFF;
  answering_->AlertAnswered();
  answering_ = nullptr;
  return static_cast<std::uint8_t>(answeringAddress_ << 1);
}

}  // namespace sim
