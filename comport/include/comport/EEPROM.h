#pragma once

#include <cstdint>
#include <string>

#include "comport/Boolean.h"
#include "comport/Event.h"

namespace comport {

// A memory device (or any device with a 16-bit internal address) on the
// printer-port SMBus, at the shared DeviceAddress.
class EEPROM {
 public:
  // Loads the inverting adapter's line patterns (and nothing else).
  EEPROM();

  float FrameDelay() const;
  void FrameDelay(float value);
  std::int16_t Delay() const { return delay_; }
  void Delay(std::int16_t value) { delay_ = value; }
  Boolean RelativeDelayOn() const;
  void RelativeDelayOn(Boolean value);
  void SetAddress(std::uint8_t HighByte, std::uint8_t LowByte);
  std::uint8_t ReadByte(std::uint8_t HighByte, std::uint8_t LowByte);
  void WriteByte(std::uint8_t HighByte, std::uint8_t LowByte, std::uint8_t Data);
  Boolean PageErase(std::uint8_t CommandByte, std::uint8_t HighByte, std::uint8_t LowByte);
  std::uint8_t DeviceAddress() const;
  void DeviceAddress(std::uint8_t value);
  void SetEEPROMAddress(std::uint8_t HighByte, std::uint8_t LowByte);
  // DeviceAddress is not used: the shared DeviceAddress is sent.
  void SingleCommand(std::uint8_t DeviceAddress, std::uint8_t CommandByte);

  // Part of the interface; no operation raises it.
  Event<std::int16_t, const std::string&>& EEPROMError() { return eepromError_; }

 private:
  std::int16_t delay_ = 0;
  Event<std::int16_t, const std::string&> eepromError_;
};

}  // namespace comport
