#pragma once

#include <cstdint>

namespace comport {

// The selected printer port's data register (base address), passed through unchanged.
class DataPort {
 public:
  std::uint8_t Value() const;
  void Value(std::uint8_t value);
};

}  // namespace comport
