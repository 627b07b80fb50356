// The two register routines: every register access of the program.
#include "comport/RuntimeError.h"
#include "link/LinkNewComPort.h"
#include "platform/Current.h"

namespace LinkNewComPort {

namespace {

// A whole number handed to a byte parameter: out of range is an overflow.
std::uint8_t ToByte(std::int32_t value) {
  if (value < 0 || value > 0xFF) throw comport::RuntimeError::Overflow();
  return static_cast<std::uint8_t>(value);
}

// A read that the adapter did not complete gives 0xFF, as a bus on which
// nobody pulls the data line low does.
constexpr std::uint8_t kUnanswered = 0xFF;

}  // namespace

void ReadDeviceRegister() {
  const std::uint8_t device = ToByte(CurrentDeviceAddress);
  const std::uint8_t pointer = ToByte(RegisterPointer);
  std::uint8_t value;
  if (I2cAdapter >= 0) {
    const platform::SmbusAnswer answer =
        platform::Current().I2cTransfer(I2cAdapter, {platform::SmbusProtocol::ByteData, device, true, pointer, 0});
    value = answer.done ? static_cast<std::uint8_t>(answer.data) : kUnanswered;
  } else if (UsePrinterPort == 1) {
    // The protocol object is told the port before every single transfer.
    ComPort().PrinterPort()->SMBusProtocall()->PortAddress(PrinterPortAddress);
    value = ComPort().PrinterPort()->SMBusProtocall()->PortRead(device, pointer);
  } else {
    value = ComPort().SMBus()->PortRead(device, pointer);
  }
  ReadValue = value;
}

void WriteDeviceRegister() {
  const std::uint8_t data = ToByte(WriteValue);
  const std::uint8_t pointer = ToByte(RegisterPointer);
  const std::uint8_t device = ToByte(CurrentDeviceAddress);
  if (I2cAdapter >= 0) {
    platform::Current().I2cTransfer(I2cAdapter, {platform::SmbusProtocol::ByteData, device, false, pointer, data});
  } else if (UsePrinterPort == 1) {
    ComPort().PrinterPort()->SMBusProtocall()->PortAddress(PrinterPortAddress);
    ComPort().PrinterPort()->SMBusProtocall()->PortWrite(device, pointer, data);
  } else {
    ComPort().SMBus()->PortWrite(device, pointer, data);
  }
}

}  // namespace LinkNewComPort
