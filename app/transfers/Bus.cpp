#include "transfers/Bus.h"

namespace transfers {

std::string CauseName(Cause cause) {
  switch (cause) {
    case Cause::PortInUse:
      return "port-in-use";
    case Cause::SclHeld:
      return "scl-held";
    case Cause::SdaHeld:
      return "sda-held";
    case Cause::BothLow:
      return "lines-low";
    case Cause::NoAcknowledge:
      return "no-acknowledge";
    case Cause::ByteCount:
      return "byte-count";
    case Cause::PecMismatch:
      return "pec-mismatch";
    case Cause::ControllerBusy:
      return "controller-busy";
    case Cause::Collision:
      return "collision";
    case Cause::ControllerRefused:
      return "controller-refused";
    case Cause::StatusUnreadable:
      return "status-unreadable";
    case Cause::NoController:
      return "no-controller";
  }
  return "unknown";
}

}  // namespace transfers
