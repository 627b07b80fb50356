// Pending: the on-board medium. These members keep their interface and do no
// I/O until the host-controller code arrives.
#include "comport/SMBus.h"

namespace comport {

double SMBus::ReadPCI(std::uint8_t, std::uint8_t, std::uint8_t, std::uint8_t) { return 0; }
void SMBus::WritePCI(std::uint8_t, std::uint8_t, std::uint8_t, std::uint8_t, std::uint8_t) {}
std::int32_t SMBus::ReadBase(double) { return 0; }
void SMBus::WriteBase(std::int32_t, std::int32_t) {}
Boolean SMBus::DevicePresent(std::uint8_t) { return kFalse; }
void SMBus::PortWrite(std::uint8_t, std::uint8_t, std::uint8_t) {}
std::uint8_t SMBus::PortRead(std::uint8_t, std::uint8_t) { return 0; }

}  // namespace comport
