#pragma once

#include <cstdint>
#include <map>
#include <tuple>

#include "sim/PortSpace.h"

namespace sim {

class PciFunction;

// Configuration mechanism 1, decoded as the chipsets do it: a dword written to
// 0xCF8 selects bus (bits 23-16), device (15-11), function (10-8) and
// register (7-2), and bit 31 enables the data window 0xCFC-0xCFF. Only those
// bits are implemented: the reserved bits 30-24 and bits 1-0 read back 0, so
// an unaligned register reaches the aligned dword below it and leaves no
// trace in the address. Absent functions and a disabled window read all ones;
// narrower accesses to 0xCF8 do not reach the address register.
class PciHost : public PortDevice {
 public:
  static constexpr std::uint16_t kAddressPort = 0xCF8;
  static constexpr std::uint16_t kDataPort = 0xCFC;

  void Attach(std::uint8_t bus, std::uint8_t device, std::uint8_t function, PciFunction& configuration);

  // Configuration dwords read or written through the data window, for tests and benchmarks.
  std::uint64_t ConfigurationReads() const { return reads_; }
  std::uint64_t ConfigurationWrites() const { return writes_; }

  std::uint8_t Read8(std::uint16_t port) override;
  void Write8(std::uint16_t port, std::uint8_t value) override;
  std::uint16_t Read16(std::uint16_t port) override;
  void Write16(std::uint16_t port, std::uint16_t value) override;
  std::uint32_t Read32(std::uint16_t port) override;
  void Write32(std::uint16_t port, std::uint32_t value) override;

 private:
  PciFunction* Selected() const;
  std::uint32_t ReadWindow(std::uint16_t port, unsigned width);
  void WriteWindow(std::uint16_t port, std::uint32_t value, unsigned width);

  std::uint32_t address_ = 0;
  std::map<std::tuple<int, int, int>, PciFunction*> functions_;
  std::uint64_t reads_ = 0;
  std::uint64_t writes_ = 0;
};

}  // namespace sim
