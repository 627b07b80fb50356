#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "sim/BusTrace.h"

namespace support {

// The SMBus conditions and bytes of a bus trace: "S" start, "P" stop, and
// each byte in hex followed by "a" (acknowledged) or "n".
inline std::string Decode(const std::vector<sim::BusTrace::Event>& events) {
  std::string text;
  sim::LineLevels before;
  int bits = 0;
  int value = 0;
  bool inFrame = false;
  for (const auto& event : events) {
    const sim::LineLevels now = event.levels;
    if (before.scl && now.scl && before.sda != now.sda) {
      text += now.sda ? "P " : "S ";
      inFrame = !now.sda;
      bits = value = 0;
    } else if (inFrame && !before.scl && now.scl) {
      if (bits < 8) {
        value = value << 1 | (now.sda ? 1 : 0);
        ++bits;
      } else {
        char byte[8];
        std::snprintf(byte, sizeof byte, "%02x%c ", value, now.sda ? 'n' : 'a');
        text += byte;
        bits = value = 0;
      }
    }
    before = now;
  }
  if (!text.empty()) text.pop_back();
  return text;
}

}  // namespace support
