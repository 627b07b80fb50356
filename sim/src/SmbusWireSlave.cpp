#include "sim/SmbusWireSlave.h"

namespace sim {

SmbusWireSlave::SmbusWireSlave(BusLines& lines, SmbusBus& bus)
    : lines_(lines), bus_(bus), driver_(lines.AddDriver()) {
  lines_.AddListener(*this);
}

void SmbusWireSlave::LinesChanged(LineLevels before, LineLevels after) {
  if (before.scl != after.scl) {
    if (after.scl)
      ClockRose(after.sda);
    else
      ClockFell();
  } else if (after.scl && before.sda != after.sda) {
    if (after.sda)
      StopCondition();
    else
      StartCondition();
  }
}

void SmbusWireSlave::StartCondition() {
  DriveSda(false);
  state_ = State::Receiving;
  addressPhase_ = true;
  bits_ = 0;
  shift_ = 0;
}

void SmbusWireSlave::StopCondition() {
  DriveSda(false);
  state_ = State::Idle;
  bus_.Stop();
}

void SmbusWireSlave::ClockRose(bool sda) {
  if (state_ == State::Receiving) {
    shift_ = static_cast<std::uint8_t>((shift_ << 1) | (sda ? 1 : 0));
    ++bits_;
  } else if (state_ == State::MasterAcknowledge) {
    masterAcknowledged_ = !sda;
  }
}

// assert: SCL is low, so SDA may change.
void SmbusWireSlave::ClockFell() {
  switch (state_) {
    case State::Idle:
      break;
    case State::Receiving:
      if (bits_ == 8) ByteReceived();
      break;
    case State::AcknowledgeSlot:
      DriveSda(false);
      if (addressPhase_ && !acknowledged_) {
        state_ = State::Idle;  // not addressed: wait for the next start or stop
      } else if (reading_) {
        SendNextByte();
      } else {
        state_ = State::Receiving;
        addressPhase_ = false;
        bits_ = 0;
      }
      break;
    case State::Sending:
      if (++bits_ == 8) {
        DriveSda(false);
        state_ = State::MasterAcknowledge;
        masterAcknowledged_ = false;
      } else {
        DriveSda((shift_ & (0x80 >> bits_)) == 0);
      }
      break;
    case State::MasterAcknowledge:
      if (masterAcknowledged_)
        SendNextByte();
      else
        state_ = State::Idle;
      break;
  }
}

void SmbusWireSlave::ByteReceived() {
  if (addressPhase_) {
    reading_ = (shift_ & 1) != 0;
    acknowledged_ = bus_.Start(static_cast<std::uint8_t>(shift_ >> 1), reading_);
  } else {
    acknowledged_ = bus_.WriteByte(shift_);
  }
  DriveSda(acknowledged_);
  state_ = State::AcknowledgeSlot;
}

void SmbusWireSlave::SendNextByte() {
  shift_ = bus_.ReadByte();
  bits_ = 0;
  state_ = State::Sending;
  DriveSda((shift_ & 0x80) == 0);
}

}  // namespace sim
