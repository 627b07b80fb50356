#include "cli/MachineKind.h"

namespace qtscli {

MachineKind KindOfMachine(std::string_view machine) {
  if (machine == "host") return MachineKind::Host;
  if (machine == "shared") return MachineKind::SharedVirtualPc;
  return MachineKind::VirtualPc;
}

std::string DescribeMachine(MachineKind kind, std::string_view hostName) {
  switch (kind) {
    case MachineKind::VirtualPc:
      return "virtual PC with a simulated evaluation board";
    case MachineKind::SharedVirtualPc:
      return "shared virtual PC with a simulated evaluation board";
    case MachineKind::Host:
      break;
  }
  std::string text = "this PC";
  if (!hostName.empty()) text.append(", ").append(hostName);
  return text;
}

}  // namespace qtscli
