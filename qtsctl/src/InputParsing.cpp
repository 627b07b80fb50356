#include "qtsctl/InputParsing.h"

#include <cctype>
#include <climits>
#include <cmath>
#include <cstdio>
#include <optional>

#include "numbers/NumberText.h"
#include "qtsctl/BadInput.h"
#include "registers/RegisterMap.h"

namespace qtsctl {

namespace {

constexpr long kFirstAddress = 0x03;
constexpr long kLastAddress = 0x77;
constexpr double kSecondsPerDay = 86'400;

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

std::optional<long> Number(std::string_view text) {
  const auto value = numbers::ReadArgumentNumber(text);
  if (!value || *value != std::floor(*value)) return std::nullopt;
  if (!(std::fabs(*value) < 1e15)) return *value > 0 ? LONG_MAX : LONG_MIN;
  return static_cast<long>(*value);
}

std::string Folded(std::string_view name) {
  std::string folded;
  for (const char c : name)
    if (std::isalnum(static_cast<unsigned char>(c))) folded += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return folded;
}

}  // namespace

long ParseNumber(std::string_view text, std::string_view what, long low, long high) {
  const auto value = Number(text);
  if (!value) throw BadInput(std::string(what) + " " + Quoted(text) + " is not a number (decimal or 0x hexadecimal)");
  if (*value < low || *value > high)
    throw BadInput(std::string(what) + " " + Quoted(text) + " is outside " + std::to_string(low) + ".." +
                   std::to_string(high));
  return *value;
}

std::uint8_t ParseDeviceAddress(std::string_view text) {
  const auto value = Number(text);
  if (!value) throw BadInput("address " + Quoted(text) + " is not a number (decimal or 0x hexadecimal)");
  if (*value < kFirstAddress || *value > kLastAddress)
    throw BadInput("address " + Quoted(text) + " is outside the 7-bit device addresses 0x03..0x77");
  return static_cast<std::uint8_t>(*value);
}

std::uint8_t ParseRegisterValue(std::string_view text) {
  return static_cast<std::uint8_t>(ParseNumber(text, "value", 0, 255));
}

std::uint8_t ParseRegister(std::string_view text, RegisterUse use) {
  if (!text.empty() && std::isdigit(static_cast<unsigned char>(text.front())))
    return static_cast<std::uint8_t>(ParseNumber(text, "register", 0, 255));
  const std::string wanted = Folded(text);
  for (const auto& entry : registers::RegisterTable()) {
    if (entry.name.empty() || Folded(entry.name) != wanted) continue;
    if (use == RegisterUse::Write) {
      if (!entry.writeCode) throw BadInput("register " + Quoted(entry.name) + " is read-only");
      return static_cast<std::uint8_t>(*entry.writeCode);
    }
    return static_cast<std::uint8_t>(entry.readCode);
  }
  throw BadInput("unknown register " + Quoted(text) + ": give a code 0..255 or a name that qtsctl dump lists");
}

double ParseInterval(std::string_view text) {
  const auto number = numbers::ReadArgumentNumber(text);
  if (!number) throw BadInput("interval " + Quoted(text) + " is not a number of seconds");
  const double value = *number;
  if (!(value >= 0 && value <= kSecondsPerDay)) throw BadInput("interval " + Quoted(text) + " is outside 0..86400 seconds");
  return value;
}

std::string HexByte(int value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", value & 0xFF);
  return text;
}

}  // namespace qtsctl
