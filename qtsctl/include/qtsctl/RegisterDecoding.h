#pragma once

#include <cstdint>
#include <string>

// What a register's byte means, for people reading a dump.
namespace qtsctl {

// Temperatures and limits in degrees, fraction bytes in eighths, the status
// flags and configuration bits by name, the conversion rate in conversions
// per second. Empty for registers the chip gives no encoding to.
std::string RegisterMeaning(int code, std::uint8_t value);

// The chip's temperature as the monitoring loop forms it: whole degrees from
// the high byte, taken as 127 above 127 (the loop shows no negative
// temperatures), plus eighths of a degree from bits 7..5 of the low byte.
float MonitoredTemperature(std::uint8_t high, std::uint8_t low);

// Names of the four limit flags set in a status byte, comma-separated;
// empty when none is set.
std::string LimitFlagNames(std::uint8_t status);

}  // namespace qtsctl
