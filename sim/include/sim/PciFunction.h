#pragma once

#include <array>
#include <cstdint>
#include <functional>

namespace sim {

// One PCI function's 256-byte configuration space. Registers hold their
// power-on values; only the bits a write mask names can be changed, as on a
// real function whose other bits are read-only or reserved.
class PciFunction {
 public:
  explicit PciFunction(std::uint32_t identification);

  std::uint32_t Identification() const { return Read(0); }

  // Dword access at the aligned offset below `offset`.
  std::uint32_t Read(std::uint8_t offset) const;
  // Writes the bytes that `byteEnables` (bit n = byte n) selects, within the writable bits.
  void Write(std::uint8_t offset, std::uint32_t value, std::uint8_t byteEnables = 0xF);

  // Set-up: the power-on value and the writable bits of the dword at `offset`.
  void Preset(std::uint8_t offset, std::uint32_t value, std::uint32_t writable = 0);
  // Called after every write, with the aligned offset written.
  void OnWrite(std::function<void(std::uint8_t offset)> observer) { onWrite_ = std::move(observer); }

 private:
  std::array<std::uint32_t, 64> registers_{};
  std::array<std::uint32_t, 64> writable_{};
  std::function<void(std::uint8_t)> onWrite_;
};

}  // namespace sim
