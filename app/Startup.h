#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

class InitForm;
class MainMenuForm;

namespace app {

// What the command line asks of the program once it has been read.
struct StartChoice {
  // The program ends here with this code: 0 after --help or --version, 2
  // after one line naming a bad option, a backend that cannot be had, or a
  // device that is malformed or does not answer.
  std::optional<int> exitCode;
  // --device named a device that answered: the link holds it, and the main
  // window opens without the search wizard.
  bool deviceLinked = false;
};

// Reads the program's command line (arguments after the program name),
// starts the chosen machine as the running process and, with --device,
// links the named device. Help and version go to `out`, refusals to `err`.
// Nothing here needs a display.
StartChoice StartFromCommandLine(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

// The start-up window: the search wizard, shown, deleted when it closes.
InitForm* OpenSearchWizard();

// The main window on the device the link holds, shown, deleted on close.
MainMenuForm* OpenMainWindow();

}  // namespace app
