#pragma once

namespace comport {

// The USB medium: its two members exist and do nothing.
class USB {
 public:
  void OpenUSBPort() {}
  void CloseUSBPort() {}
};

}  // namespace comport
