#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace comport::testing {

// Expected data-register writes written as line states, one letter each:
// H both high, C clock high (SDA low), L both low, D data high (SCL low).
// The values are the adapter's documented patterns.
inline std::vector<std::uint8_t> Lines(std::string_view states, bool inverted, std::uint8_t mask = 0) {
  std::vector<std::uint8_t> values;
  for (char state : states) {
    std::uint8_t direct = 0;
    switch (state) {
      case 'H':
        direct = 3;
        break;
      case 'C':
        direct = 1;
        break;
      case 'L':
        direct = 0;
        break;
      case 'D':
        direct = 2;
        break;
      default:
        continue;  // spaces and separators
    }
    const std::uint8_t pattern = inverted ? static_cast<std::uint8_t>(direct ^ 3) : direct;
    values.push_back(static_cast<std::uint8_t>(pattern | mask));
  }
  return values;
}

// The line states of one written byte, most significant bit first.
inline std::string Byte(std::uint8_t value) {
  std::string states;
  for (int bit = 7; bit >= 0; --bit) states += ((value >> bit) & 1) ? "DHDL " : "LCLL ";
  return states;
}

inline const std::string kStart = "HCL ";
inline const std::string kStop = "LCH ";
inline const std::string kAck = "DHDL ";
inline const std::string kNAck = "DHDL ";
inline const std::string kMAck = "LCL ";
inline std::string ReadByteLines() {
  std::string states = "L ";
  for (int bit = 0; bit < 8; ++bit) states += "DHD ";
  return states;
}

}  // namespace comport::testing
