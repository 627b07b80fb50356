#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Numbers and names as a user types them. Every function throws BadInput with
// a message that names the argument and what is wrong with it.
namespace qtsctl {

// Decimal, or hexadecimal with a 0x prefix, between low and high.
long ParseNumber(std::string_view text, std::string_view what, long low, long high);

// A 7-bit SMBus address outside the reserved ones: 0x03..0x77.
std::uint8_t ParseDeviceAddress(std::string_view text);

// A register value, 0..255.
std::uint8_t ParseRegisterValue(std::string_view text);

enum class RegisterUse { Read, Write };

// A register code as a number (0..255), or a register map name or alias
// (registers/RegisterNames.h): "Local Temp. High Limit", "local-high",
// "CONFIG". A name selects its read or write code; a write to a read-only
// register's name is refused. (Reading the write-only one-shot register is
// allowed, as the program's register panel does.) An unknown name is
// refused with the names closest to it.
std::uint8_t ParseRegister(std::string_view text, RegisterUse use);

// Refuses a byte write to a code given as a number where the register map
// reads a register that is written elsewhere (0x05, written at 0x0B) or not
// at all (0x02): such a write changes nothing on the chip.
void CheckWriteCode(std::uint8_t code);

// A word value, 0..65535.
std::uint16_t ParseWordValue(std::string_view text);

// The bytes of a block write: 1 to 32 values 0..255.
std::vector<std::uint8_t> ParseBlockValues(const std::vector<std::string>& texts);

// Seconds between samples: 0 to one day, fractions allowed.
double ParseInterval(std::string_view text);

// "0x4C": the form the tool prints bytes in.
std::string HexByte(int value);

}  // namespace qtsctl
