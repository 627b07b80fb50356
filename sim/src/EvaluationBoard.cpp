#include "sim/EvaluationBoard.h"

#include <cstdlib>
#include <set>
#include <stdexcept>
#include <string>

#include "sim/Clock.h"

namespace sim {

namespace {

const AdapterWiring& Wiring(const std::string& name) {
  const AdapterWiring* wiring = FindAdapterWiring(name);
  if (!wiring) throw std::invalid_argument("unknown adapter wiring \"" + name + "\"");
  return *wiring;
}

// Boards that write a trace file. The platform layer keeps the running
// process (and so its machine) until the very end of the program, past static
// destruction, so the files are also written when the program exits.
std::set<EvaluationBoard*>& BoardsWritingTraces() {
  static auto* boards = new std::set<EvaluationBoard*>;
  return *boards;
}

void WriteTracesAtExit() {
  for (EvaluationBoard* board : BoardsWritingTraces()) board->WriteTraceFile();
}

}  // namespace

EvaluationBoard::EvaluationBoard(const Clock& clock, const BoardOptions& options)
    : options_(options),
      lines_(clock),
      chip_(clock, options.scenario),
      slave_(lines_, bus_),
      adapter_(std::make_unique<LptAdapter>(lines_, Wiring(options.wiring))) {
  bus_.Attach(options_.chipAddress, chip_);
  bus_.Attach(options_.eepromAddress, eeprom_);
  bus_.Attach(AlertResponder::kAddress, alerts_);
  alerts_.Add(options_.chipAddress, chip_);
  for (const std::uint8_t address : options_.moreChipAddresses) {
    moreChips_.push_back(std::make_unique<Qts5460>(clock, options.scenario));
    bus_.Attach(address, *moreChips_.back());
    alerts_.Add(address, *moreChips_.back());
  }
  if (options_.neverAcknowledges) bus_.SetNeverAcknowledges(*options_.neverAcknowledges, true);
  if (options_.refusesReads) bus_.SetRefusesReads(*options_.refusesReads, true);
  lines_.SetPullUps(options_.pullUps);
  if (options_.heldLine) {
    const auto& held = *options_.heldLine;
    lines_.HoldLow(held.wire, held.forNanoseconds ? std::optional(clock.Now() + *held.forNanoseconds)
                                                  : std::nullopt);
  }
  if (!options_.traceFile.empty()) {
    StartTrace();
    static const bool registered = std::atexit(WriteTracesAtExit) == 0;
    if (registered) BoardsWritingTraces().insert(this);
  }
}

EvaluationBoard::~EvaluationBoard() {
  BoardsWritingTraces().erase(this);
  WriteTraceFile();
}

void EvaluationBoard::PoweredEarlier() {
  chip_.PoweredEarlier();
  for (const auto& chip : moreChips_) chip->PoweredEarlier();
}

void EvaluationBoard::WriteTraceFile() {
  if (trace_ && !options_.traceFile.empty()) trace_->WriteVcdFile(options_.traceFile);
}

BusTrace& EvaluationBoard::StartTrace(std::size_t capacity) {
  trace_ = std::make_unique<BusTrace>(capacity);
  lines_.SetTrace(trace_.get());
  return *trace_;
}

void EvaluationBoard::StopTrace() {
  lines_.SetTrace(nullptr);
  trace_.reset();
}

}  // namespace sim
