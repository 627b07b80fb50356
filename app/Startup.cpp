#include "Startup.h"

#include <CLI/CLI.hpp>
#include <ostream>

#include "MainMenuForm.h"
#include "AppVersion.h"
#include "cli/MachineCommandLine.h"
#include "comport/Boolean.h"
#include "link/LinkNewComPort.h"
#include "platform/Current.h"

namespace app {

namespace {
// The default virtual board: the chip at 7-bit address 0x4C behind the
// inverting adapter on LPT1.
constexpr std::uint8_t kDefaultPortIndex = 0;
constexpr std::uint8_t kDefaultChipAddressByte = 0x98;
}  // namespace

std::optional<int> StartMachineFromCommandLine(const std::vector<std::string>& arguments, std::ostream& out,
                                               std::ostream& err) {
  CLI::App cli("QtsEval: evaluation software for the QTS5460 SMBus temperature monitor.", "QtsEval");
  cli.set_version_flag("--version", "QtsEval " + std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) +
                                        "." + std::to_string(kVersionRevision));
  qtscli::MachineChoice choice;
  qtscli::AddMachineOptions(cli, choice);
  try {
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    cli.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    out << cli.help();
    return 0;
  } catch (const CLI::CallForVersion&) {
    out << cli.version() << '\n';
    return 0;
  } catch (const CLI::ParseError& error) {
    err << "QtsEval: " << error.what() << " (see QtsEval --help)\n";
    return 2;
  }
  try {
    qtscli::StartChosenMachine(choice);
  } catch (const platform::BackendUnavailable& unavailable) {
    err << "QtsEval: " << unavailable.what() << '\n';
    return 2;
  }
  return std::nullopt;
}

MainMenuForm* OpenMainWindowOnDefaultBoard() {
  LinkNewComPort::LinkPrinterPort(kDefaultPortIndex, comport::kTrue, kDefaultChipAddressByte);
  auto* window = new MainMenuForm;
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->show();
  return window;
}

}  // namespace app
