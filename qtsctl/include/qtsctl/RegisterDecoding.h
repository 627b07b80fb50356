#pragma once

#include <cstdint>
#include <string>

// What a register's byte means, for people reading a dump.
namespace qtsctl {

// Temperatures and limits in degrees, fraction bytes in eighths, the status
// flags and configuration bits by name, the conversion rate in conversions
// per second. Empty for registers the chip gives no encoding to.
std::string RegisterMeaning(int code, std::uint8_t value);

// Names of the four limit flags set in a status byte, comma-separated;
// empty when none is set.
std::string LimitFlagNames(std::uint8_t status);

}  // namespace qtsctl
