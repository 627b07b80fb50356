#include "DeviceNodes.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace platform::host {

namespace {

class SystemNodes : public DeviceNodes {
 public:
  int Open(const std::string& path, int flags) override { return ::open(path.c_str(), flags); }
  int Control(int fd, unsigned long request, void* argument) override { return ::ioctl(fd, request, argument); }
  void Close(int fd) override { ::close(fd); }
};

}  // namespace

DeviceNodes& SystemDeviceNodes() {
  static SystemNodes nodes;
  return nodes;
}

}  // namespace platform::host
