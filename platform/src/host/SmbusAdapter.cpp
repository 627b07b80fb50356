#include "SmbusAdapter.h"

#include <fcntl.h>
#include <linux/i2c-dev.h>
#include <linux/i2c.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>

#include "Notices.h"

namespace platform::host {

namespace {

constexpr int kSize[] = {I2C_SMBUS_QUICK, I2C_SMBUS_BYTE, I2C_SMBUS_BYTE_DATA, I2C_SMBUS_WORD_DATA};

std::string Hex(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", value);
  return text;
}

}  // namespace

I2cDevAdapter::I2cDevAdapter(int number, std::string deviceDirectory, DeviceNodes& nodes)
    : nodes_(nodes), number_(number), path_(std::move(deviceDirectory) + "/i2c-" + std::to_string(number)) {}

I2cDevAdapter::~I2cDevAdapter() {
  if (fd_ >= 0) nodes_.Close(fd_);
}

bool I2cDevAdapter::Open() {
  if (fd_ >= 0) return true;
  if (refused_) return false;
  fd_ = nodes_.Open(path_, O_RDWR | O_CLOEXEC);
  if (fd_ >= 0) return true;
  refused_ = true;
  const int error = errno;
  if (error == EACCES || error == EPERM)
    Notice(path_ + ": permission denied. Add your user to the group i2c (sudo usermod -aG i2c $USER, then log in "
                   "again), or install the udev rule (\"Real hardware\" in the user guide).");
  else if (error == ENOENT || error == ENODEV || error == ENXIO)
    Notice(path_ + ": no such device. Load the kernel's I2C device interface: sudo modprobe i2c-dev.");
  else
    Notice(path_ + ": " + std::strerror(error));
  return false;
}

// I2C_SLAVE, not I2C_SLAVE_FORCE: an address that a kernel driver has bound
// (an SPD EEPROM driver, a hardware monitor) stays that driver's.
bool I2cDevAdapter::Select(std::uint8_t address) {
  if (selected_ == address) return true;
  if (nodes_.Control(fd_, I2C_SLAVE, reinterpret_cast<void*>(static_cast<std::uintptr_t>(address))) == 0) {
    selected_ = address;
    return true;
  }
  if (errno == EBUSY) {
    char device[32];
    std::snprintf(device, sizeof device, "%d-%04x", number_, address);
    NoticeOnce(path_ + Hex(address),
               path_ + ": address " + Hex(address) + " is in use by a kernel driver (see /sys/bus/i2c/devices/" +
                   device + "/driver); unbind or unload that driver to reach the device from here.");
  }
  return false;
}

SmbusAnswer I2cDevAdapter::Transfer(const SmbusTransfer& transfer) {
  if (!Open() || !Select(transfer.address)) return {false, 0};
  i2c_smbus_data data{};
  data.word = transfer.data;
  i2c_smbus_ioctl_data request{};
  request.read_write = transfer.read ? I2C_SMBUS_READ : I2C_SMBUS_WRITE;
  request.command = transfer.command;
  request.size = static_cast<std::uint32_t>(kSize[static_cast<int>(transfer.protocol)]);
  request.data = &data;
  // A send byte carries its byte in the command field; a quick command has
  // no data at all.
  if (transfer.protocol == SmbusProtocol::Quick ||
      (transfer.protocol == SmbusProtocol::Byte && !transfer.read))
    request.data = nullptr;
  if (nodes_.Control(fd_, I2C_SMBUS, &request) != 0) return {false, 0};
  if (!transfer.read) return {true, 0};
  return {true, static_cast<std::uint16_t>(transfer.protocol == SmbusProtocol::WordData ? data.word : data.byte)};
}

std::optional<int> FindOnBoardAdapter(const std::string& adapterClass) {
  std::map<int, std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(adapterClass, error)) {
    const std::string folder = entry.path().filename().string();
    if (folder.rfind("i2c-", 0) != 0) continue;
    const std::string digits = folder.substr(4);
    if (digits.empty() || !std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c); }))
      continue;
    std::ifstream file(entry.path() / "name");
    std::string name;
    std::getline(file, name);
    names[std::stoi(digits)] = name;
  }
  for (const auto& [number, name] : names)
    if (name.rfind("SMBus", 0) == 0) return number;
  return std::nullopt;
}

}  // namespace platform::host
