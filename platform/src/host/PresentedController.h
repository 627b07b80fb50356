#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>

#include "ConfigurationWindow.h"
#include "SmbusAdapter.h"
#include "platform/CanIo.h"

namespace platform::host {

// The on-board SMBus of this machine as the component expects to find it:
// a PIIX4-style power-management function at 0:7:3 (identification
// 0x71138086) whose host controller answers at I/O base 0x5000, and whose
// transactions the kernel's adapter carries out whole. Nothing of it is real
// port I/O: the configuration space holds this one function, and the
// register block lives here. A transaction runs when the control register is
// written with the start bit, and is finished by the next status read.
//
//   0 status   bit 0 busy; bits 1-4 latch and clear when written with ones:
//                bit 1 completed, bit 2 device error (no acknowledge, or the
//                adapter refused), bit 4 failed (a protocol the adapter does
//                not run here: block, process call)
//   2 control  bit 6 start; bits 4-2 protocol: 0 quick, 1 byte, 2 byte data, 3 word data
//   3 command  4 address (7-bit address shifted left, bit 0 read)  5 data 0  6 data 1
//
// Wider accesses reach the registers as a chipset splits them (a word write
// also writes the register above).
class PresentedController : public CanIo {
 public:
  static constexpr std::uint32_t kIdentification = 0x71138086;
  static constexpr int kDevice = 7, kFunction = 3;
  static constexpr std::int32_t kBase = 0x5000;
  static constexpr std::int32_t kPorts = 16;

  explicit PresentedController(std::unique_ptr<SmbusAdapter> adapter);

  std::int32_t CanInpd(std::int32_t port) override;
  void CanOutpd(std::int32_t port, std::int32_t value) override;
  std::int32_t CanInpw(std::int32_t port) override;
  void CanOutpw(std::int32_t port, std::int32_t value) override;
  std::int32_t CanInp(std::int32_t port) override;
  void CanOutp(std::int32_t port, std::int32_t value) override;
  std::int32_t AddMultiPort(std::int32_t port, std::int32_t count) override;
  std::int32_t RemovePort(std::int32_t port) override;

 private:
  bool Open(std::int32_t port) const;
  std::uint8_t Read8(std::int32_t port);
  void Write8(std::int32_t port, std::uint8_t value);
  std::uint32_t* SelectedDword();
  void Run();

  std::unique_ptr<SmbusAdapter> adapter_;
  ConfigurationWindow window_;
  std::array<std::uint32_t, 64> configuration_{};
  std::map<std::int32_t, std::int32_t> open_;  // first port -> count
  std::uint8_t flags_ = 0, control_ = 0, command_ = 0, address_ = 0, data0_ = 0, data1_ = 0;
};

}  // namespace platform::host
