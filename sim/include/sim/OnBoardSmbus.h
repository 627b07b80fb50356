#pragma once

#include <array>
#include <memory>

#include "sim/Qts5460.h"
#include "sim/SmbusAlert.h"
#include "sim/SmbusBus.h"
#include "sim/SmbusHostController.h"
#include "sim/SpdEeprom.h"

namespace sim {

class Chipset;
class Clock;
struct MachineOptions;

// The PC's own SMBus segment behind the chipset's host controller: a second
// QTS5460, the memory modules' presence detect EEPROMs and the alert response
// address. The segment exists even without a controller; nothing reaches it then.
class OnBoardSmbus {
 public:
  static constexpr std::uint8_t kChipAddress = 0x4E;
  static constexpr std::array<std::uint8_t, 2> kSpdAddresses{0x50, 0x51};

  OnBoardSmbus(const Clock& clock, PortSpace& ports, Chipset& chipset, const MachineOptions& options);

  OnBoardSmbus(const OnBoardSmbus&) = delete;
  OnBoardSmbus& operator=(const OnBoardSmbus&) = delete;

  SmbusBus& Bus() { return bus_; }
  Qts5460& Chip() { return chip_; }
  SpdEeprom& Spd(std::size_t slot) { return spd_.at(slot); }
  // Null when the machine has no controller.
  SmbusHostController* Controller() { return controller_.get(); }

 private:
  SmbusBus bus_;
  Qts5460 chip_;
  std::array<SpdEeprom, 2> spd_;
  AlertResponder alerts_;
  std::unique_ptr<SmbusHostController> controller_;  // last: it goes first
};

}  // namespace sim
