#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "qtsctl/Json.h"
#include "transfers/Bus.h"

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

// One medium, and on it the device a command talks to. Every transfer
// reports what goes wrong on the bus (transfers::TransferFailed), and checks
// for a stop request (Ctrl-C) before it starts.
class Device {
 public:
  // Selects the port and wiring in the component. Throws BadInput for a port
  // the machine does not have or a missing on-board controller; touches no
  // bus line. `address` is empty for commands that address no one device.
  Device(comport::KORComPort& comPort, const MediumChoice& medium, std::optional<std::uint8_t> address = {});

  transfers::Bus& Bus() { return *bus_; }
  bool OnBoard() const { return onBoard_; }
  std::uint8_t Address() const { return address_.value_or(0); }
  std::uint8_t PortIndex() const { return static_cast<std::uint8_t>(portNumber_ - 1); }
  bool Inverted() const { return inverted_; }

  // "LPT1 (0x378, inverted)" or "the on-board SMBus (host controller at 0x5000)".
  std::string Medium() const;
  // "0x4C on LPT1 (0x378, inverted)" or "0x4E on the on-board SMBus".
  std::string Description() const;
  JsonObject MediumJson() const;

  // Refuses (BadInput) a transfer that the medium does not carry.
  void RequireSupport(transfers::Transfer transfer, bool pec, const std::string& what) const;

  // A register byte of the device.
  std::uint8_t Read(std::uint8_t code);
  void Write(std::uint8_t code, std::uint8_t value);

 private:
  bool onBoard_ = false;
  std::optional<std::uint8_t> address_;
  int portNumber_ = 0;
  int portAddress_ = 0;
  bool inverted_ = true;
  int controllerBase_ = 0;
  std::unique_ptr<transfers::Bus> bus_;
};

}  // namespace qtsctl
