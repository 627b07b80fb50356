#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform::host {

struct HostParport {
  int number;          // N of /dev/parportN
  std::uint16_t base;  // data register
};

// The kernel's parallel ports, in the order of their numbers, from the
// parport subsystem's /proc tree (one folder parportN per port whose file
// base-addr starts with the base address in decimal). Empty when the
// subsystem is not loaded.
std::vector<HostParport> EnumerateParports(const std::string& procRoot = "/proc/sys/dev/parport");

}  // namespace platform::host
