#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "sim/ParallelPort.h"

namespace comport::testing {

// An adapter plus a minimal SMBus slave on the printer-port connector, for
// testing the master: it follows start, stop and clock edges, records every
// byte the master sends, acknowledges them, and answers reads from a queue.
// SDA and SCL are open-drain: the line is low when anyone pulls it low.
class ScriptedSlave : public sim::ParallelPortDevice {
 public:
  explicit ScriptedSlave(bool inverted) : inverted_(inverted) {}

  // Another master (or a fault) holding a line low.
  bool holdSdaLow = false;
  bool holdSclLow = false;
  // Put SDA on status bit 3 instead of 4 (the read-back of bit 4 then reads low).
  bool dataOnBit3 = false;
  std::deque<std::uint8_t> replies;  // bytes sent on reads, 0xFF when empty

  const std::vector<std::uint8_t>& Received() const { return received_; }
  int Starts() const { return starts_; }
  int Stops() const { return stops_; }

  void DataWritten(std::uint8_t data) override;
  std::uint8_t StatusRegister() override;

 private:
  enum class Mode { Idle, Receive, Transmit };

  bool MasterLevel(std::uint8_t data, int bit) const { return ((data >> bit) & 1) != inverted_; }
  bool Scl() const { return masterScl_ && !holdSclLow; }
  bool Sda() const { return masterSda_ && !holdSdaLow && !driveLow_; }
  void Rising();
  void Falling();

  bool inverted_;
  bool masterScl_ = true;
  bool masterSda_ = true;
  bool driveLow_ = false;
  Mode mode_ = Mode::Idle;
  int bit_ = 0;  // clocks of the current byte, 9 with the acknowledge
  int bytesInFrame_ = 0;
  std::uint8_t shift_ = 0;
  std::uint8_t sending_ = 0xFF;
  int starts_ = 0;
  int stops_ = 0;
  std::vector<std::uint8_t> received_;
};

}  // namespace comport::testing
