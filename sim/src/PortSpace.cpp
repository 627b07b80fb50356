#include "sim/PortSpace.h"

namespace sim {

std::uint16_t PortDevice::Read16(std::uint16_t port) {
  return static_cast<std::uint16_t>(Read8(port) | (Read8(static_cast<std::uint16_t>(port + 1)) << 8));
}

void PortDevice::Write16(std::uint16_t port, std::uint16_t value) {
  Write8(port, static_cast<std::uint8_t>(value));
  Write8(static_cast<std::uint16_t>(port + 1), static_cast<std::uint8_t>(value >> 8));
}

std::uint32_t PortDevice::Read32(std::uint16_t port) {
  return Read16(port) | (static_cast<std::uint32_t>(Read16(static_cast<std::uint16_t>(port + 2))) << 16);
}

void PortDevice::Write32(std::uint16_t port, std::uint32_t value) {
  Write16(port, static_cast<std::uint16_t>(value));
  Write16(static_cast<std::uint16_t>(port + 2), static_cast<std::uint16_t>(value >> 16));
}

PortSpace::PortSpace() : devices_(0x10000, nullptr) {}

void PortSpace::Map(std::uint16_t first, std::uint16_t count, PortDevice& device) {
  for (std::uint32_t port = first; port < first + static_cast<std::uint32_t>(count) && port <= 0xFFFF; ++port)
    devices_[port] = &device;
}

void PortSpace::Unmap(std::uint16_t first, std::uint16_t count) {
  for (std::uint32_t port = first; port < first + static_cast<std::uint32_t>(count) && port <= 0xFFFF; ++port)
    devices_[port] = nullptr;
}

std::uint8_t PortSpace::Read8(std::uint16_t port) {
  PortDevice* device = devices_[port];
  const std::uint8_t value = device ? device->Read8(port) : 0xFF;
  Notify(PortAccess::Direction::In, 8, port, value);
  return value;
}

std::uint16_t PortSpace::Read16(std::uint16_t port) {
  PortDevice* device = devices_[port];
  const std::uint16_t value = device ? device->Read16(port) : 0xFFFF;
  Notify(PortAccess::Direction::In, 16, port, value);
  return value;
}

std::uint32_t PortSpace::Read32(std::uint16_t port) {
  PortDevice* device = devices_[port];
  const std::uint32_t value = device ? device->Read32(port) : 0xFFFFFFFFu;
  Notify(PortAccess::Direction::In, 32, port, value);
  return value;
}

void PortSpace::Write8(std::uint16_t port, std::uint8_t value) {
  Notify(PortAccess::Direction::Out, 8, port, value);
  if (PortDevice* device = devices_[port]) device->Write8(port, value);
}

void PortSpace::Write16(std::uint16_t port, std::uint16_t value) {
  Notify(PortAccess::Direction::Out, 16, port, value);
  if (PortDevice* device = devices_[port]) device->Write16(port, value);
}

void PortSpace::Write32(std::uint16_t port, std::uint32_t value) {
  Notify(PortAccess::Direction::Out, 32, port, value);
  if (PortDevice* device = devices_[port]) device->Write32(port, value);
}

}  // namespace sim
