#include "HostPorts.h"

#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#define QTS_HAVE_PORT_INSTRUCTIONS 1
#endif

namespace platform::host {

#if QTS_HAVE_PORT_INSTRUCTIONS

bool PortInstructionsAvailable() { return true; }

bool SetPortPermission(std::uint16_t first, std::uint32_t count, bool allowed) {
  return ioperm(first, count, allowed ? 1 : 0) == 0;
}

std::uint8_t PortIn8(std::uint16_t port) { return inb(port); }
std::uint16_t PortIn16(std::uint16_t port) { return inw(port); }
std::uint32_t PortIn32(std::uint16_t port) { return inl(port); }
void PortOut8(std::uint16_t port, std::uint8_t value) { outb(value, port); }
void PortOut16(std::uint16_t port, std::uint16_t value) { outw(value, port); }
void PortOut32(std::uint16_t port, std::uint32_t value) { outl(value, port); }

#else

// Processors without I/O ports: the backend refuses to start before any of
// these could be reached.
bool PortInstructionsAvailable() { return false; }
bool SetPortPermission(std::uint16_t, std::uint32_t, bool) { return false; }
std::uint8_t PortIn8(std::uint16_t) { return 0xFF; }
std::uint16_t PortIn16(std::uint16_t) { return 0xFFFF; }
std::uint32_t PortIn32(std::uint16_t) { return 0xFFFFFFFFu; }
void PortOut8(std::uint16_t, std::uint8_t) {}
void PortOut16(std::uint16_t, std::uint16_t) {}
void PortOut32(std::uint16_t, std::uint32_t) {}

#endif

}  // namespace platform::host
