// The three raw registers of the selected port. DataPort and StatusPort use
// a held lock as it is; ControlPort always claims, which ends a lock.
#include "LptBridge.h"
#include "comport/CommunicationsProcedures.h"
#include "comport/ControlPort.h"
#include "comport/DataPort.h"
#include "comport/StatusPort.h"

namespace comport {

namespace {

namespace procedures = CommunicationsProcedures;
using CommonGlobals::State;

enum Offset : std::int32_t { kData = 0, kStatus = 1, kControl = 2 };

std::int32_t Register(Offset offset) { return State().Port.PortAddress + offset; }
bool Locked() { return State().Port.LockPortOpen != 0; }

std::uint8_t Read(Offset offset, bool lockSuffices) {
  if (lockSuffices && Locked()) return static_cast<std::uint8_t>(InByte(Register(offset)));
  std::uint8_t value = 0;
  if (procedures::OpenPort()) value = static_cast<std::uint8_t>(InByte(Register(offset)));
  if (!Locked()) procedures::ClosePort();
  return value;
}

void Write(Offset offset, std::uint8_t value, bool lockSuffices) {
  if (lockSuffices && Locked()) {
    OutByte(Register(offset), value);
    return;
  }
  if (procedures::OpenPort()) OutByte(Register(offset), value);
  if (!Locked()) procedures::ClosePort();
}

}  // namespace

std::uint8_t DataPort::Value() const { return Read(kData, true); }
void DataPort::Value(std::uint8_t value) { Write(kData, value, true); }
std::uint8_t StatusPort::Value() const { return Read(kStatus, true); }
void StatusPort::Value(std::uint8_t value) { Write(kStatus, value, true); }
std::uint8_t ControlPort::Value() const { return Read(kControl, false); }
void ControlPort::Value(std::uint8_t value) { Write(kControl, value, false); }

}  // namespace comport
