#include "qtsctl/CommandLine.h"

#include <CLI/CLI.hpp>
#include <cstdlib>
#include <fstream>
#include <ostream>

#include "cli/MachineCommandLine.h"
#include "comport/KORComPort.h"
#include "comport/RuntimeError.h"
#include "platform/Current.h"
#include "qtsctl/BadInput.h"
#include "qtsctl/Commands.h"
#include "qtsctl/Device.h"
#include "qtsctl/InputParsing.h"
#include "qtsctl/Version.h"

namespace qtsctl {

namespace {

volatile std::sig_atomic_t stopRequested = 0;

// Everything the command line can hold; texts are checked after parsing so
// that each refusal names the argument in the tool's own words.
struct Arguments {
  qtscli::MachineChoice machine;
  std::string traceFile;
  std::vector<std::string> media{"lpt", "smbus"};
  MediumChoice medium;
  std::string address;
  std::string code;
  std::string value;
  bool confirmed = false;
  std::string interval = "1";
  long count = 0;
  std::string logFile;
};

void AddDeviceOptions(CLI::App& command, Arguments& arguments) {
  auto* port = command.add_option("--port", arguments.medium.port, "printer port number, from 1 (LPT1); default 1")
                   ->type_name("N");
  auto* base = command.add_option("--base", arguments.medium.base, "printer port base address, e.g. 0x378")
                   ->type_name("ADDRESS");
  auto* wiring = command
                     .add_option("--wiring", arguments.medium.wiring,
                                 "the adapter's data lines: inverted (the evaluation board's adapter) or direct")
                     ->check(CLI::IsMember({"inverted", "direct"}))
                     ->capture_default_str();
  auto* smbus = command.add_flag("--smbus", arguments.medium.onBoard, "use the PC's on-board SMBus host controller");
  port->excludes(base);
  smbus->excludes(port)->excludes(base)->excludes(wiring);
  command.add_option("ADDRESS", arguments.address, "7-bit device address, 0x03..0x77 (the board's chip: 0x4C)")
      ->required();
}

CLI::App* AddCommand(CLI::App& app, const std::string& name, const std::string& description) {
  auto* command = app.add_subcommand(name, description);
  // Options of the tool (--machine, --sim, --trace) may follow the command too.
  command->fallthrough();
  return command;
}

// The trace is the virtual PC's: its board records every line change from
// machine start and writes the file when the program ends.
void AddTraceOption(qtscli::MachineChoice& machine, const std::string& traceFile) {
  if (traceFile.empty()) return;
  const char* fromEnvironment = std::getenv("QTS_MACHINE");
  const std::string chosen = !machine.machine.empty() ? machine.machine : fromEnvironment ? fromEnvironment : "";
  if (chosen == "host" || machine.i2cAdapter) throw BadInput("--trace records the virtual PC's bus; it is not available with the host machine");
  if (traceFile.find(',') != std::string::npos) throw BadInput("trace file name \"" + traceFile + "\" holds a comma");
  if (!std::ofstream(traceFile, std::ios::app)) throw BadInput("cannot write the trace file \"" + traceFile + "\"");
  const char* simFromEnvironment = std::getenv("QTS_SIM");
  if (machine.simOptions.empty() && simFromEnvironment && *simFromEnvironment)
    machine.simOptions.emplace_back(simFromEnvironment);
  machine.simOptions.push_back("trace=" + traceFile);
}

// --i2c names the adapter of the host's on-board SMBus, so it chooses that
// medium as --smbus does.
void ApplyAdapterChoice(Arguments& arguments) {
  if (!arguments.machine.i2cAdapter) return;
  if (!arguments.medium.port.empty() || !arguments.medium.base.empty())
    throw BadInput("--i2c chooses the on-board SMBus; it does not go with --port or --base");
  arguments.medium.onBoard = true;
}

void StartMachine(Arguments& arguments) {
  AddTraceOption(arguments.machine, arguments.traceFile);
  ApplyAdapterChoice(arguments);
  try {
    qtscli::StartChosenMachine(arguments.machine);
  } catch (const platform::BackendUnavailable& unavailable) {
    throw BadInput(unavailable.what());
  }
}

devicesearch::Media ChosenMedia(const std::vector<std::string>& names) {
  devicesearch::Media media{false, false, false};
  for (const auto& name : names) (name == "lpt" ? media.printerPort : media.onBoard) = true;
  return media;
}

int RunCommand(const CLI::App& app, Arguments& arguments, std::istream& in, std::ostream& out, std::ostream& err) {
  const std::string command = app.get_subcommands().front()->get_name();
  StartMachine(arguments);
  comport::KORComPort comPort;
  if (command == "search") return Search(comPort, ChosenMedia(arguments.media), out, err);

  // Every argument is checked before the device is touched.
  const std::uint8_t address = ParseDeviceAddress(arguments.address);
  std::uint8_t code = 0;
  std::uint8_t value = 0;
  MonitorSettings monitor;
  if (command == "read") code = ParseRegister(arguments.code, RegisterUse::Read);
  if (command == "write") {
    code = ParseRegister(arguments.code, RegisterUse::Write);
    value = ParseRegisterValue(arguments.value);
  }
  if (command == "monitor") monitor = {ParseInterval(arguments.interval), arguments.count, arguments.logFile};
  Device device(comPort, arguments.medium, address);

  if (command == "read") return Read(device, code, out);
  if (command == "write") return Write(device, code, value, arguments.confirmed, in, err);
  if (command == "dump") return Dump(device, out);
  return Monitor(device, monitor, out, stopRequested);
}

}  // namespace

void RequestStop() { stopRequested = 1; }

int Run(int argc, const char* const* argv, std::istream& in, std::ostream& out, std::ostream& err) {
  CLI::App app("qtsctl: search, read, write, dump and monitor QTS5460 temperature monitors from the command line.",
               "qtsctl");
  app.set_version_flag("--version", std::string("qtsctl ") + kVersion);
  app.require_subcommand(1);
  Arguments arguments;
  qtscli::AddMachineOptions(app, arguments.machine);
  app.add_option("--trace", arguments.traceFile,
                 "record the virtual PC's printer-port bus while the command runs and write it as a VCD file "
                 "(wires SCL and SDA) at exit")
      ->type_name("FILE.vcd");

  auto* search = AddCommand(app, "search", "find QTS5460 chips on every printer port (both wirings) and on the "
                                           "on-board SMBus; exit status 0 when found, 1 when not");
  search->add_option("--media", arguments.media, "media to search, comma-separated")
      ->delimiter(',')
      ->check(CLI::IsMember({"lpt", "smbus"}))
      ->capture_default_str();

  auto* read = AddCommand(app, "read", "read one register and print its value");
  AddDeviceOptions(*read, arguments);
  read->add_option("REGISTER", arguments.code, "register code 0..255 or register map name")->required();

  auto* write = AddCommand(app, "write", "write one register");
  AddDeviceOptions(*write, arguments);
  write->add_option("REGISTER", arguments.code, "register code 0..255 or register map name")->required();
  write->add_option("VALUE", arguments.value, "value 0..255")->required();
  write->add_flag("-y,--yes", arguments.confirmed, "write on the on-board SMBus without asking");

  auto* dump = AddCommand(app, "dump", "read every register of the register map and show what it means");
  AddDeviceOptions(*dump, arguments);

  auto* monitor = AddCommand(app, "monitor", "print local and remote temperature and the alert state periodically");
  AddDeviceOptions(*monitor, arguments);
  monitor->add_option("--interval", arguments.interval, "seconds between samples, 0..86400")
      ->type_name("S")
      ->capture_default_str();
  monitor->add_option("--count", arguments.count, "number of samples; 0 runs until interrupted")
      ->type_name("N")
      ->check(CLI::NonNegativeNumber)
      ->capture_default_str();
  monitor->add_option("--log", arguments.logFile, "append samples to this file in QtsEval's log format")
      ->type_name("FILE");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    if (error.get_exit_code() == 0) return app.exit(error, out, err);
    err << "qtsctl: " << error.what() << '\n';
    return kBadInput;
  }
  try {
    return RunCommand(app, arguments, in, out, err);
  } catch (const BadInput& refusal) {
    err << "qtsctl: " << refusal.what() << '\n';
    return kBadInput;
  } catch (const CommandFailed& failure) {
    err << "qtsctl: " << failure.what() << '\n';
    return kFailure;
  } catch (const comport::RuntimeError& failure) {
    err << "qtsctl: run-time error " << failure.Number() << ": " << failure.what() << '\n';
    return kFailure;
  }
}

}  // namespace qtsctl
