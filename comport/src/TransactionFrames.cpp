// Claim, retry and release around a transaction's sequence of primitives.
//
// Every ending (success, give-up, an attempt that ends the transaction)
// releases a claim the transaction holds unless the caller locked the port,
// and clears BusError and RetryCount: a failed transaction leaves neither the
// port claimed against other programs nor its retry count to the next one.
#include "comport/CommunicationsProcedures.h"

namespace comport::CommunicationsProcedures {

namespace {

using CommonGlobals::State;

bool Locked() { return State().Port.LockPortOpen != 0; }

bool RetriesLeft() {
  const auto& engine = State().Engine;
  return engine.RetryCount < engine.MaxArbitrationDenials;
}

Outcome Finish(Outcome outcome) {
  if (outcome == Outcome::Done) FrameDelay();
  if (!Locked()) ClosePort();
  if (outcome != Outcome::GaveUp) ClearTransactionFlags();
  return outcome;
}

}  // namespace

void ClearTransactionFlags() {
  auto& engine = State().Engine;
  engine.BusError = kFalse;
  engine.RetryCount = 0;
}

Outcome RunTransaction(const Attempt& attempt) {
  if (!Locked() && !OpenPort()) {
    ClearTransactionFlags();
    return Outcome::NoPort;
  }
  for (;;) {
    if (!attempt()) return Finish(Outcome::Aborted);
    if (!BusError()) return Finish(Outcome::Done);
    if (!RetriesLeft()) return Finish(Outcome::GaveUp);
    Out(LineState::BothHigh);
    if (!Locked()) ClosePort();
    BackOff();
    // A claim of a held port releases it first, so a retry ends a lock.
    if (!OpenPort()) {
      ClearTransactionFlags();
      return Outcome::NoPort;
    }
  }
}

Outcome RunClaimedTransaction(const Attempt& attempt) {
  if (!OpenPort()) {
    ClearTransactionFlags();
    return Outcome::NoPort;
  }
  for (;;) {
    if (!attempt()) return Finish(Outcome::Aborted);
    if (!BusError()) return Finish(Outcome::Done);
    if (!RetriesLeft()) {
      Finish(Outcome::GaveUp);
      ClearTransactionFlags();
      return Outcome::GaveUp;
    }
    BackOff();
  }
}

void EndReportedGiveUp() {
  Out(LineState::BothHigh);
  ClearTransactionFlags();
}

}  // namespace comport::CommunicationsProcedures
