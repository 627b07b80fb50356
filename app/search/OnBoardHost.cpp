#include "search/OnBoardHost.h"

#include "comport/RuntimeError.h"
#include "comport/SMBus.h"
#include "numbers/NumberText.h"

namespace devicesearch {

OnBoardHost DiscoveredHost(const comport::SMBus& smbus) { return {smbus.DeviceID(), smbus.SMBusBaseAddress(), false}; }

OnBoardHost HostForSearch(const OnBoardHost& discovered, std::int32_t typedBase) {
  if (typedBase == 0) return discovered;
  if (discovered.deviceId != 0 && typedBase == discovered.baseAddress) return discovered;
  return {kIntelLayoutId, typedBase, true};
}

void SelectHost(comport::SMBus& smbus, const OnBoardHost& host) {
  smbus.DeviceID(host.deviceId);
  smbus.SMBusBaseAddress(host.baseAddress);
}

std::optional<std::int32_t> ReadTypedBase(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  if (text.empty()) return 0;
  if (text.starts_with("0x") || text.starts_with("0X") || text.starts_with("&H") || text.starts_with("&h"))
    text.remove_prefix(2);
  try {
    const numbers::LenientNumber number = numbers::ReadHexDigits(text, numbers::RadixSign::Unsigned);
    if (!number.whole || number.value < 0 || number.value > kHighestBaseAddress) return std::nullopt;
    return static_cast<std::int32_t>(number.value);
  } catch (const comport::RuntimeError&) {
    return std::nullopt;  // more digits than any number holds
  }
}

}  // namespace devicesearch
