#include "TimerSpan.h"
#include "comport/CommunicationsProcedures.h"
#include "platform/Current.h"

namespace comport::CommunicationsProcedures {

// Releases SDA and waits for a device to pull it low, then gives one clock.
// Both wirings judge SDA by the loaded read-back table, whether the port was
// held or this call claims it.
Boolean WaitAck(std::uint8_t timeout) {
  auto& port = CommonGlobals::State().Port;
  const bool claimedHere = !PortHeld();
  if (claimedHere && !OpenPort()) return kFalse;
  auto release = [&] {
    if (claimedHere && !port.LockPortOpen) ClosePort();
  };

  auto& process = platform::Current();
  Out(LineState::DataHigh);
  const TimerSpan span;
  while (!SdaReadsLow(Portin(port.PortAddress + 1))) {
    if (span.Elapsed() > timeout) {
      release();
      return kFalse;
    }
    process.DoEvents();
  }
  Out(claimedHere ? LineState::BothHigh : LineState::ClockHigh);
  BitDelay();
  Out(LineState::BothLow);
  release();
  return kTrue;
}

}  // namespace comport::CommunicationsProcedures
