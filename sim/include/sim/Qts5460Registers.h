#pragma once

#include <array>
#include <cstdint>

// The QTS5460's registers by command code. Limits, configuration and
// conversion rate are read at one code and written at the read code plus 6;
// the extended registers share one code for both.
namespace sim::qts5460 {

constexpr std::uint8_t kLocalTemperature = 0x00;   // whole degrees, unsigned
constexpr std::uint8_t kRemoteTemperature = 0x01;  // whole degrees, unsigned
constexpr std::uint8_t kStatus = 0x02;
constexpr std::uint8_t   kStatusBusy = 0x80;        // a conversion is running
constexpr std::uint8_t   kStatusLocalHigh = 0x40;   // local measurement above the local high limit
constexpr std::uint8_t   kStatusLocalLow = 0x20;    // local measurement below the local low limit
constexpr std::uint8_t   kStatusRemoteHigh = 0x10;  // remote measurement above the remote high limit
constexpr std::uint8_t   kStatusRemoteLow = 0x08;   // remote measurement below the remote low limit
constexpr std::uint8_t   kStatusRemoteOpen = 0x04;  // remote diode open circuit
constexpr std::uint8_t   kStatusAlertFlags = 0x7C;  // the latched flags that raise ALERT
constexpr std::uint8_t kConfigurationRead = 0x03;
constexpr std::uint8_t   kConfigAlertMask = 0x80;  // set: ALERT output disabled
constexpr std::uint8_t   kConfigStandby = 0x40;    // set: no conversions
constexpr std::uint8_t   kConfigWritable = 0xC0;   // the other bits read 0
constexpr std::uint8_t kConversionRateRead = 0x04;  // code 0..7: 0.0625 to 8 per second
constexpr std::uint8_t   kConversionRateFastest = 0x07;
constexpr std::uint8_t kLocalHighRead = 0x05;
constexpr std::uint8_t kLocalLowRead = 0x06;
constexpr std::uint8_t kRemoteHighRead = 0x07;
constexpr std::uint8_t kRemoteLowRead = 0x08;
constexpr std::uint8_t kWriteCodeOffset = 6;
constexpr std::uint8_t kConfigurationWrite = 0x09;
constexpr std::uint8_t kConversionRateWrite = 0x0A;
constexpr std::uint8_t kLocalHighWrite = 0x0B;
constexpr std::uint8_t kLocalLowWrite = 0x0C;
constexpr std::uint8_t kRemoteHighWrite = 0x0D;
constexpr std::uint8_t kRemoteLowWrite = 0x0E;
constexpr std::uint8_t kOneShot = 0x0F;               // write only: one conversion in standby
constexpr std::uint8_t kRemoteTemperatureLow = 0x10;  // eighths of a degree in bits 7..5
constexpr std::uint8_t kRemoteOffsetHigh = 0x11;      // whole degrees, two's complement
constexpr std::uint8_t kRemoteOffsetLow = 0x12;       // eighths in bits 7..5
constexpr std::uint8_t kRemoteHighLimitLow = 0x13;    // eighths in bits 7..5
constexpr std::uint8_t kRemoteLowLimitLow = 0x14;     // eighths in bits 7..5
constexpr std::uint8_t kLocalTemperatureLow = 0x19;   // eighths in bits 7..5
constexpr std::uint8_t kManufacturerId = 0xFE;
constexpr std::uint8_t kDieRevision = 0xFF;

constexpr std::uint8_t kFractionMask = 0xE0;
constexpr std::uint8_t kManufacturerIdValue = 0x41;
constexpr std::uint8_t kDieRevisionValue = 0x03;  // the simulator's own choice

// The registers that hold what was written, with their power-on values.
// `writeCode` equals `readCode` for the extended registers.
struct StoredRegister {
  std::uint8_t readCode;
  std::uint8_t writeCode;
  std::uint8_t powerOn;
};

inline constexpr std::array<StoredRegister, 10> kStoredRegisters{{
    {kConfigurationRead, kConfigurationWrite, 0x00},
    {kConversionRateRead, kConversionRateWrite, kConversionRateFastest},
    {kLocalHighRead, kLocalHighWrite, 85},
    {kLocalLowRead, kLocalLowWrite, 0},
    {kRemoteHighRead, kRemoteHighWrite, 85},
    {kRemoteLowRead, kRemoteLowWrite, 0},
    {kRemoteOffsetHigh, kRemoteOffsetHigh, 0},
    {kRemoteOffsetLow, kRemoteOffsetLow, 0},
    {kRemoteHighLimitLow, kRemoteHighLimitLow, 0},
    {kRemoteLowLimitLow, kRemoteLowLimitLow, 0},
}};

}  // namespace sim::qts5460
