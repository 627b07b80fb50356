// The alert response: a receive byte from the Alert Response Address, over
// whichever medium the link uses.
#include "link/LinkNewComPort.h"
#include "platform/Current.h"
#include "registers/RegisterMap.h"

namespace LinkNewComPort {

void ReadAlertResponse() {
  if (I2cAdapter >= 0) {
    platform::Current().I2cTransfer(
        I2cAdapter, {platform::SmbusProtocol::Byte, registers::kAlertResponseAddress, true, 0, 0});
    return;
  }
  if (UsePrinterPort != 1) {
    // The host controller runs the whole receive byte; the answer is not needed.
    ComPort().SMBus()->ReceiveByte(registers::kAlertResponseAddress);
    return;
  }
  // Over the printer port the program drives the bus bit by bit. The protocol
  // object is fetched anew for every step: the program keeps no reference of
  // its own to the component's objects.
  ComPort().PrinterPort()->SMBusProtocall()->PreStart();
  ComPort().PrinterPort()->SMBusProtocall()->StartBit();
  // The component takes the address byte (25) as a single, by reference.
  const float addressByte = registers::kAlertResponseAddressByte;
  ComPort().PrinterPort()->SMBusProtocall()->WriteData(addressByte);
  ComPort().PrinterPort()->SMBusProtocall()->Ack();
  // The alerting device's address; the program has no use for it.
  ComPort().PrinterPort()->SMBusProtocall()->ReadData();
  ComPort().PrinterPort()->SMBusProtocall()->NAck();
  ComPort().PrinterPort()->SMBusProtocall()->StopBit();
}

}  // namespace LinkNewComPort
