// The command line's definition: what each command takes, and the help text
// that --help prints (and that manual pages are made from).
#include <CLI/CLI.hpp>

#include "Arguments.h"
#include "qtsctl/Version.h"

namespace qtsctl {

namespace {

constexpr const char* kExitStatus =
    "\nExit status:\n"
    "  0    done; search and scan found a device; decode saw no error on the wire\n"
    "  1    the bus failed (no acknowledge, a line held, the controller busy, a PEC mismatch), search or scan\n"
    "       found nothing, alert found nobody alerting, a read-back differed, an on-board write was not\n"
    "       confirmed, decode saw errors on the wire, the log file could not be written any more\n"
    "  2    bad input: a malformed command line or argument, a port or controller the machine lacks, a\n"
    "       transfer the medium does not carry, a trace that cannot be read; nothing reached the bus\n"
    "  130  interrupted by Ctrl-C (143: SIGTERM) between two transfers; monitor ends with 0\n";

CLI::App* AddCommand(CLI::App& app, const std::string& name, const std::string& description) {
  auto* command = app.add_subcommand(name, description);
  // Options of the tool (--machine, --sim, --trace, --json) may follow the command too.
  command->fallthrough();
  return command;
}

void AddMediumOptions(CLI::App& command, Arguments& arguments) {
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
}

void AddAddress(CLI::App& command, Arguments& arguments) {
  command.add_option("ADDRESS", arguments.address, "7-bit device address, 0x03..0x77 (the board's chip: 0x4C)")
      ->required();
}

void AddPec(CLI::App& command, Arguments& arguments) {
  command.add_flag("--pec", arguments.pec,
                   "packet error checking: the transfer carries a CRC-8 of its bytes (printer port only)");
}

void DefineRead(CLI::App& app, Arguments& arguments) {
  auto* read = AddCommand(app, "read",
                          "read one register (read byte) and print it as 0xNN; or a word, a receive byte or a "
                          "block. A device that does not acknowledge fails the read");
  AddMediumOptions(*read, arguments);
  auto* word = read->add_flag("--word", arguments.word, "read word: two bytes, low byte first; prints 0xNNNN");
  auto* receive = read->add_flag("--receive", arguments.receive, "receive byte: no register, the device's next byte");
  auto* block =
      read->add_flag("--block", arguments.block, "block read: the device's byte count, then 1..32 bytes");
  word->excludes(receive)->excludes(block);
  receive->excludes(block);
  AddPec(*read, arguments);
  AddAddress(*read, arguments);
  read->add_option("REGISTER", arguments.code,
                   "register code 0..255, or a register map name or alias (qtsctl registers lists them); "
                   "not with --receive");
}

void DefineWrite(CLI::App& app, Arguments& arguments) {
  auto* write = AddCommand(app, "write",
                           "write one register (write byte); or a word, a send byte or a block. A numeric read code "
                           "of a register that is written at another code is refused unless --force");
  AddMediumOptions(*write, arguments);
  auto* word = write->add_flag("--word", arguments.word, "write word: VALUE 0..65535, sent low byte first");
  auto* send = write->add_flag("--send", arguments.send,
                               "send byte: REGISTER is the byte sent (a name sends its read code), no VALUE");
  auto* block = write->add_flag("--block", arguments.block, "block write: 1..32 VALUEs after REGISTER");
  word->excludes(send)->excludes(block);
  send->excludes(block);
  AddPec(*write, arguments);
  write->add_flag("-y,--yes", arguments.confirmed, "write on the on-board SMBus without asking");
  write->add_flag("-r,--read-back", arguments.readBack,
                  "read the register back after writing (where the chip reads it) and print it; exit 1 if it "
                  "differs");
  write->add_flag("-f,--force", arguments.force,
                  "send a numeric code even where the register map reads a register that is written elsewhere or "
                  "is read-only (needed for devices other than the QTS5460)");
  AddAddress(*write, arguments);
  write->add_option("REGISTER", arguments.code, "register code 0..255 or register map name or alias")->required();
  write->add_option("VALUE", arguments.values, "value 0..255 (--word: 0..65535; --block: 1 to 32 values)");
}

void DefineMonitor(CLI::App& app, Arguments& arguments) {
  auto* monitor = AddCommand(app, "monitor",
                             "print local and remote temperature and the alert state periodically; Ctrl-C ends it");
  AddMediumOptions(*monitor, arguments);
  AddAddress(*monitor, arguments);
  monitor->add_option("--interval", arguments.interval, "seconds between samples, 0..86400")
      ->type_name("S")
      ->capture_default_str();
  monitor->add_option("--count", arguments.count, "number of samples; 0 runs until interrupted")
      ->type_name("N")
      ->check(CLI::NonNegativeNumber)
      ->capture_default_str();
  monitor->add_option("--log", arguments.logFile, "append samples to this file in QtsEval's log format")
      ->type_name("FILE");
}

void DefineDecode(CLI::App& app, Arguments& arguments) {
  auto* decode = AddCommand(app, "decode",
                            "decode the SMBus transactions of a VCD trace with SCL and SDA wires (the tool's own "
                            "--trace, a logic analyser's export): one line each, with acknowledges, PEC checks and "
                            "errors; exit 1 when the wire shows errors");
  decode->add_option("--scl", arguments.decode.scl, "name of the clock wire (any case)")->capture_default_str();
  decode->add_option("--sda", arguments.decode.sda, "name of the data wire (any case)")->capture_default_str();
  decode->add_flag("--pec", arguments.decode.pec,
                   "byte and word transfers carry a PEC byte (blocks show it by their byte count)");
  decode->add_option("FILE", arguments.decode.file, "the VCD file; - reads standard input")->required();
}

}  // namespace

void DefineCommandLine(CLI::App& app, Arguments& arguments) {
  app.set_version_flag("--version", std::string("qtsctl ") + kVersion);
  app.require_subcommand(0, 1);
  // Commands typed one after another work on one board unless told otherwise.
  arguments.machine.unnamed = qtscli::UnnamedMachine::SharedUnlessSimOptions;
  qtscli::AddMachineOptions(app, arguments.machine);
  app.footer(app.get_footer() + kExitStatus + qtscli::UserGuideLine());
  app.add_option("--trace", arguments.traceFile,
                 "record the virtual PC's printer-port bus while the command runs and write it as a VCD file "
                 "(wires SCL and SDA) at exit, also after Ctrl-C")
      ->type_name("FILE.vcd");
  app.add_flag("--json", arguments.json,
               "print results as JSON, one object per line (monitor: per sample; decode: per transaction); "
               "a failure prints {\"error\", \"cause\", \"status\"}");

  auto* search = AddCommand(app, "search",
                            "find QTS5460 chips on every printer port (both wirings) and on the on-board SMBus; "
                            "exit status 0 when found, 1 when not (with the diagnosis on stderr)");
  search->add_option("--media", arguments.media,
                     "media to search, comma-separated: lpt, smbus (on a Linux PC: its kernel's adapters not on "
                     "USB), usb (adapters below a USB device); default: every medium this machine has")
      ->delimiter(',')
      ->check(CLI::IsMember({"lpt", "smbus", "usb"}));

  auto* scan = AddCommand(app, "scan",
                          "probe every address 0x03..0x77 of one medium and print the grid of those that "
                          "acknowledge, with a diagnosis of the medium before and after on stderr");
  AddMediumOptions(*scan, arguments);

  AddCommand(app, "adapters",
             "list the machine's kernel I2C adapters as i2cdetect -l does, with the medium each counts as "
             "(on-board, USB, display) and whether this user may open it; --smbus and --i2c N on a Linux PC "
             "search and scan these");

  DefineRead(app, arguments);
  DefineWrite(app, arguments);

  auto* dump = AddCommand(app, "dump", "read every register of the register map and show what it means");
  AddMediumOptions(*dump, arguments);
  dump->add_flag("--all", arguments.all, "every code 0x00..0xFF as a 16x16 grid of bytes (XX: the read failed)");
  AddPec(*dump, arguments);
  AddAddress(*dump, arguments);

  DefineMonitor(app, arguments);

  auto* alert = AddCommand(app, "alert",
                           "receive byte from the SMBus Alert Response Address 0x0C: prints the address of the "
                           "device that is alerting (and stops its ALERT); exit 1 when none is");
  AddMediumOptions(*alert, arguments);

  AddCommand(app, "registers", "list the QTS5460's register map: codes, names, access and aliases (no device needed)");

  DefineDecode(app, arguments);
}

}  // namespace qtsctl
