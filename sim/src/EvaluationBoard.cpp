#include "sim/EvaluationBoard.h"

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
  if (options_.neverAcknowledges) bus_.SetNeverAcknowledges(*options_.neverAcknowledges, true);
  lines_.SetPullUps(options_.pullUps);
  if (options_.heldLine) {
    const auto& held = *options_.heldLine;
    lines_.HoldLow(held.wire, held.forNanoseconds ? std::optional(clock.Now() + *held.forNanoseconds)
                                                  : std::nullopt);
  }
  if (!options_.traceFile.empty()) StartTrace();
}

EvaluationBoard::~EvaluationBoard() {
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
