#include "sim/PciFunction.h"

namespace sim {

PciFunction::PciFunction(std::uint32_t identification) { registers_[0] = identification; }

std::uint32_t PciFunction::Read(std::uint8_t offset) const { return registers_[offset >> 2]; }

void PciFunction::Write(std::uint8_t offset, std::uint32_t value, std::uint8_t byteEnables) {
  std::uint32_t lanes = 0;
  for (int byte = 0; byte < 4; ++byte)
    if (byteEnables & (1u << byte)) lanes |= 0xFFu << (8 * byte);
  const std::size_t index = offset >> 2;
  const std::uint32_t mask = lanes & writable_[index];
  registers_[index] = (registers_[index] & ~mask) | (value & mask);
  if (onWrite_) onWrite_(static_cast<std::uint8_t>(offset & 0xFC));
}

void PciFunction::Preset(std::uint8_t offset, std::uint32_t value, std::uint32_t writable) {
  registers_[offset >> 2] = value;
  writable_[offset >> 2] = writable;
}

}  // namespace sim
