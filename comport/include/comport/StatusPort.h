#pragma once

#include <cstdint>

namespace comport {

// The selected printer port's status register (base address + 1), passed through unchanged.
class StatusPort {
 public:
  std::uint8_t Value() const;
  void Value(std::uint8_t value);
};

}  // namespace comport
