// Reads the manufacturer ID of a QTS5460 on the evaluation board through the
// communications component, as a program of your own would:
//
//   read-manufacturer-id [ADDRESS]    7-bit device address, default 0x4C
//
// The board sits on printer port 1 behind its inverting adapter. Without
// configuration the component runs on the built-in virtual PC with that
// board; QTS_MACHINE=host uses this machine's printer port instead.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "comport/KORComPort.h"
#include "comport/RuntimeError.h"

namespace {
constexpr std::uint8_t kManufacturerIdRegister = 0xFE;
constexpr std::uint8_t kQts5460Id = 0x41;
}  // namespace

int main(int argc, char** argv) {
  long address = 0x4C;
  if (argc > 1) {
    char* end = nullptr;
    address = std::strtol(argv[1], &end, 0);
    if (argc > 2 || *end != '\0' || address < 0x03 || address > 0x77) {
      std::fprintf(stderr, "usage: %s [ADDRESS]   (7-bit address 0x03..0x77, default 0x4C)\n", argv[0]);
      return 2;
    }
  }
  try {
    comport::KORComPort comPort;
    auto printerPort = comPort.PrinterPort();
    auto protocall = printerPort->SMBusProtocall();
    printerPort->PortAddressIndex(0);           // printer port 1
    protocall->DataInverted(comport::kTrue);    // the evaluation board's adapter
    // On the printer port the component takes the 8-bit address byte.
    const auto addressByte = static_cast<std::uint8_t>(address << 1);
    const std::uint8_t id = protocall->PortRead(addressByte, kManufacturerIdRegister);
    std::printf("manufacturer ID at 0x%02lX: 0x%02X\n", address, id);
    if (id != kQts5460Id) {
      std::fprintf(stderr, "no QTS5460 answered at 0x%02lX (its ID is 0x%02X)\n", address, kQts5460Id);
      return 1;
    }
    return 0;
  } catch (const comport::RuntimeError& error) {
    std::fprintf(stderr, "run-time error %d: %s\n", error.Number(), error.what());
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
  }
  return 1;
}
