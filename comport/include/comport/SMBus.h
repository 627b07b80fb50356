#pragma once

#include <cstdint>

#include "comport/Boolean.h"

namespace comport {

// The on-board SMBus host controller. Pending: PCI configuration access, the
// search for a supported controller and the host-controller transfers come
// with the on-board medium; until then the members store and return values
// and perform no I/O.
class SMBus {
 public:
  double ReadPCI(std::uint8_t Bus, std::uint8_t Device, std::uint8_t Fn, std::uint8_t Register);
  void WritePCI(std::uint8_t Bus, std::uint8_t Device, std::uint8_t Fn, std::uint8_t Register, std::uint8_t Value);
  std::int32_t ReadBase(double BaseAddr);
  void WriteBase(std::int32_t BaseAddr, std::int32_t Value);
  std::int32_t DeviceID() const { return deviceId_; }
  void DeviceID(std::int32_t value) { deviceId_ = value; }
  std::int32_t SMBusBaseAddress() const { return baseAddress_; }
  void SMBusBaseAddress(std::int32_t value) { baseAddress_ = value; }
  Boolean DevicePresent(std::uint8_t DeviceAddress);
  float FrameDelay() const { return frameDelay_; }
  void FrameDelay(float value) { frameDelay_ = value; }
  void PortWrite(std::uint8_t DeviceAddress, std::uint8_t AddressPointer, std::uint8_t Data);
  std::uint8_t PortRead(std::uint8_t DeviceAddress, std::uint8_t AddressPointer);
  std::uint8_t DeviceAddress() const { return deviceAddress_; }
  void DeviceAddress(std::uint8_t value) { deviceAddress_ = value; }

 private:
  std::int32_t deviceId_ = 0;
  std::int32_t baseAddress_ = 0;
  float frameDelay_ = 0;
  std::uint8_t deviceAddress_ = 0;
};

}  // namespace comport
