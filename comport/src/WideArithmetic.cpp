// Unsigned 32-bit and wider values held in doubles, treated as bit patterns.
// Inputs are meant to be non-negative whole numbers below 2^64. NaN,
// infinities and magnitudes of 2^64 or more raise the overflow error: their
// slices would not fit the 64-bit integers the arithmetic uses.
#include <cmath>
#include <cstdint>

#include "comport/CommunicationsProcedures.h"
#include "comport/RuntimeError.h"

namespace comport::CommunicationsProcedures {

namespace {
constexpr double kTwo16 = 65536.0;
constexpr double kTwo32 = 4294967296.0;
constexpr double kTwo48 = 281474976710656.0;
constexpr double kTwo64 = 18446744073709551616.0;

double InRange(double value) {
  if (!(std::fabs(value) < kTwo64)) throw RuntimeError::Overflow();
  return value;
}
}  // namespace

std::int32_t RoundToInt32(double value) {
  const double rounded = std::nearbyint(value);  // ties to even
  if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) throw RuntimeError::Overflow();
  return static_cast<std::int32_t>(rounded);
}

std::int32_t ToSigned32(double value) {
  if (value <= 2147483647.0) return RoundToInt32(value);
  // Above the signed range: the same 32 bits as a two's-complement pattern,
  // the negation of (the bits 0-30 that are clear in the whole part, plus 1).
  // The whole part's bits are read at once rather than one by one through
  // BitAndWide; the PCI scan converts every configuration address this way.
  const auto clear = static_cast<std::int32_t>(~static_cast<std::uint64_t>(InRange(value)) & 0x7FFFFFFFu);
  return -clear - 1;
}

double BitAndWide(double a, double b) {
  InRange(a);
  InRange(b);
  double result = 0;
  for (double weight : {kTwo48, kTwo32, kTwo16, 1.0}) {
    const auto sliceA = static_cast<std::int64_t>(std::floor(a / weight));
    const auto sliceB = static_cast<std::int64_t>(std::floor(b / weight));
    result += static_cast<double>(sliceA & sliceB) * weight;
    a = std::fmod(a, weight);
    b = std::fmod(b, weight);
  }
  return result;
}

double BitOrWide(double a, double b) {
  InRange(a);
  InRange(b);
  const auto highA = static_cast<std::int64_t>(std::floor(a / kTwo16));
  const auto highB = static_cast<std::int64_t>(std::floor(b / kTwo16));
  const auto lowA = static_cast<std::int64_t>(std::fmod(std::floor(a), kTwo16));
  const auto lowB = static_cast<std::int64_t>(std::fmod(std::floor(b), kTwo16));
  return static_cast<double>(highA | highB) * kTwo16 + static_cast<double>(lowA | lowB);
}

}  // namespace comport::CommunicationsProcedures
