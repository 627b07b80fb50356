#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/MachineKind.h"

namespace CLI {
class App;
}

namespace qtscli {

// Where a program runs when neither --machine, QTS_MACHINE nor --i2c names a
// machine.
enum class UnnamedMachine {
  // A virtual PC of the program's own: the program's first run.
  OwnVirtualPc,
  // The shared virtual PC, so that commands typed one after another work on
  // one board; a virtual PC of the command's own when it gives --sim options
  // (or QTS_SIM), which describe a machine for this command.
  SharedUnlessSimOptions,
};

// Which machine a program runs on: the virtual PC with its options, or this
// machine's real ports with the host backend's. QtsEval and qtsctl share
// these options.
struct MachineChoice {
  // "sim", "shared" or "host"; empty: QTS_MACHINE, else host with --i2c, else `unnamed`.
  std::string machine;
  std::vector<std::string> simOptions;   // "key=value" items; empty: QTS_SIM
  std::vector<std::string> hostOptions;  // "key=value" items; empty: QTS_HOST
  std::optional<int> i2cAdapter;         // --i2c N: the on-board SMBus is /dev/i2c-N (host only)
  UnnamedMachine unnamed = UnnamedMachine::OwnVirtualPc;
};

// The machine a choice comes to once the environment is read.
struct ResolvedMachine {
  std::string machine;  // "sim", "shared" or "host"
  bool named = false;   // by --machine, QTS_MACHINE or --i2c rather than by default
  MachineKind Kind() const { return KindOfMachine(machine); }
};
ResolvedMachine ResolveMachine(const MachineChoice& choice);

// Adds --machine, --sim and --host (repeatable, or comma-separated) and
// --i2c to a program's command line, with both option lists in the help text.
// The help names the default that `choice.unnamed` gives, so set it first.
void AddMachineOptions(CLI::App& app, MachineChoice& choice);

// The help's last line: where the installed user guide is.
std::string UserGuideLine();

// Starts the chosen machine as the running process and says which it is.
// Throws platform::BackendUnavailable with a message naming what is wrong.
ResolvedMachine StartChosenMachine(const MachineChoice& choice);

}  // namespace qtscli
