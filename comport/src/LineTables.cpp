// The adapter's wiring as data: what to write for each line state and what
// the status register must show back.
//
// A fresh process and every SMBusProtocall construction load the inverting
// adapter's tables together with DataInverted = True, so that the flag always
// names the wiring the engine drives (only EEPROM construction reloads the
// patterns alone, which callers undo by assigning DataInverted).
#include <array>

#include "comport/CommunicationsProcedures.h"

namespace comport::CommunicationsProcedures {

namespace {

using CommonGlobals::State;
using Table = std::array<std::uint8_t, 4>;  // BothHigh, ClockHigh, BothLow, DataHigh

// SCL on data bit 0, SDA on data bit 1; read back on status bits 5 and 4.
constexpr Table kDirectPatterns{3, 1, 0, 2};
constexpr Table kInvertedPatterns{0, 2, 3, 1};
constexpr Table kDirectReadBack{0x30, 0x20, 0x00, 0x10};
constexpr Table kInvertedReadBack{0x00, 0x10, 0x30, 0x20};

}  // namespace

void SetDataInverted(Boolean value) {
  auto& globals = State();
  globals.Port.DataInverted = value;
  if (value == kTrue) {
    globals.Engine.Patterns = kInvertedPatterns;
    globals.Engine.ReadBack = kInvertedReadBack;
  } else if (value == kFalse) {
    globals.Engine.Patterns = kDirectPatterns;
    globals.Engine.ReadBack = kDirectReadBack;
  }
}

void LoadInvertedConfiguration() { SetDataInverted(kTrue); }

void LoadInvertedPatterns() { State().Engine.Patterns = kInvertedPatterns; }

bool ReadBackInverted() { return State().Engine.ReadBack == kInvertedReadBack; }

void SetOrMask(std::uint8_t mask) {
  auto& globals = State();
  globals.Engine.OrMask = mask;
  // Claiming again ends a lock: the idle level is set outside any lock.
  if (!OpenPort()) return;
  Out(LineState::BothHigh);
  if (!globals.Port.LockPortOpen) ClosePort();
}

}  // namespace comport::CommunicationsProcedures
