#include "cli/MachineCommandLine.h"

#include <CLI/CLI.hpp>
#include <cstdlib>

#include "platform/Current.h"
#include "platform/HostBackend.h"

namespace qtscli {

namespace {
std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string Joined(const std::vector<std::string>& items, const char* fallbackVariable) {
  if (items.empty()) return Environment(fallbackVariable);
  std::string text;
  for (const auto& item : items) text += (text.empty() ? "" : ",") + item;
  return text;
}

std::string UnnamedHelp(UnnamedMachine unnamed) {
  switch (unnamed) {
    case UnnamedMachine::OwnVirtualPc:
      break;
    case UnnamedMachine::SharedUnlessSimOptions:
      return "Default from QTS_MACHINE, else shared, so that one command sees what the one before wrote; "
             "with --sim options (or QTS_SIM) a command runs on a virtual PC of its own, which ends with it.";
  }
  return "Default from QTS_MACHINE, else sim.";
}

}  // namespace

ResolvedMachine ResolveMachine(const MachineChoice& choice) {
  ResolvedMachine resolved{choice.machine.empty() ? Environment("QTS_MACHINE") : choice.machine};
  if (choice.i2cAdapter && choice.machine.empty()) resolved.machine = "host";
  resolved.named = !resolved.machine.empty();
  if (resolved.named) return resolved;
  const bool shared =
      choice.unnamed == UnnamedMachine::SharedUnlessSimOptions && Joined(choice.simOptions, "QTS_SIM").empty();
  resolved.machine = shared ? "shared" : "sim";
  return resolved;
}

void AddMachineOptions(CLI::App& app, MachineChoice& choice) {
  app.add_option("--machine", choice.machine,
                 "sim: a virtual PC with the evaluation board, for this program alone, ending with it; shared: "
                 "the virtual PC that every program of this user shares, whose board keeps its state (started "
                 "by the first program, see qtsvpc); host: this PC's hardware, its printer ports (group lp) and "
                 "on-board SMBus (group i2c). " +
                     UnnamedHelp(choice.unnamed))
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
  app.add_option("--host", choice.hostOptions,
                 "host machine option KEY=VALUE; repeat it or separate items with commas. Default from QTS_HOST.")
      ->delimiter(',')
      ->allow_extra_args(false)
      ->type_name("KEY=VALUE");
  app.add_option("--i2c", choice.i2cAdapter,
                 "the host machine's on-board SMBus is the kernel's I2C adapter /dev/i2c-N (implies --machine host)")
      ->type_name("N")
      ->check(CLI::Range(0, 1023));
  app.footer("Virtual PC options (--sim):\n" + simHelp + "Host machine options (--host):\n" +
             platform::HostOptionHelp());
}

std::string UserGuideLine() { return "\nUser guide: " QTS_USER_GUIDE "\n"; }

ResolvedMachine StartChosenMachine(const MachineChoice& choice) {
  const ResolvedMachine resolved = ResolveMachine(choice);
  const std::string& machine = resolved.machine;
  const bool host = machine == "host";
  if (host && !choice.simOptions.empty())
    throw platform::BackendUnavailable("--sim options apply to the virtual PC, not to --machine host");
  if (!host && (!choice.hostOptions.empty() || choice.i2cAdapter))
    throw platform::BackendUnavailable("--host and --i2c apply to --machine host, not to the virtual PC");
  std::string options = Joined(host ? choice.hostOptions : choice.simOptions, host ? "QTS_HOST" : "QTS_SIM");
  if (choice.i2cAdapter) options += (options.empty() ? "i2c=" : ",i2c=") + std::to_string(*choice.i2cAdapter);
  platform::StartProcess(platform::CreateBackendProcess(machine, options));
  return resolved;
}

}  // namespace qtscli
