#include "ScriptedSlave.h"

namespace comport::testing {

void ScriptedSlave::DataWritten(std::uint8_t data) {
  const bool sclBefore = Scl();
  const bool sdaBefore = masterSda_;
  masterScl_ = MasterLevel(data, 0);
  masterSda_ = MasterLevel(data, 1);
  const bool scl = Scl();
  if (sclBefore && scl && sdaBefore != masterSda_) {
    if (!masterSda_) {
      ++starts_;
      mode_ = Mode::Receive;
      bit_ = 0;
      bytesInFrame_ = 0;
    } else {
      ++stops_;
      mode_ = Mode::Idle;
    }
    driveLow_ = false;
    return;
  }
  if (!sclBefore && scl) Rising();
  if (sclBefore && !scl) Falling();
}

void ScriptedSlave::Rising() {
  if (mode_ == Mode::Idle) return;
  ++bit_;
  if (bit_ <= 8) {
    shift_ = static_cast<std::uint8_t>((shift_ << 1) | (Sda() ? 1 : 0));
    return;
  }
  // The acknowledge clock.
  if (mode_ == Mode::Receive) {
    received_.push_back(shift_);
    if (bytesInFrame_++ == 0 && (shift_ & 1)) {
      mode_ = Mode::Transmit;
      sending_ = replies.empty() ? 0xFF : replies.front();
      if (!replies.empty()) replies.pop_front();
    }
  } else if (Sda()) {
    mode_ = Mode::Idle;  // the master did not acknowledge: the read ends
  } else {
    sending_ = replies.empty() ? 0xFF : replies.front();
    if (!replies.empty()) replies.pop_front();
  }
  bit_ = 0;
}

void ScriptedSlave::Falling() {
  switch (mode_) {
    case Mode::Idle:
      driveLow_ = false;
      break;
    case Mode::Receive:
      driveLow_ = bit_ == 8;  // acknowledge every byte
      break;
    case Mode::Transmit:
      driveLow_ = bit_ < 8 && !((sending_ >> (7 - bit_)) & 1);
      break;
  }
}

std::uint8_t ScriptedSlave::StatusRegister() {
  const auto bit = [this](bool high) { return high != inverted_; };
  std::uint8_t status = 0x07;
  if (bit(Scl())) status |= 0x20;
  if (dataOnBit3) {
    if (bit(Sda())) status |= 0x08;
  } else if (bit(Sda())) {
    status |= 0x10;
  }
  return status;
}

}  // namespace comport::testing
