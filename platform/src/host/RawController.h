#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "ConfigurationWindow.h"
#include "platform/CanIo.h"

namespace platform::host {

// The on-board SMBus controller's own registers, for root only: configuration
// space through the kernel's /sys/bus/pci/devices/*/config files (the kernel
// serialises those accesses with its own, where raw 0xCF8/0xCFC would race
// them) and the controller's I/O ports with port instructions after ioperm.
// Ports that a kernel driver has requested (/proc/ioports) are refused,
// naming the driver; so is the whole backend while a driver is bound to a
// controller the component supports.
class RawController : public CanIo {
 public:
  struct Paths {
    std::string pciDevices = "/sys/bus/pci/devices";
    std::string ioports = "/proc/ioports";
  };

  // Throws BackendUnavailable with what the user can do.
  static std::unique_ptr<RawController> Create(const Paths& paths);
  explicit RawController(Paths paths) : paths_(std::move(paths)) {}
  ~RawController() override;

  std::int32_t CanInpd(std::int32_t port) override;
  void CanOutpd(std::int32_t port, std::int32_t value) override;
  std::int32_t CanInpw(std::int32_t port) override;
  void CanOutpw(std::int32_t port, std::int32_t value) override;
  std::int32_t CanInp(std::int32_t port) override;
  void CanOutp(std::int32_t port, std::int32_t value) override;
  std::int32_t AddMultiPort(std::int32_t port, std::int32_t count) override;
  std::int32_t RemovePort(std::int32_t port) override;

 private:
  bool Open(std::int32_t port) const;
  std::string ConfigFile() const;

  Paths paths_;
  ConfigurationWindow window_;
  std::map<std::int32_t, std::int32_t> open_;
  std::map<std::pair<std::int32_t, std::int32_t>, std::string> owners_;
};

// The kernel driver that has requested any of the ports [first, first +
// count) in /proc/ioports' text: the innermost entry covering a port, when it
// names a driver rather than a bus, a PCI function or a PnP device. Empty
// when the ports are free.
std::string PortOwner(const std::string& ioports, std::uint32_t first, std::uint32_t count);

// A refusal naming the driver bound to an SMBus controller that the
// component supports, from the PCI devices folder; empty when none is bound.
std::string BoundControllerDriver(const std::string& pciDevices);

}  // namespace platform::host
