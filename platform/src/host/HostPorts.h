#pragma once

#include <cstdint>

namespace platform::host {

// The processor's port instructions and the kernel's permission bitmap.
bool PortInstructionsAvailable();
bool SetPortPermission(std::uint16_t first, std::uint32_t count, bool allowed);
std::uint8_t PortIn8(std::uint16_t port);
std::uint16_t PortIn16(std::uint16_t port);
std::uint32_t PortIn32(std::uint16_t port);
void PortOut8(std::uint16_t port, std::uint8_t value);
void PortOut16(std::uint16_t port, std::uint16_t value);
void PortOut32(std::uint16_t port, std::uint32_t value);

}  // namespace platform::host
