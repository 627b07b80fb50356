#pragma once

#include <optional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace qtscli {

// Which machine a program runs on: the virtual PC with its options, or this
// machine's real ports with the host backend's. QtsEval and qtsctl share
// these options.
struct MachineChoice {
  std::string machine;                   // "sim", "shared" or "host"; empty: QTS_MACHINE, else sim (host with --i2c)
  std::vector<std::string> simOptions;   // "key=value" items; empty: QTS_SIM
  std::vector<std::string> hostOptions;  // "key=value" items; empty: QTS_HOST
  std::optional<int> i2cAdapter;         // --i2c N: the on-board SMBus is /dev/i2c-N (host only)
};

// Adds --machine, --sim and --host (repeatable, or comma-separated) and
// --i2c to a program's command line, with both option lists in the help text.
void AddMachineOptions(CLI::App& app, MachineChoice& choice);

// The help's last line: where the installed user guide is.
std::string UserGuideLine();

// Starts the chosen machine as the running process. Throws
// platform::BackendUnavailable with a message naming what is wrong.
void StartChosenMachine(const MachineChoice& choice);

}  // namespace qtscli
