#include "Startup.h"

#include <CLI/CLI.hpp>
#include <ostream>
#include <stdexcept>

#include "AppVersion.h"
#include "InitForm.h"
#include "MachineLine.h"
#include "MainMenuForm.h"
#include "cli/DeviceChoice.h"
#include "cli/MachineCommandLine.h"
#include "comport/Boolean.h"
#include "link/LinkNewComPort.h"
#include "platform/Current.h"
#include "search/DeviceSearch.h"

namespace app {

namespace {

// A device named on the command line that the machine does not give.
class DeviceUnavailable : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Probes the named device once, as the search would, and leaves the link
// state that the wizard's Finish leaves for it.
void LinkNamedDevice(const qtscli::DeviceChoice& device) {
  auto& comPort = LinkNewComPort::ComPort();
  comPort.PrinterPort()->SMBusProtocall()->BitsToStayHigh(InitForm::kBitsToStayHigh);
  const std::string chip = devicesearch::kChipName;
  bool answers = false;
  try {
    if (device.onBoard) {
      if (comPort.SMBus()->DeviceID() == 0)
        throw DeviceUnavailable("this machine has no on-board SMBus host controller that the program supports");
      answers = devicesearch::ChipAnswersOnBoard(comPort, device.address);
    } else {
      const int ports = comPort.PrinterPort()->PrinterPortsDetected();
      if (device.portNumber > ports)
        throw DeviceUnavailable("LPT" + std::to_string(device.portNumber) + " does not exist: this machine has " +
                                std::to_string(ports) + " printer port" + (ports == 1 ? "" : "s"));
      comPort.PrinterPort()->PortAddressIndex(static_cast<std::uint8_t>(device.portNumber - 1));
      comPort.PrinterPort()->SMBusProtocall()->DataInverted(device.inverted ? comport::kTrue : comport::kFalse);
      answers = devicesearch::ChipAnswersOnPrinterPort(comPort, static_cast<std::uint8_t>(device.address * 2));
    }
  } catch (const DeviceUnavailable&) {
    throw;
  } catch (...) {
    throw DeviceUnavailable("probing " + qtscli::Describe(device) + " failed: " +
                            devicesearch::DescribeFailure(std::current_exception()));
  }
  if (!answers) throw DeviceUnavailable("no " + chip + " answers at " + qtscli::Describe(device));
  if (device.onBoard)
    LinkNewComPort::LinkOnBoardSMBus(device.address);
  else
    LinkNewComPort::LinkPrinterPort(static_cast<std::uint8_t>(device.portNumber - 1),
                                    device.inverted ? comport::kTrue : comport::kFalse,
                                    static_cast<std::uint8_t>(device.address * 2));
}

}  // namespace

StartChoice StartFromCommandLine(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
  CLI::App cli("QtsEval: evaluation software for the QTS5460 SMBus temperature monitor. It starts with the search "
               "wizard, which finds the evaluation board. Without --machine (or QTS_MACHINE) it runs on a virtual "
               "PC with a simulated evaluation board; --machine host runs it on this PC's hardware (its printer "
               "ports and SMBus), --machine shared on the virtual PC that every program of the user shares. The "
               "windows show which machine they look at.",
               "QtsEval");
  cli.set_version_flag("--version", "QtsEval " + std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) +
                                        "." + std::to_string(kVersionRevision));
  qtscli::MachineChoice choice;
  qtscli::AddMachineOptions(cli, choice);
  cli.footer(cli.get_footer() + qtscli::UserGuideLine());
  std::string deviceText;
  cli.add_option("--device", deviceText,
                 "skip the search wizard and open the main window on this device, if it answers: lpt1:0x4C "
                 "(the evaluation board's inverting adapter), lpt2:0x4C:direct, smbus:0x4E")
      ->type_name("MEDIUM:ADDRESS");
  std::optional<qtscli::DeviceChoice> device;
  try {
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    cli.parse(reversed);
    if (!deviceText.empty()) device = qtscli::ParseDeviceChoice(deviceText);
  } catch (const CLI::CallForHelp&) {
    out << cli.help();
    return {0};
  } catch (const CLI::CallForVersion&) {
    out << cli.version() << '\n';
    return {0};
  } catch (const CLI::ParseError& error) {
    err << "QtsEval: " << error.what() << " (see QtsEval --help)\n";
    return {2};
  } catch (const std::invalid_argument& malformed) {
    err << "QtsEval: " << malformed.what() << '\n';
    return {2};
  }
  try {
    SetRunningMachine(qtscli::StartChosenMachine(choice).Kind());
    if (device) LinkNamedDevice(*device);
  } catch (const platform::BackendUnavailable& unavailable) {
    err << "QtsEval: " << unavailable.what() << '\n';
    return {2};
  } catch (const DeviceUnavailable& unavailable) {
    err << "QtsEval: --device " << deviceText << ": " << unavailable.what() << '\n';
    return {2};
  }
  return {std::nullopt, device.has_value()};
}

InitForm* OpenSearchWizard() {
  auto* wizard = new InitForm;
  wizard->setAttribute(Qt::WA_DeleteOnClose);
  wizard->show();
  return wizard;
}

MainMenuForm* OpenMainWindow() {
  auto* window = new MainMenuForm;
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->show();
  return window;
}

}  // namespace app
