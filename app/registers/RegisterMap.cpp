#include "registers/RegisterMap.h"

#include <algorithm>

namespace registers {
namespace {

using enum Access;
using enum BitNameSet;

constexpr std::array<Register, 18> kRegisters{{
    {kLocalTemperature, {}, "Local Temperature", Read, Generic, {}},
    {kRemoteTemperature, {}, "Remote Temperature", Read, Generic, {}},
    {kStatus, {}, "Status", Read, Status, {}},
    {kConfiguration, 0x09, "Configuration", ReadWrite, ConfigurationRead, ConfigurationWrite},
    {kConversionRate, 0x0A, "Conversion Rate", ReadWrite, ConversionRate, ConversionRate},
    {kLocalHighLimit, 0x0B, "Local Temp. High Limit", ReadWrite, Generic, Generic},
    {kLocalLowLimit, 0x0C, "Local Temp. Low Limit", ReadWrite, Generic, Generic},
    {kRemoteHighLimit, 0x0D, "Remote Temp. High Limit", ReadWrite, Generic, Generic},
    {kRemoteLowLimit, 0x0E, "Remote Temp. Low Limit", ReadWrite, Generic, Generic},
    // Write-only on the chip; the register panel still reads it when selected.
    {kOneShot, kOneShot, "One-Shot", Write, Generic, Generic},
    {kRemoteTemperatureLow, {}, "Remote Temperature Value (Low Byte)", Read, {}, {}},
    {kRemoteOffsetHigh, kRemoteOffsetHigh, "Remote Temperature Offset (High Byte)", ReadWrite, {}, {}},
    {kRemoteOffsetLow, kRemoteOffsetLow, "Remote Temperature Offset (Low Byte)", ReadWrite, {}, {}},
    {kRemoteHighLimitLow, kRemoteHighLimitLow, "Remote Temperature High Limit (Low Byte)", ReadWrite, {}, {}},
    {kRemoteLowLimitLow, kRemoteLowLimitLow, "Remote Temperature Low Limit (Low Byte)", ReadWrite, {}, {}},
    {kLocalTemperatureLow, {}, {}, Read, {}, {}},
    {kManufacturerId, {}, "Manufacturers ID", Read, Generic, {}},
    {kDieRevision, {}, "Die Revision Code", Read, Generic, {}},
}};

// The register panel gives this code the generic names although no register
// of the chip answers at it.
constexpr int kGenericNamesOnlyCode = 0x27;

constexpr std::array<std::array<std::string_view, 8>, 5> kBitNames{{
    {"Bit 0", "Bit 1", "Bit 2", "Bit 3", "Bit 4", "Bit 5", "Bit 6", "Bit 7"},
    {"Reserved", "Reserved", "Rem Sen oc", "Remote Low", "Remote High", "Local Low", "Local High",
     "ADC On"},
    {"Unused", "Unused", "Unused", "Unused", "Unused", "Unused", "Op. Mode", "ALERT"},
    {"Unused", "Unused", "Unused", "Unused", "Unused", "Unused", "Run/Stop", "ALERT"},
    {"Bit 0", "Bit 1", "Bit 2", "Bit 3", "Unused", "Unused", "Unused", "Unused"},
}};

constexpr std::array<std::string_view, 8> kConversionRateLabels{
    "0.0625", "0.125", "0.25", "0.5", "  1", "  2", "  4", "  8"};

}  // namespace

std::span<const Register> RegisterTable() { return kRegisters; }

const Register* FindRegister(int code) {
  const auto it = std::ranges::find_if(kRegisters, [code](const Register& r) {
    return r.readCode == code || r.writeCode == code;
  });
  return it == kRegisters.end() ? nullptr : &*it;
}

std::optional<std::string_view> RegisterName(int code) {
  const Register* r = FindRegister(code);
  if (r == nullptr || r->name.empty()) return std::nullopt;
  return r->name;
}

std::optional<BitNameSet> BitNameSetFor(int code) {
  if (code == kGenericNamesOnlyCode) return Generic;
  const Register* r = FindRegister(code);
  if (r == nullptr) return std::nullopt;
  return code == r->readCode ? r->readBitNames : r->writeBitNames;
}

const std::array<std::string_view, 8>& BitNames(BitNameSet set) {
  return kBitNames.at(static_cast<std::size_t>(set));
}

bool IsWritable(int code) {
  const Register* r = FindRegister(code);
  return r != nullptr && r->access != Read;
}

int ToWriteCode(int code) {
  return code >= kConfiguration && code <= kRemoteLowLimit ? code + kWriteCodeOffset : code;
}

int ToReadCode(int code) {
  return code >= kConfiguration + kWriteCodeOffset && code <= kRemoteLowLimit + kWriteCodeOffset
             ? code - kWriteCodeOffset
             : code;
}

const std::array<std::string_view, 8>& ConversionRateLabels() { return kConversionRateLabels; }

double TemperatureFraction(std::uint8_t lowByte) { return ((lowByte & 0xE0) / 32) * 0.125; }

float MonitoredTemperature(std::uint8_t high, std::uint8_t low) {
  constexpr int kHighestWholeDegree = 127;
  const int whole = std::min<int>(high, kHighestWholeDegree);
  return static_cast<float>(whole + TemperatureFraction(low));
}

float ChipTemperature(std::uint8_t high, std::uint8_t low) {
  return static_cast<float>(high + TemperatureFraction(low));
}

}  // namespace registers
