// The bit delay, the frame delay and the back-off. They pump the caller's
// window messages while they wait, so a handler of the calling program can
// run in the middle of a transfer.
#include <cmath>
#include <cstdint>

#include "TimerSpan.h"
#include "comport/CommunicationsProcedures.h"
#include "platform/Current.h"

namespace comport::CommunicationsProcedures {

namespace {

using CommonGlobals::State;

// A length of 0 is no delay; a negative one ends at once. Counted delays use
// a 64-bit counter so that any length a single can hold ends.
void Wait(double length) {
  if (length == 0) return;
  auto& process = platform::Current();
  if (State().Engine.RelativeDelayOn) {
    if (!(length > 0)) return;
    std::uint64_t count = 0;
    do {
      ++count;
      process.DoEvents();
    } while (static_cast<double>(count) < length);
    return;
  }
  const TimerSpan span;
  while (span.Elapsed() < length) process.DoEvents();
}

}  // namespace

void BitDelay() {
  const float delay = State().Engine.Delay;
  if (delay != 0) Wait(delay);
}

void FrameDelay() {
  const float delay = State().Engine.FrameDelay;
  if (delay != 0) Wait(delay);
}

void SetFrameDelay(float value) {
  constexpr float kMaxFrameDelay = 1e10f;
  // A NaN fails both comparisons and is stored as it is: a wait of NaN ends at once.
  State().Engine.FrameDelay = value < 0 ? 0 : (value > kMaxFrameDelay ? kMaxFrameDelay : value);
}

void BackOff() {
  auto& engine = State().Engine;
  auto& process = platform::Current();
  const double r = std::generate_canonical<double, 32>(engine.Random);
  const auto milliseconds = static_cast<std::uint32_t>(std::floor(r * 0.01 * 1000));
  const std::uint32_t start = process.GetTickCount();
  // Unsigned difference: the wait ends after its length across the wrap too.
  while (process.GetTickCount() - start < milliseconds) process.DoEvents();
  ++engine.RetryCount;
  engine.BusError = kFalse;
}

}  // namespace comport::CommunicationsProcedures
