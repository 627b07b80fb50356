#pragma once

#include <cstdint>

namespace platform::host {

// PCI configuration mechanism 1 as a program sees it through the word port
// library: the address latch at 0xCF8 keeps its implemented bits (enable,
// bus, device, function, dword register) and selects the dword that the data
// window at 0xCFC reaches.
class ConfigurationWindow {
 public:
  static constexpr std::int32_t kAddressPort = 0xCF8;
  static constexpr std::int32_t kDataPort = 0xCFC;

  void Latch(std::uint32_t address) { address_ = address & 0x80FFFFFCu; }
  std::uint32_t Address() const { return address_; }
  bool Enabled() const { return (address_ & 0x80000000u) != 0; }
  int Bus() const { return static_cast<int>((address_ >> 16) & 0xFF); }
  int Device() const { return static_cast<int>((address_ >> 11) & 0x1F); }
  int Function() const { return static_cast<int>((address_ >> 8) & 0x7); }
  std::uint8_t Register() const { return static_cast<std::uint8_t>(address_ & 0xFC); }

 private:
  std::uint32_t address_ = 0;
};

}  // namespace platform::host
