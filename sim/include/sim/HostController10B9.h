#pragma once

#include "sim/SmbusHostController.h"

namespace sim {

// The 0x10B9 register layout.
//
//   0  status    bits 2-3 follow the engine; bits 4-7 latch and clear when written with ones
//        bit 2  idle
//        bit 3  busy
//        bit 4  the transaction completed
//        bit 5  the device did not acknowledge
//        bit 6  bus collision (never raised: the controller is the only master)
//        bit 7  terminated (a protocol this model does not run)
//   1  protocol  bits 6-4: 0 quick, 1 send/receive byte, 2 byte data, 3 word data
//   2  start     any write starts the transaction; reads 0
//   3  address   7-bit address shifted left, bit 0 set for a read
//   4  data A
//   5  data B
//   7  command   register code (the byte itself for a send byte)
// Other offsets read 0 and ignore writes.
class HostController10B9 : public SmbusHostController {
 public:
  static constexpr std::uint8_t kStatus = 0, kProtocol = 1, kStart = 2, kAddress = 3, kDataA = 4, kDataB = 5,
                                kCommand = 7;
  static constexpr std::uint8_t kIdle = 0x04, kBusy = 0x08, kCompleted = 0x10, kDeviceError = 0x20, kCollision = 0x40,
                                kTerminated = 0x80;

  using SmbusHostController::SmbusHostController;

 protected:
  std::uint8_t ReadRegister(std::uint8_t offset) override;
  void WriteRegister(std::uint8_t offset, std::uint8_t value) override;
  void Finished(const HostResult& result) override;

 private:
  std::uint8_t flags_ = 0;
  std::uint8_t protocol_ = 0;
  std::uint8_t command_ = 0;
  std::uint8_t address_ = 0;
  std::uint8_t dataA_ = 0;
  std::uint8_t dataB_ = 0;
};

}  // namespace sim
