#include "sim/PciHost.h"

#include "sim/PciFunction.h"

namespace sim {

namespace {
constexpr std::uint32_t kEnable = 0x80000000u;
constexpr std::uint32_t kImplemented = 0x80FFFFFCu;  // enable, bus, device, function, register

std::uint32_t WidthMask(unsigned width) { return width == 32 ? 0xFFFFFFFFu : (1u << width) - 1; }
}  // namespace

void PciHost::Attach(std::uint8_t bus, std::uint8_t device, std::uint8_t function, PciFunction& configuration) {
  functions_[{bus, device & 0x1F, function & 0x7}] = &configuration;
}

PciFunction* PciHost::Selected() const {
  if (!(address_ & kEnable)) return nullptr;
  const int bus = (address_ >> 16) & 0xFF;
  const int device = (address_ >> 11) & 0x1F;
  const int function = (address_ >> 8) & 0x7;
  auto found = functions_.find({bus, device, function});
  return found == functions_.end() ? nullptr : found->second;
}

std::uint32_t PciHost::ReadWindow(std::uint16_t port, unsigned width) {
  const unsigned lane = port - kDataPort;
  PciFunction* function = Selected();
  if (!function) return WidthMask(width);
  ++reads_;
  const std::uint32_t dword = function->Read(static_cast<std::uint8_t>(address_ & 0xFC));
  return (dword >> (8 * lane)) & WidthMask(width);
}

void PciHost::WriteWindow(std::uint16_t port, std::uint32_t value, unsigned width) {
  const unsigned lane = port - kDataPort;
  PciFunction* function = Selected();
  if (!function) return;
  ++writes_;
  const auto enables = static_cast<std::uint8_t>(((1u << (width / 8)) - 1) << lane);
  function->Write(static_cast<std::uint8_t>(address_ & 0xFC), value << (8 * lane), enables);
}

std::uint8_t PciHost::Read8(std::uint16_t port) {
  return port >= kDataPort ? static_cast<std::uint8_t>(ReadWindow(port, 8)) : 0xFF;
}

void PciHost::Write8(std::uint16_t port, std::uint8_t value) {
  if (port >= kDataPort) WriteWindow(port, value, 8);
}

std::uint16_t PciHost::Read16(std::uint16_t port) {
  return port >= kDataPort ? static_cast<std::uint16_t>(ReadWindow(port, 16)) : 0xFFFF;
}

void PciHost::Write16(std::uint16_t port, std::uint16_t value) {
  if (port >= kDataPort) WriteWindow(port, value, 16);
}

std::uint32_t PciHost::Read32(std::uint16_t port) {
  if (port == kAddressPort) return address_;
  return port == kDataPort ? ReadWindow(port, 32) : 0xFFFFFFFFu;
}

void PciHost::Write32(std::uint16_t port, std::uint32_t value) {
  if (port == kAddressPort)
    address_ = value & kImplemented;
  else if (port == kDataPort)
    WriteWindow(port, value, 32);
}

}  // namespace sim
