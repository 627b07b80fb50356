#pragma once

#include "sim/SmbusHostController.h"

namespace sim {

// The 0x8086 register layout (PIIX4-style and ICH-style functions).
//
//   0  status    bit 0 busy (read-only); bits 1-4 latch and clear when written with ones
//        bit 1  the transaction completed
//        bit 2  the device did not acknowledge
//        bit 3  bus collision (never raised: the controller is the only master)
//        bit 4  the transaction failed (a protocol this model does not run)
//        bit 6  in use (only where modelled, as on ICH-style functions): a
//               software semaphore that a status read sets and only a write
//               of 1 clears
//   2  control   bit 6 start (reads 0); bits 4-2 protocol: 0 quick, 1 byte, 2 byte data, 3 word data
//   3  command   register code (the byte itself for a send byte)
//   4  address   7-bit address shifted left, bit 0 set for a read
//   5  data 0
//   6  data 1
// Other offsets read 0 and ignore writes. The byte-done bit of ICH-style
// functions is not modelled; their in-use flag is, when asked for.
class HostController8086 : public SmbusHostController {
 public:
  static constexpr std::uint8_t kStatus = 0, kControl = 2, kCommand = 3, kAddress = 4, kData0 = 5, kData1 = 6;
  static constexpr std::uint8_t kBusy = 0x01, kCompleted = 0x02, kDeviceError = 0x04, kCollision = 0x08, kFailed = 0x10;
  static constexpr std::uint8_t kInUse = 0x40;
  static constexpr std::uint8_t kStart = 0x40;

  using SmbusHostController::SmbusHostController;

  void ModelInUseFlag(bool modelled) { inUseModelled_ = modelled; }

 protected:
  std::uint8_t ReadRegister(std::uint8_t offset) override;
  void WriteRegister(std::uint8_t offset, std::uint8_t value) override;
  void Finished(const HostResult& result) override;

 private:
  bool inUseModelled_ = false;
  std::uint8_t flags_ = 0;
  std::uint8_t control_ = 0;
  std::uint8_t command_ = 0;
  std::uint8_t address_ = 0;
  std::uint8_t data0_ = 0;
  std::uint8_t data1_ = 0;
};

}  // namespace sim
