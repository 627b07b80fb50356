#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "comport/Event.h"

namespace comport {
class KORComPort;
}

namespace qtsctl {

// Where the device sits, as the command line gives it. Text fields hold what
// the user typed; Device checks them against the running machine.
struct MediumChoice {
  std::string port;                // printer port number from 1 (LPT1); empty: not given
  std::string base;                // printer port base address; empty: not given
  std::string wiring = "inverted"; // the adapter's data lines: inverted or direct
  bool onBoard = false;            // the PC's on-board SMBus host controller
};

// One device on one medium, reached through the component's byte read and
// write transactions.
class Device {
 public:
  // Selects the port and wiring in the component. Throws BadInput for a port
  // the machine does not have or a missing on-board controller; touches no
  // bus line.
  Device(comport::KORComPort& comPort, const MediumChoice& medium, std::uint8_t address);
  ~Device();
  Device(const Device&) = delete;
  Device& operator=(const Device&) = delete;

  // Throws CommandFailed when the component reports a bus error.
  std::uint8_t Read(std::uint8_t code);
  void Write(std::uint8_t code, std::uint8_t value);

  bool OnBoard() const { return onBoard_; }
  std::uint8_t Address() const { return address_; }
  // "0x4C on LPT1 (0x378, inverted)" or "0x4E on the on-board SMBus".
  std::string Description() const;

 private:
  void ThrowOnBusError();

  comport::KORComPort* comPort_;
  bool onBoard_ = false;
  std::uint8_t address_;
  int portNumber_ = 0;
  int portAddress_ = 0;
  bool inverted_ = true;
  std::optional<std::string> busError_;
  std::optional<comport::Event<std::int16_t, const std::string&>::Subscription> subscription_;
};

}  // namespace qtsctl
