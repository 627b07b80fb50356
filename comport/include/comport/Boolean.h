#pragma once

#include <cstdint>

namespace comport {

// Booleans cross the interface as 16-bit values. Only -1 is True; any other
// non-zero value still counts as set where a flag is tested, but it is not
// True where a property compares with True (DataInverted, ReadData).
using Boolean = std::int16_t;
inline constexpr Boolean kTrue = -1;
inline constexpr Boolean kFalse = 0;

inline constexpr Boolean ToBoolean(bool value) { return value ? kTrue : kFalse; }

}  // namespace comport
