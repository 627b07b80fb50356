#pragma once

#include <cstdint>

#include "link/LinkNewComPort.h"

// What the "Control Center" tab's handler files share.
namespace app {

// The monitoring loop's interval in milliseconds: as often as the timer allows.
inline constexpr int kLoopInterval = 5;

// Register accesses in the link's calling convention: set the pointer (and
// the value), call the routine, take ReadValue at once.

inline std::uint8_t ReadRegisterAt(int code) {
  LinkNewComPort::RegisterPointer = static_cast<std::int16_t>(code);
  LinkNewComPort::ReadDeviceRegister();
  return static_cast<std::uint8_t>(LinkNewComPort::ReadValue);
}

inline void WriteRegisterAt(int code, std::int32_t value) {
  LinkNewComPort::RegisterPointer = static_cast<std::int16_t>(code);
  LinkNewComPort::WriteValue = value;
  LinkNewComPort::WriteDeviceRegister();
}

}  // namespace app
