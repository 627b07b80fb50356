#pragma once

#include <array>
#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "comport/Boolean.h"
#include "platform/I2cAdapters.h"
#include "search/AdapterSearch.h"
#include "search/OnBoardHost.h"

namespace comport {
class KORComPort;
}

// The search for QTS5460 boards on the printer ports and the on-board SMBus,
// shared by the program's start-up wizard and qtsctl. All bus traffic goes
// through the caller's component object.
namespace devicesearch {

// The chip's name: every text of the search and the wizard that names the
// chip is built from it.
inline constexpr const char* kChipName = "QTS5460";

// The chip's possible addresses in 8-bit form (7-bit address shifted left).
// The tenth slot stays empty and is never probed.
inline constexpr std::array<std::uint8_t, 10> kCandidateAddresses{0x30, 0x32, 0x34, 0x52, 0x54,
                                                                 0x56, 0x98, 0x9A, 0x9C, 0x00};
// The manufacturer identification register and the value that tells the chip.
inline constexpr std::uint8_t kIdRegister = 0xFE;
inline constexpr std::uint8_t kChipId = 0x41;

// The progress bar's share of each checked medium.
inline constexpr int kProgressPerMedium = 33;
// Advances: once per printer port, once per candidate slot on the other media.
inline constexpr int kPrinterPortStep = kProgressPerMedium / 4;
inline constexpr int kSlotStep = kProgressPerMedium / 9;

struct Media {
  Media(bool printerPortChecked = true, bool onBoardChecked = true, bool usbChecked = false)
      : printerPort(printerPortChecked), onBoard(onBoardChecked), usb(usbChecked) {}

  bool printerPort;
  bool onBoard;
  // Without adapters the USB pass only advances the bar: nothing is found.
  bool usb;
  // The host controller for the on-board pass; empty: whatever the
  // component holds (discovery's, or what an earlier search selected).
  std::optional<OnBoardHost> onBoardHost;
  // On a machine whose media are its kernel's adapters, the on-board pass
  // searches these adapters instead of the component's host controller.
  std::optional<std::vector<platform::I2cAdapterInfo>> onBoardAdapters;
  // The adapters below USB that the USB pass searches.
  std::vector<platform::I2cAdapterInfo> usbAdapters;
  // Every adapter the machine listed, so that the diagnosis can say why the
  // others were left out.
  std::vector<platform::I2cAdapterInfo> allAdapters;
};

struct AdapterMedia;
// The media a machine's kernel adapters give: the on-board pass on the
// searchable adapters not below USB when the machine's media are the
// kernel's (`kernelMedia`), the USB pass on those below USB.
void UseAdapters(Media& media, const AdapterMedia& adapters, bool kernelMedia);

struct PrinterPortFind {
  std::uint8_t address;      // 8-bit form
  std::uint8_t portIndex;    // from 0, as PrinterPort.PortAddressIndex takes it
  comport::Boolean inverted; // DataInverted as read back when the chip answered
  std::int16_t portAddress;  // the port's base address
};

// A probe that failed with an error (a run-time error of the component, or
// an error event such as lost arbitration) instead of answering: it found
// nothing, and the search went on.
struct ProbeFailure {
  bool onBoard;
  std::uint8_t portIndex;  // printer-port probes
  std::uint8_t address;    // as probed: 8-bit form on the printer port, 7-bit on-board
  std::string error;       // what the component said, with its number
};

// Finds in the order of discovery: every printer port, first with direct then
// with inverted data lines, then the on-board SMBus.
struct Finds {
  std::vector<PrinterPortFind> printerPort;
  std::vector<std::uint8_t> onBoard;  // 7-bit addresses
  std::vector<ProbeFailure> failures;
  // The controller the on-board pass used (when it ran).
  std::optional<OnBoardHost> onBoardHost;
  // On the kernel's adapters, on board and on USB.
  AdapterFinds adapters;
  bool Empty() const { return printerPort.empty() && onBoard.empty() && adapters.found.empty(); }
};

int ProgressMaximum(const Media& media);

// Runs the passes of the checked media in the order printer port, on-board,
// USB, and calls `advance` with each progress step as it is taken. Leaves the
// printer port selected at the last port probed with inverted data lines.
// Never throws for a probe: a probe that fails is recorded and finds nothing.
Finds SearchDevices(comport::KORComPort& comPort, const Media& media,
                    const std::function<void(int step)>& advance = {});

// One probe: the chip's ID register read at `addressByte` (8-bit form) on the
// selected printer port with the wiring set, or at `address` (7-bit) on the
// on-board SMBus. True when it reads the chip's ID. Errors of the component
// propagate.
bool ChipAnswersOnPrinterPort(comport::KORComPort& comPort, std::uint8_t addressByte);
bool ChipAnswersOnBoard(comport::KORComPort& comPort, std::uint8_t address);

// "Overflow (error 6)": what a caught failure says.
std::string DescribeFailure(std::exception_ptr failure);

}  // namespace devicesearch
