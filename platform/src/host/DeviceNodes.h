#pragma once

#include <string>

namespace platform::host {

// The calls the host backend makes on the kernel's device nodes
// (/dev/parportN, /dev/i2c-N). The system's own serve every program; a test
// puts a recorded kernel in their place to check the requests made and what
// each answer becomes. Failures answer -1 with errno set, as the system does.
class DeviceNodes {
 public:
  virtual ~DeviceNodes() = default;
  virtual int Open(const std::string& path, int flags) = 0;
  // ioctl: `argument` points at the request's data, or carries a plain value
  // (the 7-bit address of I2C_SLAVE).
  virtual int Control(int fd, unsigned long request, void* argument) = 0;
  virtual void Close(int fd) = 0;
};

DeviceNodes& SystemDeviceNodes();

}  // namespace platform::host
