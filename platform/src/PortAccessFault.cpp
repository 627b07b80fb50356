#include "platform/PortAccessFault.h"

#include <cstdio>
#include <string>

namespace platform {

namespace {
std::string Describe(std::uint16_t port) {
  char text[96];
  std::snprintf(text, sizeof text, "port instruction on I/O port 0x%04X, which is not open to the process",
                port);
  return text;
}
}  // namespace

PortAccessFault::PortAccessFault(std::uint16_t port) : std::runtime_error(Describe(port)), port_(port) {}

}  // namespace platform
