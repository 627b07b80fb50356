#include "sim/SpdEeprom.h"

#include <algorithm>
#include <numeric>
#include <string_view>

namespace sim {

namespace {

// Bytes 0-35 of the presence detect table; bytes 36-61 are unused and 62 is the revision.
constexpr std::array<std::uint8_t, 36> kTiming{
    0x80,  // bytes written by the module maker
    0x08,  // log2 of the EEPROM size: 256 bytes
    0x04,  // memory type: SDRAM
    0x0C,  // row address bits
    0x09,  // column address bits
    0x01,  // module banks (ranks)
    0x40,  // data width: 64 bits
    0x00,
    0x01,  // interface: LVTTL
    0x75,  // cycle time at the highest CAS latency: 7.5 ns (133 MHz)
    0x54,  // access time from clock: 5.4 ns
    0x00,  // no ECC
    0x80,  // self refresh, 15.625 us
    0x08,  // primary SDRAM width: x8
    0x00,  // no ECC SDRAM
    0x01,  // minimum clock delay for back-to-back random column access
    0x8F,  // burst lengths 1, 2, 4, 8 and page
    0x04,  // banks per device
    0x06,  // CAS latencies 2 and 3
    0x01,  // CS latency
    0x01,  // write latency
    0x00,  // unbuffered
    0x0E,  // device attributes
    0xA0,  // cycle time at CAS latency 2: 10 ns
    0x60,  // access time at CAS latency 2: 6 ns
    0x00, 0x00,
    0x14,                    // tRP 20 ns
    0x0F,                    // tRRD 15 ns
    0x14,                    // tRCD 20 ns
    0x2D,                    // tRAS 45 ns
    0x20,                    // 128 MiB per rank
    0x15, 0x08, 0x15, 0x08,  // address/command and data setup and hold
};
constexpr std::uint8_t kRevision = 0x12;  // presence detect revision 1.2
constexpr std::uint8_t kPartNumberByte = 73;
constexpr std::string_view kPartNumber = "SIM128M-PC133-8";  // padded with spaces to 18 characters
constexpr std::uint8_t kSerialNumberByte = 95;

}  // namespace

SpdEeprom::SpdEeprom(std::uint32_t serialNumber) {
  memory_.fill(0xFF);  // the unused upper half reads erased
  std::fill(memory_.begin(), memory_.begin() + 128, 0x00);
  std::copy(kTiming.begin(), kTiming.end(), memory_.begin());
  memory_[62] = kRevision;
  memory_[kChecksumByte] =
      static_cast<std::uint8_t>(std::accumulate(memory_.begin(), memory_.begin() + kChecksumByte, 0u));
  std::fill(memory_.begin() + kPartNumberByte, memory_.begin() + kPartNumberByte + 18, ' ');
  std::copy(kPartNumber.begin(), kPartNumber.end(), memory_.begin() + kPartNumberByte);
  for (int i = 0; i < 4; ++i) memory_[kSerialNumberByte + i] = static_cast<std::uint8_t>(serialNumber >> (8 * i));
}

bool SpdEeprom::Restore(std::span<const std::uint8_t> contents) {
  if (contents.size() != kSize) return false;
  std::copy(contents.begin(), contents.end(), memory_.begin());
  return true;
}

bool SpdEeprom::Start(bool read) {
  expectAddress_ = !read;
  return true;
}

bool SpdEeprom::WriteByte(std::uint8_t value) {
  if (expectAddress_) pointer_ = value;
  expectAddress_ = false;
  return true;
}

std::uint8_t SpdEeprom::ReadByte() { return memory_[pointer_++]; }

}  // namespace sim
