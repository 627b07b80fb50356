#include "cli/DeviceChoice.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "numbers/NumberText.h"

namespace qtscli {

namespace {

constexpr double kFirstAddress = 0x03;
constexpr double kLastAddress = 0x77;
constexpr int kHighestPortNumber = 255;
constexpr const char* kForm = "use lptN:ADDRESS[:inverted|direct] or smbus:ADDRESS, for example lpt1:0x4C";

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

[[noreturn]] void Bad(std::string_view text, const std::string& why) {
  throw std::invalid_argument("device \"" + std::string(text) + "\": " + why);
}

}  // namespace

DeviceChoice ParseDeviceChoice(std::string_view text) {
  const std::string lower = Lower(text);
  const auto first = lower.find(':');
  if (first == std::string::npos) Bad(text, kForm);
  const std::string medium = lower.substr(0, first);
  std::string rest = lower.substr(first + 1);
  std::string wiring;
  if (const auto second = rest.find(':'); second != std::string::npos) {
    wiring = rest.substr(second + 1);
    rest.resize(second);
  }

  DeviceChoice device;
  if (medium == "smbus") {
    device.onBoard = true;
    if (!wiring.empty()) Bad(text, "the on-board SMBus has no adapter wiring");
  } else if (medium.starts_with("lpt")) {
    const auto number = numbers::ReadArgumentNumber(medium.substr(3));
    if (!number || *number != std::floor(*number) || *number < 1 || *number > kHighestPortNumber)
      Bad(text, "the printer port is LPT followed by its number, for example lpt1");
    device.portNumber = static_cast<int>(*number);
    if (wiring == "direct")
      device.inverted = false;
    else if (!wiring.empty() && wiring != "inverted")
      Bad(text, "the adapter wiring is inverted or direct");
  } else {
    Bad(text, kForm);
  }

  const auto address = numbers::ReadArgumentNumber(rest);
  if (!address || *address != std::floor(*address)) Bad(text, "the address is not a number (decimal or 0x hexadecimal)");
  if (*address < kFirstAddress || *address > kLastAddress) Bad(text, "the address is outside 0x03..0x77");
  device.address = static_cast<std::uint8_t>(*address);
  return device;
}

std::string Describe(const DeviceChoice& device) {
  char address[8];
  std::snprintf(address, sizeof address, "0x%02X", device.address);
  if (device.onBoard) return std::string(address) + " on the on-board SMBus";
  return std::string(address) + " on LPT" + std::to_string(device.portNumber) +
         (device.inverted ? " (inverting adapter)" : " (direct adapter)");
}

}  // namespace qtscli
