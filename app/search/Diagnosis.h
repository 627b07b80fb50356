#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "comport/SMBusProtocall.h"
#include "search/DeviceSearch.h"

namespace comport {
class KORComPort;
}

// What a search saw on each medium, for a user whose board was not found:
// whether a printer port's lines idle high or one is held, whether anything
// acknowledged a candidate address and what it is, and which on-board host
// controller was used. Every finding comes from what the port or the
// controller really showed, never from what the search assumed.
namespace devicesearch {

// How SCL and SDA behaved on a printer port: released (after PreStart) they
// should read high, pulled (after StartBit) low.
enum class LineFinding {
  PortInUse,   // the port could not be claimed: another program holds it
  IdleHigh,    // both lines follow the port
  SclStuck,    // SDA follows, SCL does not
  SdaStuck,    // SCL follows, SDA does not
  BothStuck,   // neither line follows: the status register does not change
  Unexpected,  // the lines move, but not as either adapter wiring drives them
  Failed,      // the component failed while the lines were examined
};

// A device that acknowledged a candidate address.
struct Answer {
  std::uint8_t address;            // as probed: 8-bit form on the printer port, 7-bit on-board
  comport::Boolean inverted;       // the wiring it answered with (printer port)
  std::optional<std::uint8_t> id;  // its ID register; empty when the read failed
};

struct PrinterPortDiagnosis {
  std::uint8_t portIndex;
  std::int16_t portAddress;
  LineFinding lines;
  std::optional<comport::SMBusProtocall::LineLevels> released;
  std::optional<comport::SMBusProtocall::LineLevels> pulled;
  // Acknowledges at the nine candidate addresses, direct wiring first; only
  // looked for when the lines idle high.
  std::vector<Answer> answers;
  std::string error;  // LineFinding::Failed
};

struct OnBoardDiagnosis {
  OnBoardHost host;
  // A presence check that waited out the controller's time-out: the
  // controller does not finish transactions, so no more were tried.
  bool stalled = false;
  std::vector<Answer> answers;  // addresses where a device acknowledged
  std::string error;            // what failed while checking, if anything
};

struct Diagnosis {
  bool printerPortSearched = false;
  std::vector<PrinterPortDiagnosis> printerPorts;  // every port, when searched
  std::optional<OnBoardDiagnosis> onBoard;         // when searched
  bool usbSearched = false;
  // The kernel's adapters: what the search saw on each one it covered, why
  // the others were left out, and what a medium without adapters needs.
  std::vector<std::string> adapters;
  std::vector<ProbeFailure> failures;  // the search's probes that failed
};

// Looks at every medium `media` names, after a search that left `finds`:
// line levels and acknowledges on each printer port (the port is held for
// the duration; the wiring is left inverted and the last port selected, as
// the search leaves them), presence at the nine candidate addresses on the
// on-board SMBus. Never throws.
Diagnosis Diagnose(comport::KORComPort& comPort, const Media& media, const Finds& finds);

// How SCL and SDA behave on the selected printer port, which the caller
// holds: released (PreStart) and pulled low (StartBit), then a stop. Either
// wiring's tables see healthy lines follow.
struct LineExamination {
  LineFinding finding;
  std::optional<comport::SMBusProtocall::LineLevels> released;
  std::optional<comport::SMBusProtocall::LineLevels> pulled;
};
LineExamination ExamineLines(comport::SMBusProtocall& protocall);

// What a line finding means, as a sentence that follows a port's name
// ("SCL and SDA idle high and follow the port"); empty for IdleHigh and
// Failed, which need more words from the caller.
std::string DescribeLines(LineFinding finding);

// The diagnosis in words a user can act on, one sentence per port or medium.
std::vector<std::string> DescribeDiagnosis(const Diagnosis& diagnosis);

}  // namespace devicesearch
