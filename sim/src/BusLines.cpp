#include "sim/BusLines.h"

#include "sim/BusTrace.h"
#include "sim/Clock.h"

namespace sim {

BusLines::BusLines(const Clock& clock) : clock_(clock) {}

BusLines::DriverId BusLines::AddDriver() {
  drivers_.emplace_back();
  return drivers_.size() - 1;
}

void BusLines::Pull(DriverId driver, bool sclLow, bool sdaLow) {
  drivers_.at(driver) = {sclLow, sdaLow};
  Settle();
}

void BusLines::PullSda(DriverId driver, bool low) {
  drivers_.at(driver).sdaLow = low;
  Settle();
}

LineLevels BusLines::Levels() {
  if (heldUntil_ && clock_.Now() >= *heldUntil_) Settle();
  return levels_;
}

void BusLines::SetPullUps(bool fitted) {
  pullUps_ = fitted;
  Settle();
}

void BusLines::HoldLow(Wire wire, std::optional<std::uint64_t> untilNanoseconds) {
  heldWire_ = wire;
  heldUntil_ = untilNanoseconds;
  Settle();
}

void BusLines::SetTrace(BusTrace* trace) {
  trace_ = trace;
  if (trace_) trace_->Record(clock_.Now(), levels_);
}

LineLevels BusLines::Resolve() const {
  LineLevels next{pullUps_, pullUps_};
  for (const Driver& driver : drivers_) {
    next.scl = next.scl && !driver.sclLow;
    next.sda = next.sda && !driver.sdaLow;
  }
  if (heldWire_ == Wire::Scl) next.scl = false;
  if (heldWire_ == Wire::Sda) next.sda = false;
  return next;
}

// Listeners react to a change by pulling lines themselves (a slave answering
// a clock edge); such a change is settled after the one that caused it, so
// every listener and the trace see the changes in the order they happened.
void BusLines::Settle() {
  if (settling_) {
    unsettled_ = true;
    return;
  }
  settling_ = true;
  if (heldUntil_ && clock_.Now() >= *heldUntil_) {
    heldWire_.reset();
    heldUntil_.reset();
  }
  do {
    unsettled_ = false;
    LineLevels next = Resolve();
    if (next.scl != levels_.scl && next.sda != levels_.sda) {
      // Both lines moved in one port write. Real edges are never exactly
      // together; take the order that makes no start or stop out of it:
      // data settles before a rising clock and after a falling one.
      next = next.scl ? LineLevels{levels_.scl, next.sda} : LineLevels{next.scl, levels_.sda};
      unsettled_ = true;
    }
    if (next != levels_) Change(next);
  } while (unsettled_);
  settling_ = false;
}

// Every line change passes here.
void BusLines::Change(LineLevels next) {
  const LineLevels before = levels_;
  levels_ = next;
  if (trace_) trace_->Record(clock_.Now(), next);
  for (LineListener* listener : listeners_) listener->LinesChanged(before, next);
}

}  // namespace sim
