#include "qtsctl/Device.h"

#include <cstdio>
#include <utility>

#include "comport/KORComPort.h"
#include "qtsctl/BadInput.h"
#include "qtsctl/InputParsing.h"

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

}  // namespace

Device::Device(comport::KORComPort& comPort, const MediumChoice& medium, std::uint8_t address)
    : comPort_(&comPort), onBoard_(medium.onBoard), address_(address) {
  if (onBoard_) {
    // The component looks for the controller when it is created, and finds
    // none on the systems where it does not look.
    if (comPort.SMBus()->DeviceID() == 0)
      throw BadInput("no supported on-board SMBus host controller was found on this machine");
    return;
  }
  if (medium.wiring != "inverted" && medium.wiring != "direct")
    throw BadInput("wiring \"" + medium.wiring + "\" is neither inverted nor direct");
  auto printerPort = comPort.PrinterPort();
  const int index = ChoosePort(*printerPort, medium);
  printerPort->PortAddressIndex(static_cast<std::uint8_t>(index));
  portNumber_ = index + 1;
  portAddress_ = printerPort->PortAddress() & 0xFFFF;
  inverted_ = medium.wiring == "inverted";
  auto protocall = printerPort->SMBusProtocall();
  protocall->DataInverted(comport::ToBoolean(inverted_));
  subscription_ = protocall->SMBusProtocallError().Subscribe([this](std::int16_t number, const std::string& text) {
    busError_ = "bus error " + std::to_string(number) + ": " + text;
  });
}

Device::~Device() {
  if (subscription_) comPort_->PrinterPort()->SMBusProtocall()->SMBusProtocallError().Unsubscribe(*subscription_);
}

std::uint8_t Device::Read(std::uint8_t code) {
  std::uint8_t value = 0;
  if (onBoard_)
    value = comPort_->SMBus()->PortRead(address_, code);
  else
    value = comPort_->PrinterPort()->SMBusProtocall()->PortRead(static_cast<std::uint8_t>(address_ << 1), code);
  ThrowOnBusError();
  return value;
}

void Device::Write(std::uint8_t code, std::uint8_t value) {
  if (onBoard_)
    comPort_->SMBus()->PortWrite(address_, code, value);
  else
    comPort_->PrinterPort()->SMBusProtocall()->PortWrite(static_cast<std::uint8_t>(address_ << 1), code, value);
  ThrowOnBusError();
}

void Device::ThrowOnBusError() {
  if (busError_) throw CommandFailed(*std::exchange(busError_, std::nullopt));
}

std::string Device::Description() const {
  if (onBoard_) return HexByte(address_) + " on the on-board SMBus";
  char port[64];
  std::snprintf(port, sizeof port, " on LPT%d (0x%X, %s)", portNumber_, portAddress_, inverted_ ? "inverted" : "direct");
  return HexByte(address_) + port;
}

}  // namespace qtsctl
