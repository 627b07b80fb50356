#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "search/Diagnosis.h"
#include "search/OnBoardHost.h"

namespace comport {
class KORComPort;
}

// A scan of every address of one medium, with the diagnosis of the search
// before and after it: whether the medium can be scanned at all (the lines
// of a printer port, the host controller on board), and afterwards what the
// acknowledges say (nothing anywhere, everything at once, a device that
// answers its address but not a read, devices that answer only with the
// other adapter wiring).
namespace devicesearch {

// The 7-bit addresses a scan probes; the others are reserved.
inline constexpr std::uint8_t kFirstScanAddress = 0x03;
inline constexpr std::uint8_t kLastScanAddress = 0x77;

struct ScanFindings {
  bool onBoard = false;
  // Printer port: which, with which wiring, and how its lines behaved.
  std::uint8_t portIndex = 0;
  std::int16_t portAddress = 0;
  bool inverted = true;
  LineFinding lines = LineFinding::IdleHigh;
  // On board: the controller used (deviceId 0: none).
  OnBoardHost host;

  bool scanned = false;                    // every address was probed
  std::vector<std::uint8_t> acknowledged;  // 7-bit, ascending
  // Acknowledged their address for writing but not for reading (printer port).
  std::vector<std::uint8_t> readRefused;
  // Printer port, when nothing acknowledged: what the other wiring found.
  std::vector<std::uint8_t> otherWiring;
  bool stalled = false;  // on board: the controller stopped finishing transactions
  std::string error;     // what ended the scan early, if anything
};

// Scans the printer port at `portIndex` with the wiring given, holding the
// port throughout. `checkpoint` runs before every probe and may throw to
// end the scan (the port is released).
ScanFindings ScanPrinterPort(comport::KORComPort& comPort, std::uint8_t portIndex, bool inverted,
                             const std::function<void()>& checkpoint = {});

// Scans the on-board SMBus with the component's presence check, stopping at
// the first address where the controller does not finish.
ScanFindings ScanOnBoard(comport::KORComPort& comPort, const std::function<void()>& checkpoint = {});

// The diagnosis in sentences: what the medium showed before the scan, and
// what the acknowledges say after it.
std::vector<std::string> DescribeScanBefore(const ScanFindings& findings);
std::vector<std::string> DescribeScanAfter(const ScanFindings& findings);

}  // namespace devicesearch
