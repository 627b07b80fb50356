#include "qtsctl/Device.h"

#include <cstdio>

#include "comport/KORComPort.h"
#include "qtsctl/BadInput.h"
#include "qtsctl/InputParsing.h"
#include "qtsctl/Interrupt.h"
#include "transfers/OnBoardBus.h"
#include "transfers/PrinterPortBus.h"

namespace qtsctl {

namespace {

constexpr long kHighestPortAddress = 0xFFFF;

std::string PortList(comport::PrinterPort& printerPort, int count) {
  std::string list;
  for (int index = 0; index < count; ++index) {
    printerPort.PortAddressIndex(static_cast<std::uint8_t>(index));
    char entry[32];
    std::snprintf(entry, sizeof entry, "%sLPT%d at 0x%X", index == 0 ? "" : ", ", index + 1,
                  printerPort.PortAddress() & 0xFFFF);
    list += entry;
  }
  return list;
}

// The index (from 0) of the port the user chose.
int ChoosePort(comport::PrinterPort& printerPort, const MediumChoice& medium) {
  const int count = printerPort.PrinterPortsDetected();
  if (count == 0) throw BadInput("this machine has no printer port");
  if (!medium.base.empty()) {
    const long base = ParseNumber(medium.base, "port base address", 1, kHighestPortAddress);
    for (int index = 0; index < count; ++index) {
      printerPort.PortAddressIndex(static_cast<std::uint8_t>(index));
      if ((printerPort.PortAddress() & 0xFFFF) == base) return index;
    }
    throw BadInput("no printer port at base address " + medium.base + ": this machine has " +
                   PortList(printerPort, count));
  }
  if (medium.port.empty()) return 0;
  const long number = ParseNumber(medium.port, "printer port number", 1, 255);
  if (number > count)
    throw BadInput("printer port " + medium.port + " does not exist: this machine has " + PortList(printerPort, count));
  return static_cast<int>(number - 1);
}

std::string HexWord(int value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(value) & 0xFFFFu);
  return text;
}

}  // namespace

Device::Device(comport::KORComPort& comPort, const MediumChoice& medium, std::optional<std::uint8_t> address)
    : onBoard_(medium.onBoard), address_(address) {
  if (onBoard_) {
    auto smbus = comPort.SMBus();
    // The component looks for the controller when it is created, and finds
    // none on the systems where it does not look.
    if (smbus->DeviceID() == 0)
      throw BadInput("no supported on-board SMBus host controller was found on this machine");
    controllerBase_ = smbus->SMBusBaseAddress();
    bus_ = std::make_unique<transfers::OnBoardBus>(*smbus);
    return;
  }
  if (medium.wiring != "inverted" && medium.wiring != "direct")
    throw BadInput("wiring \"" + medium.wiring + "\" is neither inverted nor direct");
  auto printerPort = comPort.PrinterPort();
  const int index = ChoosePort(*printerPort, medium);
  inverted_ = medium.wiring == "inverted";
  bus_ = std::make_unique<transfers::PrinterPortBus>(comPort, static_cast<std::uint8_t>(index), inverted_);
  portNumber_ = index + 1;
  portAddress_ = printerPort->PortAddress() & 0xFFFF;
}

std::string Device::Medium() const {
  if (onBoard_) return "the on-board SMBus (host controller at " + HexWord(controllerBase_) + ")";
  return "LPT" + std::to_string(portNumber_) + " (" + HexWord(portAddress_) + ", " +
         (inverted_ ? "inverted" : "direct") + ")";
}

std::string Device::Description() const {
  if (onBoard_) return HexByte(Address()) + " on the on-board SMBus";
  return HexByte(Address()) + " on " + Medium();
}

JsonObject Device::MediumJson() const {
  JsonObject medium;
  if (onBoard_) return medium.Add("type", "smbus").Add("controller", HexWord(controllerBase_));
  return medium.Add("type", "lpt")
      .Add("port", portNumber_)
      .Add("base", HexWord(portAddress_))
      .Add("wiring", inverted_ ? "inverted" : "direct");
}

void Device::RequireSupport(transfers::Transfer transfer, bool pec, const std::string& what) const {
  if (bus_->Supports(transfer, pec)) return;
  throw BadInput(what + " is not available on the on-board SMBus, which carries byte reads, byte writes and " +
                 "receive byte without PEC; the printer port carries every transfer");
}

std::uint8_t Device::Read(std::uint8_t code) {
  ThrowIfStopped();
  return bus_->ReadByte(Address(), code);
}

void Device::Write(std::uint8_t code, std::uint8_t value) {
  ThrowIfStopped();
  bus_->WriteByte(Address(), code, value);
}

}  // namespace qtsctl
