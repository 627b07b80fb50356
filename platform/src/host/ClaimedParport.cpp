#include "ClaimedParport.h"

#include <fcntl.h>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "HostPorts.h"

namespace platform::host {

namespace {

constexpr std::uint8_t kControlBits = 0x0F;  // strobe, auto-feed, init, select
constexpr std::uint8_t kDirectionBit = 0x20;

std::string DeviceRefusal(const std::string& path, int error) {
  switch (error) {
    case EACCES:
    case EPERM:
      return path + ": permission denied. Add your user to the group that owns it (usually lp: sudo usermod -aG lp "
                    "$USER, then log in again), or install the udev rule (\"Real hardware\" in the user guide).";
    case ENOENT:
    case ENODEV:
    case ENXIO:
      return path + ": no such device. Load the kernel's parallel-port user interface: sudo modprobe ppdev.";
    default:
      return path + ": " + std::strerror(error);
  }
}

}  // namespace

std::string OtherParportUser(const std::string& procRoot, int portNumber) {
  std::error_code error;
  const auto devices = std::filesystem::path(procRoot) / ("parport" + std::to_string(portNumber)) / "devices";
  for (const auto& entry : std::filesystem::directory_iterator(devices, error))
    if (entry.is_directory(error)) return entry.path().filename().string();
  return {};
}

ClaimedParport::Result ClaimedParport::Claim(const HostParport& port, HostOptions::PortAccess access,
                                             const std::string& deviceDirectory, const std::string& procRoot,
                                             DeviceNodes& nodes) {
  // Root would not help here, so the refusal must not ask for it.
  if (access == HostOptions::PortAccess::Ioperm && !PortInstructionsAvailable())
    return {Outcome::Refused, nullptr,
            "ports=ioperm uses port instructions, which this processor does not have; leave the default ports=ppdev"};
  const std::string path = deviceDirectory + "/parport" + std::to_string(port.number);
  const int fd = nodes.Open(path, O_RDWR | O_CLOEXEC);
  if (fd < 0) return {Outcome::Refused, nullptr, DeviceRefusal(path, errno)};
  // Exclusive: no other client may register on the port while this one
  // holds it, so a second claim fails at once instead of sleeping in the
  // kernel until the first program lets go.
  if (nodes.Control(fd, PPEXCL, nullptr) != 0 || nodes.Control(fd, PPCLAIM, nullptr) != 0) {
    const int error = errno;
    nodes.Close(fd);
    const std::string other = OtherParportUser(procRoot, port.number);
    if (other.rfind("ppdev", 0) == 0 || error == EBUSY)
      return {Outcome::HeldByOther, nullptr, path + " is held by another program"};
    if (!other.empty())
      return {Outcome::Refused, nullptr,
              path + " is held by the kernel driver " + other +
                  "; unload it to use the port (for the printer driver: sudo modprobe -r lp)"};
    return {Outcome::Refused, nullptr, DeviceRefusal(path, error)};
  }
  const bool instructions = access == HostOptions::PortAccess::Ioperm;
  if (instructions && !SetPortPermission(port.base, kRegisters, true)) {
    nodes.Control(fd, PPRELEASE, nullptr);
    nodes.Close(fd);
    return {Outcome::Refused, nullptr,
            "ports=ioperm needs the CAP_SYS_RAWIO capability (root); without it leave the default ports=ppdev"};
  }
  return {Outcome::Granted, std::unique_ptr<ClaimedParport>(new ClaimedParport(nodes, fd, port.base, instructions)),
          {}};
}

ClaimedParport::~ClaimedParport() {
  if (portInstructions_) SetPortPermission(base_, kRegisters, false);
  nodes_.Control(fd_, PPRELEASE, nullptr);
  nodes_.Close(fd_);
}

std::uint8_t ClaimedParport::Read(std::uint16_t port) {
  if (portInstructions_) return PortIn8(port);
  unsigned char value = 0xFF;
  switch (port - base_) {
    case 0:
      nodes_.Control(fd_, PPRDATA, &value);
      return value;
    case 1:
      nodes_.Control(fd_, PPRSTATUS, &value);
      return value;
    default:
      nodes_.Control(fd_, PPRCONTROL, &value);
      return static_cast<std::uint8_t>((value & kControlBits) | (reverse_ ? kDirectionBit : 0));
  }
}

void ClaimedParport::Write(std::uint16_t port, std::uint8_t value) {
  if (portInstructions_) return PortOut8(port, value);
  unsigned char byte = value;
  switch (port - base_) {
    case 0:
      nodes_.Control(fd_, PPWDATA, &byte);
      return;
    case 1:
      return;  // the status register takes no writes
    default: {
      byte = value & kControlBits;
      nodes_.Control(fd_, PPWCONTROL, &byte);
      const bool reverse = (value & kDirectionBit) != 0;
      if (reverse == reverse_) return;
      int direction = reverse ? 1 : 0;
      if (nodes_.Control(fd_, PPDATADIR, &direction) == 0) reverse_ = reverse;
    }
  }
}

}  // namespace platform::host
