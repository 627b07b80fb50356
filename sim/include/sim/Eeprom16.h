#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "sim/SmbusDevice.h"

namespace sim {

// A serial EEPROM with a 16-bit address: 8 KiB in pages of 32 bytes, erased
// to 0xFF. A write transfer sends the address high byte first, then the low
// byte, then data that fill the addressed page, wrapping at its end; the page
// is programmed at the stop condition, and a start before the stop abandons
// it. Reads continue from the address pointer, across pages, wrapping at the
// end of the memory. Address bits above the memory size are ignored.
//
// Known difference from a real part: programming takes no time, so the part
// never refuses its address while a write cycle runs.
class Eeprom16 : public SmbusDevice {
 public:
  static constexpr std::size_t kSize = 8 * 1024;
  static constexpr std::size_t kPageSize = 32;

  Eeprom16();

  bool Start(bool read) override;
  bool WriteByte(std::uint8_t value) override;
  std::uint8_t ReadByte() override;
  void Stop() override;

  // Side door for tests.
  std::uint8_t At(std::uint16_t address) const { return memory_[address % kSize]; }

  // The whole memory, kept across machine restarts. Restore takes contents
  // of exactly kSize bytes and answers false (changing nothing) otherwise.
  std::span<const std::uint8_t> Contents() const { return memory_; }
  bool Restore(std::span<const std::uint8_t> contents);

 private:
  std::vector<std::uint8_t> memory_;
  std::uint16_t pointer_ = 0;
  int addressBytes_ = 2;  // address bytes still to come in this write
  std::array<std::optional<std::uint8_t>, kPageSize> page_{};
  std::uint16_t pageBase_ = 0;
  bool pagePending_ = false;
};

}  // namespace sim
