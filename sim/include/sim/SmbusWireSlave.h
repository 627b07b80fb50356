#pragma once

#include <cstdint>

#include "sim/BusLines.h"
#include "sim/SmbusBus.h"

namespace sim {

// Decodes the lines of a segment into the byte-level calls of SmbusBus and
// answers on the data line for the addressed device: the part of every
// slave's silicon that follows the start, stop, bit and acknowledge rules on
// clock edges. One engine serves all devices of the segment, which is what
// separate engines per device would do together on a wired-AND bus.
//
// Rules it keeps:
// - SDA falling while SCL is high is a start (or repeated start): whatever
//   was going on is dropped and an address byte follows. SDA rising while SCL
//   is high is a stop. A master that changes data while the clock is high in
//   the middle of a byte therefore makes a start or a stop, never a wedge.
// - Bits are sampled on the rising clock edge; the slave changes SDA only
//   after a falling edge.
// - After the eighth bit of a byte it receives, the slave pulls SDA low for
//   the ninth clock when the device acknowledges, and lets it go after that
//   clock's falling edge.
// - When the device sends, the master's level on the ninth clock decides:
//   low asks for another byte, high ends the read and SDA stays released.
// Clock pulses outside a transfer (a master's idle sequence before a start)
// are ignored.
class SmbusWireSlave : public LineListener {
 public:
  SmbusWireSlave(BusLines& lines, SmbusBus& bus);

  void LinesChanged(LineLevels before, LineLevels after) override;

 private:
  enum class State { Idle, Receiving, AcknowledgeSlot, Sending, MasterAcknowledge };

  void StartCondition();
  void StopCondition();
  void ClockRose(bool sda);
  void ClockFell();
  void ByteReceived();
  void SendNextByte();
  void DriveSda(bool low) { lines_.PullSda(driver_, low); }

  BusLines& lines_;
  SmbusBus& bus_;
  BusLines::DriverId driver_;
  State state_ = State::Idle;
  bool addressPhase_ = false;
  bool reading_ = false;
  bool acknowledged_ = false;
  bool masterAcknowledged_ = false;
  int bits_ = 0;
  std::uint8_t shift_ = 0;
};

}  // namespace sim
