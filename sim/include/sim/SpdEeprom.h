#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "sim/SmbusDevice.h"

namespace sim {

// The serial presence detect EEPROM of a memory module: 256 bytes behind an
// 8-bit word address. A write transfer's first byte sets the address; reads
// continue from it and wrap at the end. The module's write protection is on:
// further data bytes are acknowledged and not stored, as a protected part does.
//
// The content describes a 128 MiB PC133 SDRAM module without ECC, with the
// checksum of bytes 0-62 in byte 63; the serial number tells modules apart.
class SpdEeprom : public SmbusDevice {
 public:
  static constexpr std::size_t kSize = 256;
  static constexpr std::uint8_t kChecksumByte = 63;

  explicit SpdEeprom(std::uint32_t serialNumber);

  bool Start(bool read) override;
  bool WriteByte(std::uint8_t value) override;
  std::uint8_t ReadByte() override;
  void Stop() override {}

  // Side door for tests.
  std::uint8_t At(std::uint8_t address) const { return memory_[address]; }

  // The whole memory, kept across machine restarts. Restore takes contents
  // of exactly kSize bytes and answers false (changing nothing) otherwise.
  std::span<const std::uint8_t> Contents() const { return memory_; }
  bool Restore(std::span<const std::uint8_t> contents);

 private:
  std::array<std::uint8_t, kSize> memory_{};
  std::uint8_t pointer_ = 0;
  bool expectAddress_ = false;
};

}  // namespace sim
