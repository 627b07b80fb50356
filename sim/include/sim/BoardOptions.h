#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/BusLines.h"
#include "sim/TemperatureScenario.h"

namespace sim {

// Another master that pulls one line low from machine start, for a while or
// for good.
struct HeldLine {
  Wire wire = Wire::Sda;
  std::optional<std::uint64_t> forNanoseconds;  // empty: for good
};

// The evaluation board on the printer port and the faults of its bus.
struct BoardOptions {
  int port = 1;  // parallel port number that carries it; 0 for no board
  std::vector<int> morePorts;  // further ports that each carry a board like it
  std::uint8_t chipAddress = 0x4C;
  std::vector<std::uint8_t> moreChipAddresses;  // further QTS5460s on the same bus
  std::uint8_t eepromAddress = 0x50;
  std::string wiring = "inverted";  // a name from AdapterWirings()
  TemperatureScenario scenario;
  bool pullUps = true;
  std::optional<HeldLine> heldLine;
  std::optional<std::uint8_t> neverAcknowledges;  // 7-bit address of a device that stays silent
  std::optional<std::uint8_t> refusesReads;       // 7-bit address of a device that acknowledges only writes
  std::string traceFile;  // record the bus and write it there when the machine goes away
};

}  // namespace sim
