#include "KernelAdapters.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>

namespace platform::host {

namespace fs = std::filesystem;

namespace {

int OpenForReadWrite(const std::string& path) {
  const int fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return errno;
  close(fd);
  return 0;
}

std::string FirstLine(const fs::path& file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  return line;
}

// The last part of a sysfs link's target ("usb" for .../bus/usb); empty
// when there is no link.
std::string LinkName(const fs::path& link) {
  std::error_code error;
  const fs::path target = fs::read_symlink(link, error);
  return error ? std::string() : target.filename().string();
}

std::optional<int> AdapterNumber(const std::string& folder) {
  if (folder.rfind("i2c-", 0) != 0 || folder.size() == 4) return std::nullopt;
  const std::string digits = folder.substr(4);
  if (!std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c); }) ||
      digits.size() > 6)
    return std::nullopt;
  return std::stoi(digits);
}

}  // namespace

KernelAdapters::KernelAdapters(std::string sysfs, std::string devices, OpenCheck check)
    : sysfs_(std::move(sysfs)), devices_(std::move(devices)), check_(check ? std::move(check) : OpenForReadWrite) {}

std::vector<I2cAdapterInfo> KernelAdapters::List() const {
  // The bus lists adapters beside their clients; older kernels without it
  // still have the adapter class.
  std::map<int, std::string> folders;
  for (const char* place : {"/bus/i2c/devices", "/class/i2c-adapter"}) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(sysfs_ + place, error))
      if (auto number = AdapterNumber(entry.path().filename().string()))
        folders.emplace(*number, entry.path().string());
    if (!folders.empty()) break;
  }
  std::vector<I2cAdapterInfo> adapters;
  for (const auto& [number, folder] : folders) adapters.push_back(Describe(number, folder));
  return adapters;
}

I2cAdapterInfo KernelAdapters::Describe(int number, const std::string& folder) const {
  I2cAdapterInfo info;
  info.number = number;
  info.name = FirstLine(fs::path(folder) / "name");
  std::error_code error;
  const fs::path device = fs::canonical(folder, error);
  const fs::path top = fs::weakly_canonical(fs::path(sysfs_) / "devices", error);
  bool usb = false, display = false;
  std::string displayDriver;
  for (fs::path above = device.parent_path(); !error && above.has_relative_path() && above != top &&
                                              above.string().size() > top.string().size();
       above = above.parent_path()) {
    const std::string subsystem = LinkName(above / "subsystem");
    const std::string driver = LinkName(above / "driver");
    if (info.parentDriver.empty()) info.parentDriver = driver;
    // A PCI function of class 0x03xxxx is a display controller.
    const bool displayFunction = subsystem == "pci" && FirstLine(above / "class").rfind("0x03", 0) == 0;
    if (subsystem == "drm" || displayFunction) {
      display = true;
      if (displayDriver.empty()) displayDriver = driver;
    }
    if (subsystem == "usb") usb = true;
  }
  if (display && !displayDriver.empty()) info.parentDriver = displayDriver;
  info.medium = display ? AdapterMedium::Display : usb ? AdapterMedium::Usb : AdapterMedium::OnBoard;

  const std::string node = (fs::path(devices_) / ("i2c-" + std::to_string(number))).string();
  if (!fs::exists(node, error)) {
    info.access = AdapterAccess::NoNode;
  } else if (const int failure = check_(node); failure == EACCES || failure == EPERM) {
    info.access = AdapterAccess::NoPermission;
  } else if (failure != 0) {
    info.access = AdapterAccess::Failed;
    info.accessError = std::strerror(failure);
  }
  return info;
}

std::string KernelAdapters::BoundDriver(int number, std::uint8_t address) const {
  char client[32];
  std::snprintf(client, sizeof client, "/bus/i2c/devices/%d-%04x/driver", number, address);
  return LinkName(sysfs_ + client);
}

SmbusAnswer KernelAdapters::Transfer(int number, const SmbusTransfer& transfer) {
  auto& adapter = open_[number];
  if (!adapter) adapter = std::make_unique<I2cDevAdapter>(number, devices_);
  return adapter->Transfer(transfer);
}

}  // namespace platform::host
