// A program for the tests of the shared virtual PC: it holds LPT1 claimed
// and reads the board's chip without pause until it is killed. It says
// "held" once the claim is its own.
#include <cstdio>

#include "link/LinkNewComPort.h"
#include "platform/Current.h"

int main() {
  platform::StartProcess(platform::CreateBackendProcess("shared", ""));
  LinkNewComPort::LinkPrinterPort(0, comport::kTrue, 0x98);
  auto printerPort = LinkNewComPort::ComPort().PrinterPort();
  printerPort->LockPortOpen(comport::kTrue);
  if (printerPort->LockPortOpen() != comport::kTrue) return 1;
  std::puts("held");
  std::fflush(stdout);
  for (;;) {
    LinkNewComPort::RegisterPointer = 0xFE;
    LinkNewComPort::ReadDeviceRegister();
  }
}
