#include "RawController.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <vector>

#include "HostPorts.h"
#include "Notices.h"
#include "platform/Current.h"

namespace platform::host {

namespace {

// The controllers whose SMBus the component drives (vendor, device).
constexpr std::array<std::pair<unsigned, unsigned>, 8> kSupported{{{0x8086, 0x7113},
                                                                   {0x8086, 0x2418},
                                                                   {0x8086, 0x2428},
                                                                   {0x8086, 0x2413},
                                                                   {0x8086, 0x2423},
                                                                   {0x8086, 0x2443},
                                                                   {0x8086, 0x2445},
                                                                   {0x10B9, 0x7101}}};

unsigned ReadHex(const std::filesystem::path& file) {
  std::ifstream in(file);
  unsigned value = 0;
  in >> std::hex >> value;
  return value;
}

std::string Slurp(const std::string& path) {
  std::ifstream in(path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool NamesABusOrDevice(const std::string& name) {
  static const std::regex pciFunction("^[0-9a-f]{4}:[0-9a-f]{2}:[0-9a-f]{2}\\.[0-7]$");
  return std::regex_match(name, pciFunction) || name.rfind("PCI Bus", 0) == 0 || name.rfind("pnp ", 0) == 0;
}

}  // namespace

std::string PortOwner(const std::string& ioports, std::uint32_t first, std::uint32_t count) {
  static const std::regex line("^( *)([0-9a-fA-F]+)-([0-9a-fA-F]+) : (.*)$");
  std::istringstream lines(ioports);
  std::string text;
  for (std::uint32_t port = first; port < first + count; ++port) {
    std::size_t deepest = 0;
    std::string owner;
    lines.clear();
    lines.seekg(0);
    while (std::getline(lines, text)) {
      std::smatch match;
      if (!std::regex_match(text, match, line)) continue;
      const auto low = std::stoul(match[2].str(), nullptr, 16), high = std::stoul(match[3].str(), nullptr, 16);
      if (port < low || port > high) continue;
      const std::size_t depth = match[1].length() + 1;
      if (depth > deepest) {
        deepest = depth;
        owner = match[4].str();
      }
    }
    if (!owner.empty() && !NamesABusOrDevice(owner)) return owner;
  }
  return {};
}

std::string BoundControllerDriver(const std::string& pciDevices) {
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(pciDevices, error)) {
    const std::pair id{ReadHex(entry.path() / "vendor"), ReadHex(entry.path() / "device")};
    if (std::find(kSupported.begin(), kSupported.end(), id) == kSupported.end()) continue;
    const auto driver = std::filesystem::read_symlink(entry.path() / "driver", error);
    if (error) {
      error.clear();
      continue;
    }
    std::string module = driver.filename().string();
    const auto moduleLink = std::filesystem::read_symlink(entry.path() / "driver" / "module", error);
    if (!error) module = moduleLink.filename().string();
    error.clear();
    return "the SMBus controller " + entry.path().filename().string() + " is driven by the kernel driver " +
           driver.filename().string() + ". Use the kernel's adapter instead (leave smbus=kernel, the default), or " +
           "unload the driver first: sudo modprobe -r " + module;
  }
  return {};
}

std::unique_ptr<RawController> RawController::Create(const Paths& paths) {
  if (!PortInstructionsAvailable())
    throw BackendUnavailable(
        "smbus=raw drives the controller with port instructions, which this processor does not have; use the "
        "kernel's adapter (smbus=kernel, the default)");
  if (!SetPortPermission(0x80, 1, true))
    throw BackendUnavailable(
        "smbus=raw needs root (the CAP_SYS_RAWIO capability); without it use the kernel's adapter (smbus=kernel, "
        "the default)");
  SetPortPermission(0x80, 1, false);
  if (const std::string bound = BoundControllerDriver(paths.pciDevices); !bound.empty())
    throw BackendUnavailable("smbus=raw refused: " + bound);
  return std::make_unique<RawController>(paths);
}

RawController::~RawController() {
  for (const auto& [port, count] : open_)
    SetPortPermission(static_cast<std::uint16_t>(port), static_cast<std::uint32_t>(count), false);
}

std::string RawController::ConfigFile() const {
  char name[32];
  std::snprintf(name, sizeof name, "/0000:%02x:%02x.%d/config", window_.Bus(), window_.Device(), window_.Function());
  return paths_.pciDevices + name;
}

// A function that does not exist reads all ones, as on the bus.
std::int32_t RawController::CanInpd(std::int32_t port) {
  if (port == ConfigurationWindow::kAddressPort) return static_cast<std::int32_t>(window_.Address());
  if (port != ConfigurationWindow::kDataPort) return Open(port) ? static_cast<std::int32_t>(PortIn32(static_cast<std::uint16_t>(port))) : 0;
  std::uint32_t dword = 0xFFFFFFFFu;
  if (!window_.Enabled()) return -1;
  const int fd = open(ConfigFile().c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -1;
  if (pread(fd, &dword, sizeof dword, window_.Register()) != sizeof dword) dword = 0xFFFFFFFFu;
  close(fd);
  return static_cast<std::int32_t>(dword);
}

void RawController::CanOutpd(std::int32_t port, std::int32_t value) {
  if (port == ConfigurationWindow::kAddressPort) return window_.Latch(static_cast<std::uint32_t>(value));
  if (port != ConfigurationWindow::kDataPort) {
    if (Open(port)) PortOut32(static_cast<std::uint16_t>(port), static_cast<std::uint32_t>(value));
    return;
  }
  if (!window_.Enabled()) return;
  const int fd = open(ConfigFile().c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return;
  if (pwrite(fd, &value, sizeof value, window_.Register()) != sizeof value)
    NoticeOnce("config-write", "a configuration write to " + ConfigFile() + " was refused");
  close(fd);
}

bool RawController::Open(std::int32_t port) const {
  return std::any_of(open_.begin(), open_.end(),
                     [port](const auto& range) { return port >= range.first && port < range.first + range.second; });
}

std::int32_t RawController::AddMultiPort(std::int32_t port, std::int32_t count) {
  if (port < 0 || count <= 0 || port > 0x10000 - count) return 0;
  // Owners are looked up once per range: the component opens the same few
  // ranges for every register access.
  auto known = owners_.find({port, count});
  if (known == owners_.end())
    known = owners_
                .emplace(std::pair{port, count}, PortOwner(Slurp(paths_.ioports), static_cast<std::uint32_t>(port),
                                                           static_cast<std::uint32_t>(count)))
                .first;
  const std::string& owner = known->second;
  if (!owner.empty()) {
    char range[32];
    std::snprintf(range, sizeof range, "0x%04X-0x%04X", static_cast<unsigned>(port),
                  static_cast<unsigned>(port + count - 1));
    NoticeOnce("owner" + owner, std::string("ports ") + range + " belong to the kernel driver " + owner +
                                    "; raw access stays off them. Use the kernel's adapter (smbus=kernel), or unload "
                                    "the driver first.");
    return 0;
  }
  if (!SetPortPermission(static_cast<std::uint16_t>(port), static_cast<std::uint32_t>(count), true)) return 0;
  open_[port] = count;
  return 1;
}

std::int32_t RawController::RemovePort(std::int32_t port) {
  auto found = open_.find(port);
  if (found == open_.end()) return 0;
  const auto count = found->second;
  open_.erase(found);
  SetPortPermission(static_cast<std::uint16_t>(port), static_cast<std::uint32_t>(count), false);
  // Another range may still cover some of these ports.
  for (const auto& [first, others] : open_)
    SetPortPermission(static_cast<std::uint16_t>(first), static_cast<std::uint32_t>(others), true);
  return 1;
}

std::int32_t RawController::CanInpw(std::int32_t port) {
  return Open(port) ? PortIn16(static_cast<std::uint16_t>(port)) : 0;
}

void RawController::CanOutpw(std::int32_t port, std::int32_t value) {
  if (Open(port)) PortOut16(static_cast<std::uint16_t>(port), static_cast<std::uint16_t>(value));
}

std::int32_t RawController::CanInp(std::int32_t port) {
  return Open(port) ? PortIn8(static_cast<std::uint16_t>(port)) : 0;
}

void RawController::CanOutp(std::int32_t port, std::int32_t value) {
  if (Open(port)) PortOut8(static_cast<std::uint16_t>(port), static_cast<std::uint8_t>(value));
}

}  // namespace platform::host
