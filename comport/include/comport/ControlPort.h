#pragma once

#include <cstdint>

namespace comport {

// The selected printer port's control register (base address + 2), passed through unchanged.
class ControlPort {
 public:
  std::uint8_t Value() const;
  void Value(std::uint8_t value);
};

}  // namespace comport
