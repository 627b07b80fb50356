#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qtscli {

// A device named on the command line, so that a script can skip the search:
// "lpt1:0x4C" (the evaluation board's inverting adapter), "lpt2:0x4C:direct",
// "smbus:0x4E". The address is the 7-bit one on both media.
struct DeviceChoice {
  bool onBoard = false;
  int portNumber = 1;     // printer port, from 1 (LPT1)
  bool inverted = true;   // the adapter's wiring on the printer port
  std::uint8_t address = 0;
};

// Throws std::invalid_argument with a message that names what is wrong.
DeviceChoice ParseDeviceChoice(std::string_view text);

// "0x4C on LPT1 (inverting adapter)", "0x4E on the on-board SMBus".
std::string Describe(const DeviceChoice& device);

}  // namespace qtscli
