// The link state that the main window expects once a device is chosen.
#include "link/LinkNewComPort.h"

namespace LinkNewComPort {

namespace {
// The component's PortType codes: the opposite of UsePrinterPort.
constexpr std::int16_t kPortTypePrinterPort = 0;
constexpr std::int16_t kPortTypeOnBoardSMBus = 1;
}  // namespace

std::vector<LinkStep> PrinterPortLinkSteps(std::uint8_t portIndex, comport::Boolean dataInverted,
                                           std::uint8_t deviceAddress) {
  return {
      [] { I2cAdapter = -1; },
      [=] { ComPort().PrinterPort()->PortAddressIndex(portIndex); },
      [=] { ComPort().PrinterPort()->SMBusProtocall()->DataInverted(dataInverted); },
      [=] { ComPort().PrinterPort()->SMBusProtocall()->DeviceAddress(deviceAddress); },
      [] { ComPort().PortType(kPortTypePrinterPort); },
      [] { UsePrinterPort = 1; },
      [] { PrinterPortAddress = ComPort().PrinterPort()->SMBusProtocall()->PortAddress(); },
      [=] { CurrentDeviceAddress = deviceAddress; },
  };
}

std::vector<LinkStep> OnBoardSMBusLinkSteps(std::uint8_t deviceAddress) {
  return {
      [] { I2cAdapter = -1; },
      [=] { ComPort().SMBus()->DeviceAddress(deviceAddress); },
      [] { ComPort().PortType(kPortTypeOnBoardSMBus); },
      [] { UsePrinterPort = 0; },
      [=] { CurrentDeviceAddress = deviceAddress; },
  };
}

// The component is not involved: the kernel runs each transaction whole.
std::vector<LinkStep> KernelAdapterLinkSteps(int adapter, std::uint8_t deviceAddress) {
  return {
      [=] { I2cAdapter = adapter; },
      [] { UsePrinterPort = 0; },
      [=] { CurrentDeviceAddress = deviceAddress; },
  };
}

void LinkPrinterPort(std::uint8_t portIndex, comport::Boolean dataInverted, std::uint8_t deviceAddress) {
  for (const LinkStep& step : PrinterPortLinkSteps(portIndex, dataInverted, deviceAddress)) step();
}

void LinkOnBoardSMBus(std::uint8_t deviceAddress) {
  for (const LinkStep& step : OnBoardSMBusLinkSteps(deviceAddress)) step();
}

void LinkKernelAdapter(int adapter, std::uint8_t deviceAddress) {
  for (const LinkStep& step : KernelAdapterLinkSteps(adapter, deviceAddress)) step();
}

}  // namespace LinkNewComPort
