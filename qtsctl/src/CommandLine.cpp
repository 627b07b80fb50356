#include "qtsctl/CommandLine.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <ostream>

#include "Arguments.h"
#include "comport/KORComPort.h"
#include "comport/RuntimeError.h"
#include "platform/Current.h"
#include "qtsctl/BadInput.h"
#include "qtsctl/Interrupt.h"
#include "qtsctl/Json.h"
#include "qtsctl/InputParsing.h"
#include "search/AdapterMedia.h"
#include "transfers/Bus.h"

namespace qtsctl {

namespace {

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

qtscli::ResolvedMachine StartMachine(Arguments& arguments) {
  AddTraceOption(arguments.machine, arguments.traceFile);
  ApplyAdapterChoice(arguments);
  try {
    return qtscli::StartChosenMachine(arguments.machine);
  } catch (const platform::BackendUnavailable& unavailable) {
    throw BadInput(unavailable.what());
  }
}

// No names: every medium the machine has; USB where an adapter hangs below it.
devicesearch::Media ChosenMedia(const std::vector<std::string>& names) {
  platform::I2cAdapters& machine = platform::Current();
  const devicesearch::AdapterMedia adapters = devicesearch::SortAdapters(machine.ListI2cAdapters());
  devicesearch::Media media{false, false, false};
  if (names.empty())
    media = devicesearch::Media(true, true, std::any_of(adapters.all.begin(), adapters.all.end(), [](const auto& adapter) {
                                  return adapter.medium == platform::AdapterMedium::Usb;
                                }));
  for (const auto& name : names) (name == "lpt" ? media.printerPort : name == "usb" ? media.usb : media.onBoard) = true;
  devicesearch::UseAdapters(media, adapters, machine.KernelMedia());
  return media;
}

TransferMode Mode(const Arguments& arguments) {
  if (arguments.word) return TransferMode::Word;
  if (arguments.receive || arguments.send) return TransferMode::SendReceive;
  if (arguments.block) return TransferMode::Block;
  return TransferMode::Byte;
}

ReadRequest ReadArguments(const Arguments& arguments) {
  ReadRequest request{Mode(arguments), 0, arguments.pec};
  if (request.mode == TransferMode::SendReceive) {
    if (!arguments.code.empty()) throw BadInput("a receive byte reads no register; give no REGISTER with --receive");
    return request;
  }
  if (arguments.code.empty()) throw BadInput("read needs a REGISTER (or --receive)");
  request.code = ParseRegister(arguments.code, RegisterUse::Read);
  return request;
}

WriteRequest WriteArguments(const Arguments& arguments) {
  WriteRequest request;
  request.mode = Mode(arguments);
  request.pec = arguments.pec;
  request.readBack = arguments.readBack;
  request.confirmed = arguments.confirmed;
  const std::size_t values = arguments.values.size();
  switch (request.mode) {
    case TransferMode::SendReceive:
      // The byte a send byte carries is a pointer to read at later: a name gives its read code.
      if (values != 0) throw BadInput("a send byte carries only its byte; give no VALUE with --send");
      request.code = ParseRegister(arguments.code, RegisterUse::Read);
      return request;
    case TransferMode::Block:
      request.code = ParseRegister(arguments.code, RegisterUse::Write);
      request.block = ParseBlockValues(arguments.values);
      return request;
    case TransferMode::Byte:
    case TransferMode::Word:
      break;
  }
  if (values != 1) throw BadInput("write needs one VALUE after the REGISTER, " + std::to_string(values) + " were given");
  const bool numeric = !arguments.code.empty() && std::isdigit(static_cast<unsigned char>(arguments.code.front()));
  request.code = ParseRegister(arguments.code, RegisterUse::Write);
  if (request.mode == TransferMode::Word) {
    request.word = ParseWordValue(arguments.values.front());
    return request;
  }
  request.value = ParseRegisterValue(arguments.values.front());
  if (numeric && !arguments.force) CheckWriteCode(request.code);
  return request;
}

// A change made on a virtual PC that ended with the command must not seem
// kept: the next command starts a new board with its power-on values.
int SayWhereTheChangeWent(const qtscli::ResolvedMachine& machine, int status, Output& output) {
  if (machine.named || machine.Kind() != qtscli::MachineKind::VirtualPc) return status;
  output.err << "qtsctl: note: this command ran on a virtual PC of its own (it gave --sim options, --trace or "
                "QTS_SIM), which has ended with it, and what it changed on the board with it. Without --sim "
                "options, or with --machine shared, commands work on one board that keeps their changes.\n";
  return status;
}

// The shared virtual PC is a Windows XP PC unless started otherwise, and
// the component looks for no on-board controller there: a user who came to
// it by default learns how to get one.
Device OpenDevice(comport::KORComPort& comPort, const Arguments& arguments, const qtscli::ResolvedMachine& machine,
                  std::optional<std::uint8_t> address = std::nullopt) {
  try {
    return Device(comPort, arguments.medium, address);
  } catch (const BadInput& refusal) {
    if (!arguments.medium.onBoard || machine.Kind() != qtscli::MachineKind::SharedVirtualPc) throw;
    throw BadInput(std::string(refusal.what()) +
                   " (the shared virtual PC reaches it only when it runs as Windows 95, 98 or ME: qtsvpc stop, then "
                   "qtsctl --machine shared --sim personality=98se ...; --machine sim gives a command a virtual "
                   "PC of its own that has it)");
  }
}

int RunCommand(const std::string& command, Arguments& arguments, std::istream& in, Output& output) {
  // These need no machine.
  if (command == "registers" || command == "decode") {
    if (!arguments.traceFile.empty()) throw BadInput("--trace records the virtual PC's bus; " + command + " uses none");
    return command == "registers" ? ListRegisters(output) : Decode(arguments.decode, in, output);
  }
  const qtscli::ResolvedMachine machine = StartMachine(arguments);
  comport::KORComPort comPort;
  if (command == "search") return Search(comPort, ChosenMedia(arguments.media), output);
  if (command == "adapters") return ListAdapters(output);
  if (command == "scan" && arguments.medium.onBoard && platform::Current().KernelMedia()) return ScanAdapters(output);
  if (command == "scan" || command == "alert") {
    Device device = OpenDevice(comPort, arguments, machine);
    if (command == "scan") return Scan(comPort, device, output);
    device.RequireSupport(transfers::Transfer::ReceiveByte, false, "a receive byte");
    return SayWhereTheChangeWent(machine, Alert(device, output), output);
  }

  // Every argument is checked before the device is touched.
  const std::uint8_t address = ParseDeviceAddress(arguments.address);
  ReadRequest read;
  WriteRequest write;
  MonitorSettings monitor;
  if (command == "read") read = ReadArguments(arguments);
  if (command == "write") write = WriteArguments(arguments);
  if (command == "monitor") monitor = {ParseInterval(arguments.interval), arguments.count, arguments.logFile};
  Device device = OpenDevice(comPort, arguments, machine, address);
  if (command == "dump" || command == "monitor") {
    device.RequireSupport(transfers::Transfer::ReadByte, arguments.pec, "a read byte with PEC");
    device.Bus().UsePec(arguments.pec);
  }

  if (command == "read") return Read(device, read, output);
  if (command == "write") return SayWhereTheChangeWent(machine, Write(device, write, in, output), output);
  if (command == "dump") return Dump(device, arguments.all, output);
  return Monitor(device, monitor, output);
}

int Fail(Output& output, int status, const std::string& message, const std::string& cause) {
  output.err << "qtsctl: " << message << '\n';
  if (output.json)
    output.out << JsonObject().Add("error", message).Add("cause", cause).Add("status", status).Text() << '\n';
  return status;
}

}  // namespace

int Run(int argc, const char* const* argv, std::istream& in, std::ostream& out, std::ostream& err) {
  CLI::App app("qtsctl: find, scan, read, write, dump and monitor QTS5460 temperature monitors and other SMBus "
               "devices on the printer-port adapter or the PC's on-board SMBus; decode SMBus traces.",
               "qtsctl");
  Arguments arguments;
  DefineCommandLine(app, arguments);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    if (error.get_exit_code() == 0) return app.exit(error, out, err);
    err << "qtsctl: " << error.what() << '\n';
    return kBadInput;
  }
  if (app.get_subcommands().empty()) {
    err << app.help();
    return kBadInput;
  }
  Output output{out, err, arguments.json};
  try {
    return RunCommand(app.get_subcommands().front()->get_name(), arguments, in, output);
  } catch (const BadInput& refusal) {
    return Fail(output, kBadInput, refusal.what(), "bad-input");
  } catch (const transfers::TransferFailed& failure) {
    return Fail(output, kFailure, failure.what(), transfers::CauseName(failure.WhatCause()));
  } catch (const CommandFailed& failure) {
    return Fail(output, kFailure, failure.what(), "failed");
  } catch (const comport::RuntimeError& failure) {
    return Fail(output, kFailure, "run-time error " + std::to_string(failure.Number()) + ": " + failure.what(),
                "run-time-error");
  } catch (const Interrupted&) {
    return Fail(output, InterruptedStatus(), "interrupted", "interrupted");
  }
}

}  // namespace qtsctl
