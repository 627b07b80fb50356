#pragma once

#include <cstdint>
#include <map>

#include "sim/SmbusDevice.h"

namespace sim {

// A device with an SMBALERT# output.
class AlertSource {
 public:
  virtual ~AlertSource() = default;
  virtual bool AlertAsserted() = 0;
  // The device has sent its address in an alert response and lets its
  // ALERT output go until its own rule raises it again.
  virtual void AlertAnswered() = 0;
};

// The Alert Response Address of a segment. A receive byte there is answered by
// the alerting device with the lowest address (it wins the arbitration of the
// address byte on a real bus), with its 7-bit address in bits 7..1 and bit 0
// clear. Nobody alerting: no acknowledge. Anything but a receive byte is not
// acknowledged either.
class AlertResponder : public SmbusDevice {
 public:
  static constexpr std::uint8_t kAddress = 0x0C;

  void Add(std::uint8_t address, AlertSource& source) { sources_[address] = &source; }
  // The wired-AND SMBALERT# line: true while any device pulls it.
  bool AlertLine();

  bool Start(bool read) override;
  bool WriteByte(std::uint8_t) override { return false; }
  std::uint8_t ReadByte() override;
  void Stop() override { answering_ = nullptr; }

 private:
  std::map<std::uint8_t, AlertSource*> sources_;  // ordered: lowest address first
  AlertSource* answering_ = nullptr;
  std::uint8_t answeringAddress_ = 0;
};

}  // namespace sim
