#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/I2cAdapters.h"

// The search on the kernel's adapters: the chip's ID register read at each
// candidate address, never a write, and never at an address that a kernel
// driver has bound.
namespace devicesearch {

struct AdapterFind {
  platform::I2cAdapterInfo adapter;
  std::uint8_t address;  // 7-bit
};

// An address a kernel driver holds: left alone, so it counts as nothing found.
struct HeldAddress {
  platform::I2cAdapterInfo adapter;
  std::uint8_t address;
  std::string driver;
};

// A device that answered the ID read with another identification.
struct OtherDevice {
  platform::I2cAdapterInfo adapter;
  std::uint8_t address;
  std::uint8_t id;
};

struct AdapterFinds {
  std::vector<AdapterFind> found;  // by adapter in the order given, then by candidate slot
  std::vector<HeldAddress> held;
  std::vector<OtherDevice> others;
};

// For each candidate slot: `advance(step)` once, then a probe of its address
// on every adapter.
void SearchAdapters(platform::I2cAdapters& machine, const std::vector<platform::I2cAdapterInfo>& adapters, int step,
                    const std::function<void(int)>& advance, AdapterFinds& finds);

// What the search saw on each adapter it covered, and why the others of
// `all` were left out.
std::vector<std::string> DescribeAdapterSearch(const std::vector<platform::I2cAdapterInfo>& searched,
                                               const std::vector<platform::I2cAdapterInfo>& all,
                                               const AdapterFinds& finds);

// Every address 0x03..0x77 of one adapter, each probed with a receive byte
// (a read that sets no register pointer); an address a kernel driver has
// bound is left alone and reported with its driver, as i2cdetect shows "UU".
struct AdapterScan {
  platform::I2cAdapterInfo adapter;
  std::vector<std::uint8_t> acknowledged;  // ascending
  std::vector<HeldAddress> held;
};
// `checkpoint` runs before every probe and may throw to end the scan.
AdapterScan ScanAdapter(platform::I2cAdapters& machine, const platform::I2cAdapterInfo& adapter,
                        const std::function<void()>& checkpoint = {});

}  // namespace devicesearch
