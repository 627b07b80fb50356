#include "cli/MachineCommandLine.h"

#include <CLI/CLI.hpp>
#include <cstdlib>

#include "platform/Current.h"

namespace qtscli {

namespace {
std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}
}  // namespace

void AddMachineOptions(CLI::App& app, MachineChoice& choice) {
  app.add_option("--machine", choice.machine,
                 "sim: a virtual PC with the evaluation board, for this program alone (default); shared: the "
                 "virtual PC that every program of this user shares, whose board keeps its state (started by "
                 "the first program, see qtsvpc); host: this machine's real ports (needs root or CAP_SYS_RAWIO). "
                 "Default from QTS_MACHINE.")
      ->check(CLI::IsMember({"sim", "shared", "host"}));
  std::string simHelp;
  try {
    simHelp = platform::VirtualPcOptionHelp();
  } catch (const platform::BackendUnavailable&) {
    simHelp = "(the virtual PC library is not available)\n";
  }
  app.add_option("--sim", choice.simOptions,
                 "virtual PC option KEY=VALUE or FLAG; repeat it or separate items with commas. Default from "
                 "QTS_SIM.")
      ->delimiter(',')
      // One argument per --sim, so that it never swallows a command's positionals.
      ->allow_extra_args(false)
      ->type_name("KEY[=VALUE]");
  app.footer("Virtual PC options (--sim):\n" + simHelp);
}

void StartChosenMachine(const MachineChoice& choice) {
  const std::string machine = choice.machine.empty() ? Environment("QTS_MACHINE") : choice.machine;
  std::string options;
  for (const auto& item : choice.simOptions) options += (options.empty() ? "" : ",") + item;
  if (choice.simOptions.empty()) options = Environment("QTS_SIM");
  if (machine == "host" && !choice.simOptions.empty())
    throw platform::BackendUnavailable("--sim options apply to the virtual PC, not to --machine host");
  platform::StartProcess(platform::CreateBackendProcess(machine, options));
}

}  // namespace qtscli
