#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

// The QTS5460 as the program knows it: one table of registers that the
// register panel, the monitoring loop, the limit gauges and the device search
// all read. Codes are ints because callers hand over whatever a user typed.
namespace registers {

// Read codes.
inline constexpr int kLocalTemperature = 0x00;
inline constexpr int kRemoteTemperature = 0x01;
inline constexpr int kStatus = 0x02;
inline constexpr int kConfiguration = 0x03;
inline constexpr int kConversionRate = 0x04;
inline constexpr int kLocalHighLimit = 0x05;
inline constexpr int kLocalLowLimit = 0x06;
inline constexpr int kRemoteHighLimit = 0x07;
inline constexpr int kRemoteLowLimit = 0x08;
inline constexpr int kOneShot = 0x0F;
inline constexpr int kRemoteTemperatureLow = 0x10;
inline constexpr int kRemoteOffsetHigh = 0x11;
inline constexpr int kRemoteOffsetLow = 0x12;
inline constexpr int kRemoteHighLimitLow = 0x13;
inline constexpr int kRemoteLowLimitLow = 0x14;
// Not in the chip's documented table; the monitoring loop reads it as the
// local temperature's fraction byte.
inline constexpr int kLocalTemperatureLow = 0x19;
inline constexpr int kManufacturerId = 0xFE;
inline constexpr int kDieRevision = 0xFF;

// The limit, configuration and conversion-rate registers are written six
// codes above where they are read.
inline constexpr int kWriteCodeOffset = 6;

// Status register (0x02) bits.
inline constexpr std::uint8_t kStatusBusy = 0x80;         // a conversion is running
inline constexpr std::uint8_t kStatusLocalHigh = 0x40;    // local above its high limit
inline constexpr std::uint8_t kStatusLocalLow = 0x20;     // local below its low limit
inline constexpr std::uint8_t kStatusRemoteHigh = 0x10;   // remote above its high limit
inline constexpr std::uint8_t kStatusRemoteLow = 0x08;    // remote below its low limit
inline constexpr std::uint8_t kStatusRemoteOpen = 0x04;   // remote diode open circuit
// The four limit flags: the software alert looks at these and nothing else.
inline constexpr std::uint8_t kStatusLimitFlags =
    kStatusLocalHigh | kStatusLocalLow | kStatusRemoteHigh | kStatusRemoteLow;

// Configuration register (0x03, written at 0x09) bits.
inline constexpr std::uint8_t kConfigAlertMask = 0x80;  // set: ALERT output masked
inline constexpr std::uint8_t kConfigStandby = 0x40;    // set: standby, no conversions

// A write of this value to the one-shot register starts one conversion.
inline constexpr std::uint8_t kOneShotStart = 0xFF;

// SMBus Alert Response Address, and the address byte a receive byte from it
// puts on the wire (shifted left, read bit set).
inline constexpr std::uint8_t kAlertResponseAddress = 0x0C;
inline constexpr std::uint8_t kAlertResponseAddressByte = 0x19;

enum class Access { Read, ReadWrite, Write };

// The names the register panel gives its eight bit digits.
enum class BitNameSet { Generic, Status, ConfigurationRead, ConfigurationWrite, ConversionRate };

struct Register {
  int readCode;
  std::optional<int> writeCode;
  // Empty for a register the panel has no name for.
  std::string_view name;
  Access access;
  // Bit names selected by the read code and by the write code. Empty:
  // selecting the register keeps whatever names the digits showed.
  std::optional<BitNameSet> readBitNames;
  std::optional<BitNameSet> writeBitNames;
};

std::span<const Register> RegisterTable();

// The register a read or write code belongs to.
const Register* FindRegister(int code);

// The name the panel shows for a read or write code; nothing for a code
// without a name, which leaves the panel's name field as it was.
std::optional<std::string_view> RegisterName(int code);

// The bit-name set a code selects; nothing keeps the names shown before.
std::optional<BitNameSet> BitNameSetFor(int code);

// Names of bits 0..7 (index = bit number).
const std::array<std::string_view, 8>& BitNames(BitNameSet set);

bool IsWritable(int code);

// Read codes 0x03..0x08 map to their write codes; every other code stays.
int ToWriteCode(int code);
// Write codes 0x09..0x0E map back to their read codes; every other code stays.
int ToReadCode(int code);

// Labels of conversion-rate codes 0..7, in conversions per second.
const std::array<std::string_view, 8>& ConversionRateLabels();
inline constexpr std::string_view kConversionRateHeading = "ADC Sampling";

// Eighths of a degree in bits 7..5 of a temperature's low byte.
double TemperatureFraction(std::uint8_t lowByte);

// The chip's temperature as the monitoring loop forms it: whole degrees from
// the high byte, taken as 127 above 127 (the loop shows no negative
// temperatures), plus eighths of a degree from bits 7..5 of the low byte.
float MonitoredTemperature(std::uint8_t high, std::uint8_t low);

// The chip's temperature as it reads: whole degrees from the high byte as
// they are, plus eighths of a degree from bits 7..5 of the low byte.
float ChipTemperature(std::uint8_t high, std::uint8_t low);

}  // namespace registers
