#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace comport {
class SMBus;
}

namespace devicesearch {

// The on-board SMBus host controller a search talks to: its identification
// (which selects the register layout) and its I/O base.
struct OnBoardHost {
  std::int32_t deviceId = 0;  // 0: none
  std::int32_t baseAddress = 0;
  bool typed = false;  // the base came from the user, not from discovery
};

// The identification that selects the Intel register layout for a base the
// user typed (the first Intel controller the component supports).
inline constexpr std::int32_t kIntelLayoutId = 0x71138086;
inline constexpr std::int32_t kHighestBaseAddress = 0xFFFF;

// The controller discovery left in the component.
OnBoardHost DiscoveredHost(const comport::SMBus& smbus);

// The controller the on-board pass uses: discovery's, unless the user typed a
// non-zero base that discovery did not find; that base is then used with the
// Intel register layout.
OnBoardHost HostForSearch(const OnBoardHost& discovered, std::int32_t typedBase);

// Makes the component talk to `host`.
void SelectHost(comport::SMBus& smbus, const OnBoardHost& host);

// A base address as typed: hexadecimal digits (an "&H" or "0x" in front is
// allowed), surrounding blanks ignored, 0 to FFFF; an empty text is 0.
// Empty when the text is not a base address.
std::optional<std::int32_t> ReadTypedBase(std::string_view text);

}  // namespace devicesearch
