#include "qtsctl/RegisterDecoding.h"

#include <algorithm>

#include "logging/LogFormat.h"
#include "registers/RegisterMap.h"

namespace qtsctl {

namespace {

using namespace registers;

constexpr std::uint8_t kRateCodeMask = 0x0F;

std::string Degrees(double value) { return logging::NumberText(static_cast<float>(value)) + " C"; }

std::string Joined(std::uint8_t value, std::uint8_t mask, BitNameSet set) {
  std::string names;
  for (int bit = 7; bit >= 0; --bit) {
    if ((value & mask & (1 << bit)) == 0) continue;
    if (!names.empty()) names += ", ";
    names += BitNames(set)[static_cast<std::size_t>(bit)];
  }
  return names;
}

std::string StatusMeaning(std::uint8_t value) {
  const std::string flags = Joined(value, 0xFF, BitNameSet::Status);
  return flags.empty() ? "no flags" : flags;
}

std::string ConfigurationMeaning(std::uint8_t value) {
  // A set ALERT bit masks the ALERT output.
  return std::string((value & kConfigAlertMask) ? "ALERT masked" : "ALERT enabled") + ", " +
         ((value & kConfigStandby) ? "Standby Mode is On" : "Standby Mode is Off");
}

std::string ConversionRateMeaning(std::uint8_t value) {
  const int code = value & kRateCodeMask;
  const auto& labels = ConversionRateLabels();
  if (code >= static_cast<int>(labels.size())) return "rate code " + std::to_string(code) + " is undefined";
  std::string_view label = labels[static_cast<std::size_t>(code)];
  label.remove_prefix(std::min(label.find_first_not_of(' '), label.size()));
  return std::string(label) + " conversions/s";
}

}  // namespace

std::string RegisterMeaning(int code, std::uint8_t value) {
  switch (ToReadCode(code)) {
    case kLocalTemperature:
    case kRemoteTemperature:
    case kLocalHighLimit:
    case kLocalLowLimit:
    case kRemoteHighLimit:
    case kRemoteLowLimit:
      return Degrees(value);
    case kRemoteTemperatureLow:
    case kLocalTemperatureLow:
      return std::string("+").append(Degrees(TemperatureFraction(value)));
    case kStatus:
      return StatusMeaning(value);
    case kConfiguration:
      return ConfigurationMeaning(value);
    case kConversionRate:
      return ConversionRateMeaning(value);
    case kOneShot:
      return "write-only: a write starts one conversion";
    default:
      return "";
  }
}

std::string LimitFlagNames(std::uint8_t status) { return Joined(status, kStatusLimitFlags, BitNameSet::Status); }

}  // namespace qtsctl
