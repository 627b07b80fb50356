#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What a VCD trace of the SCL and SDA wires shows, decoded the way a logic
// analyser's SMBus decoder does: start and stop conditions, and the bits
// sampled on rising clock edges, nine to a byte.
namespace qtsctltest {

struct WireByte {
  std::uint8_t value;
  bool acknowledged;  // the ninth bit was low
};

// Bytes between one start condition and the next start or stop.
using Frame = std::vector<WireByte>;

struct VcdBus {
  std::size_t changes = 0;  // value changes after the initial values
  std::vector<Frame> frames;
};

VcdBus DecodeVcd(const std::string& vcdText);

// The bytes of the frames, without the acknowledge bits.
std::vector<std::vector<int>> FrameBytes(const VcdBus& bus);

}  // namespace qtsctltest
