#include "comport/CommunicationsProcedures.h"

namespace comport::CommunicationsProcedures {

std::uint8_t ComputePEC(std::span<const std::uint8_t> bytes) {
  constexpr std::uint8_t kPolynomial = 0x07;  // x^8 + x^2 + x + 1
  std::uint8_t crc = 0;
  for (std::uint8_t byte : bytes) {
    for (int bit = 7; bit >= 0; --bit) {
      const bool feedback = ((crc >> 7) ^ (byte >> bit)) & 1;
      crc = static_cast<std::uint8_t>(crc << 1);
      if (feedback) crc ^= kPolynomial;
    }
  }
  return crc;
}

}  // namespace comport::CommunicationsProcedures
