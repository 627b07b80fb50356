#include "search/DeviceSearch.h"

#include "comport/KORComPort.h"

namespace devicesearch {

namespace {

void Advance(const std::function<void(int)>& advance, int step) {
  if (advance) advance(step);
}

void SearchPrinterPorts(comport::KORComPort& comPort, const std::function<void(int)>& advance, Finds& finds) {
  auto printerPort = comPort.PrinterPort();
  auto protocall = printerPort->SMBusProtocall();
  const std::uint8_t ports = printerPort->PrinterPortsDetected();
  for (std::uint8_t index = 0; index < ports; ++index) {
    Advance(advance, kPrinterPortStep);
    printerPort->PortAddressIndex(index);
    for (const comport::Boolean inverted : {comport::kFalse, comport::kTrue}) {
      protocall->DataInverted(inverted);
      for (const std::uint8_t address : kCandidateAddresses) {
        if (address == 0) continue;
        if (protocall->PortRead(address, kIdRegister) == kChipId)
          finds.printerPort.push_back({address, index, protocall->DataInverted(), printerPort->PortAddress()});
      }
    }
  }
}

void SearchOnBoard(comport::KORComPort& comPort, const std::function<void(int)>& advance, Finds& finds) {
  auto smbus = comPort.SMBus();
  for (const std::uint8_t address : kCandidateAddresses) {
    Advance(advance, kSlotStep);
    if (address == 0) continue;
    const std::uint8_t sevenBit = address / 2;
    if (smbus->PortRead(sevenBit, kIdRegister) == kChipId) finds.onBoard.push_back(sevenBit);
  }
}

}  // namespace

int ProgressMaximum(const Media& media) {
  return kProgressPerMedium * (int{media.printerPort} + int{media.onBoard} + int{media.usb});
}

Finds SearchDevices(comport::KORComPort& comPort, const Media& media, const std::function<void(int)>& advance) {
  Finds finds;
  if (media.printerPort) SearchPrinterPorts(comPort, advance, finds);
  if (media.onBoard) SearchOnBoard(comPort, advance, finds);
  if (media.usb)
    for (std::size_t slot = 0; slot < kCandidateAddresses.size(); ++slot) Advance(advance, kSlotStep);
  return finds;
}

}  // namespace devicesearch
