#pragma once

#include <string>
#include <string_view>

namespace qtscli {

// The machine a program looks at, as its user tells them apart.
enum class MachineKind {
  VirtualPc,        // a virtual PC of this program alone, ending with it
  SharedVirtualPc,  // the virtual PC that every program of the user shares
  Host,             // this PC's own hardware
};

// The kind of a machine named as --machine names it ("sim" or empty,
// "shared", "host").
MachineKind KindOfMachine(std::string_view machine);

// What the windows say the machine is: "virtual PC with a simulated
// evaluation board", "shared virtual PC with a simulated evaluation board",
// "this PC, NAME" (plain "this PC" without a name).
std::string DescribeMachine(MachineKind kind, std::string_view hostName);

}  // namespace qtscli
