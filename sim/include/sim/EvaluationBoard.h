#pragma once

#include <memory>
#include <vector>

#include "sim/BoardOptions.h"
#include "sim/BusLines.h"
#include "sim/BusTrace.h"
#include "sim/Eeprom16.h"
#include "sim/LptAdapter.h"
#include "sim/Qts5460.h"
#include "sim/SmbusAlert.h"
#include "sim/SmbusBus.h"
#include "sim/SmbusWireSlave.h"

namespace sim {

class Clock;

// The evaluation board with its printer-port adapter: the bus lines, the
// slave engine that decodes them, and the devices on the bus (the QTS5460,
// any further QTS5460s the options ask for, the EEPROM and the alert
// response address).
class EvaluationBoard {
 public:
  // Throws std::invalid_argument for an unknown wiring name.
  EvaluationBoard(const Clock& clock, const BoardOptions& options);
  // Writes the trace file if the options asked for one (also at program exit).
  ~EvaluationBoard();

  EvaluationBoard(const EvaluationBoard&) = delete;
  EvaluationBoard& operator=(const EvaluationBoard&) = delete;

  const BoardOptions& Options() const { return options_; }
  LptAdapter& Adapter() { return *adapter_; }
  BusLines& Lines() { return lines_; }
  SmbusBus& Bus() { return bus_; }
  // The first QTS5460, at the options' chipAddress.
  Qts5460& Chip() { return chip_; }
  Eeprom16& Eeprom() { return eeprom_; }
  AlertResponder& Alerts() { return alerts_; }
  // The board has been powered since before the machine started: every chip
  // on it has finished a conversion.
  void PoweredEarlier();

  // Starts recording every line change (dropping what was recorded before).
  BusTrace& StartTrace(std::size_t capacity = BusTrace::kDefaultCapacity);
  void StopTrace();
  // Null while nothing records.
  BusTrace* Trace() { return trace_.get(); }
  // Writes what was recorded to the file the options name, if any.
  void WriteTraceFile();

 private:
  BoardOptions options_;
  BusLines lines_;
  SmbusBus bus_;
  Qts5460 chip_;
  std::vector<std::unique_ptr<Qts5460>> moreChips_;
  Eeprom16 eeprom_;
  AlertResponder alerts_;
  SmbusWireSlave slave_;
  std::unique_ptr<LptAdapter> adapter_;
  std::unique_ptr<BusTrace> trace_;
};

}  // namespace sim
