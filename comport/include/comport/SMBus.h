#pragma once

#include <cstdint>

#include "comport/Boolean.h"
#include "comport/HostTransactionEnd.h"

namespace comport {

// The on-board SMBus host controller (see HardwareSMBus). DeviceID,
// SMBusBaseAddress and FrameDelay are process-wide; DeviceAddress is stored
// per object and not used by the transactions, which take the 7-bit address
// from their argument.
class SMBus {
 public:
  // Searches for a supported host controller unless the system is NT 4 or
  // NT 5, where host access is disabled for the process.
  SMBus();

  double ReadPCI(std::uint8_t Bus, std::uint8_t Device, std::uint8_t Fn, std::uint8_t Register);
  void WritePCI(std::uint8_t Bus, std::uint8_t Device, std::uint8_t Fn, std::uint8_t Register, std::uint8_t Value);
  std::int32_t ReadBase(double BaseAddr);
  void WriteBase(std::int32_t BaseAddr, std::int32_t Value);
  std::int32_t DeviceID() const;
  void DeviceID(std::int32_t value);  // stored without any check
  std::int32_t SMBusBaseAddress() const;
  void SMBusBaseAddress(std::int32_t value);  // stored without any check
  Boolean DevicePresent(std::uint8_t DeviceAddress);
  // Shared with SMBusProtocall.FrameDelay and clamped the same way; the host
  // transactions do not wait for it.
  float FrameDelay() const;
  void FrameDelay(float value);
  void PortWrite(std::uint8_t DeviceAddress, std::uint8_t AddressPointer, std::uint8_t Data);
  std::uint8_t PortRead(std::uint8_t DeviceAddress, std::uint8_t AddressPointer);
  std::uint8_t DeviceAddress() const { return deviceAddress_; }
  void DeviceAddress(std::uint8_t value) { deviceAddress_ = value; }

  // Beyond the members above: a receive byte from the 7-bit address, through
  // the host controller. A receive byte from the Alert Response Address 0x0C
  // makes the alerting device answer with its address byte and release
  // ALERT. Returns what arrived in the data register: 0 when nobody
  // answered or there is no controller. Fails only as PortRead does, when
  // the data word does not fit a byte.
  std::uint8_t ReceiveByte(std::uint8_t DeviceAddress);

  // Beyond the members above, which report no bus failure: how the host
  // controller ended the last transaction that this process started on it,
  // from its status register, so that a caller can tell a device that did
  // not acknowledge from one that answered 0. A write byte does not wait for
  // its end, so this waits for it as the transactions wait (about a second
  // at most); after a transaction whose own wait gave up it does not wait
  // again and reports Busy. Touches no register but the status register.
  HostTransactionEnd LastTransactionEnd();

 private:
  std::uint8_t deviceAddress_ = 0;
};

}  // namespace comport
