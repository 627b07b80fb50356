#pragma once

// A small bus master for the tests, bit-banged through a parallel port's
// registers like any program would do it, and independent of the
// communications component. Unlike that component it reads every
// acknowledge, so a test can see what the board answered.

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/Process.h"

namespace simtest {

struct MasterWiring {
  bool outputsInverted;
  std::uint8_t sdaInput;  // status bit that shows SDA
  bool inputInverted;
};

constexpr MasterWiring kInvertedMaster{true, 0x10, true};
constexpr MasterWiring kDirectMaster{false, 0x10, false};
constexpr MasterWiring kStatus3Master{true, 0x08, true};

class BitBangMaster {
 public:
  BitBangMaster(platform::Process& process, std::uint16_t base, MasterWiring wiring)
      : process_(process), base_(base), wiring_(wiring) {}

  void Lines(bool scl, bool sda) {
    std::uint8_t value = static_cast<std::uint8_t>((scl ? 1 : 0) | (sda ? 2 : 0));
    if (wiring_.outputsInverted) value ^= 0x03;
    process_.Out8(base_, value);
  }

  bool Sda() {
    const bool bit = (process_.In8(static_cast<std::uint16_t>(base_ + 1)) & wiring_.sdaInput) != 0;
    return bit != wiring_.inputInverted;
  }

  void Start() {
    Lines(true, true);
    Lines(true, false);
    Lines(false, false);
  }

  void Stop() {
    Lines(false, false);
    Lines(true, false);
    Lines(true, true);
  }

  // Returns the slave's acknowledge.
  bool Write(std::uint8_t byte) {
    for (int bit = 7; bit >= 0; --bit) {
      const bool one = ((byte >> bit) & 1) != 0;
      Lines(false, one);
      Lines(true, one);
      Lines(false, one);
    }
    Lines(false, true);
    Lines(true, true);
    const bool ack = !Sda();
    Lines(false, true);
    return ack;
  }

  std::uint8_t Read(bool ack) {
    std::uint8_t byte = 0;
    Lines(false, true);
    for (int bit = 0; bit < 8; ++bit) {
      Lines(true, true);
      byte = static_cast<std::uint8_t>((byte << 1) | (Sda() ? 1 : 0));
      Lines(false, true);
    }
    Lines(false, !ack);
    Lines(true, !ack);
    Lines(false, !ack);
    return byte;
  }

  // Read byte with a stop between the halves; empty when any byte went
  // unacknowledged.
  std::optional<std::uint8_t> ReadRegister(std::uint8_t address, std::uint8_t code) {
    Start();
    const bool acked = Write(static_cast<std::uint8_t>(address << 1)) && Write(code);
    Stop();
    if (!acked) return std::nullopt;
    return Receive(address);
  }

  // Receive byte at the device's pointer.
  std::optional<std::uint8_t> Receive(std::uint8_t address) {
    Start();
    if (!Write(static_cast<std::uint8_t>(address << 1 | 1))) {
      Stop();
      return std::nullopt;
    }
    const std::uint8_t value = Read(false);
    Stop();
    return value;
  }

  // Every byte acknowledged.
  bool WriteBytes(std::uint8_t address, const std::vector<std::uint8_t>& bytes) {
    Start();
    bool acked = Write(static_cast<std::uint8_t>(address << 1));
    for (std::uint8_t byte : bytes) acked = Write(byte) && acked;
    Stop();
    return acked;
  }

 private:
  platform::Process& process_;
  std::uint16_t base_;
  MasterWiring wiring_;
};

}  // namespace simtest
