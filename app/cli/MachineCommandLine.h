#pragma once

#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace qtscli {

// Which machine a program runs on: the virtual PC with its options, or this
// machine's real ports. QtsEval and qtsctl share these options.
struct MachineChoice {
  std::string machine;                  // "sim", "shared" or "host"; empty: QTS_MACHINE, else sim
  std::vector<std::string> simOptions;  // "key=value" items; empty: QTS_SIM
};

// Adds --machine and --sim (repeatable, or comma-separated) to a program's
// command line, with the virtual PC's option list in the help text.
void AddMachineOptions(CLI::App& app, MachineChoice& choice);

// Starts the chosen machine as the running process. Throws
// platform::BackendUnavailable with a message naming what is wrong.
void StartChosenMachine(const MachineChoice& choice);

}  // namespace qtscli
