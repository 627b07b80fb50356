#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

class MainMenuForm;

namespace app {

// Reads the program's command line (arguments after the program name) and
// starts the chosen machine as the running process. Returns the exit code
// when the program should stop here: 0 after --help or --version (printed on
// `out`), 2 after one line on `err` naming a bad option or a backend that
// cannot be had. Nothing here needs a display.
std::optional<int> StartMachineFromCommandLine(const std::vector<std::string>& arguments, std::ostream& out,
                                               std::ostream& err);

// Until the search wizard exists: the link state it would leave for the
// default board's chip (address byte 0x98 on the first printer port, through
// the inverting adapter), then the main window, shown and deleted on close.
MainMenuForm* OpenMainWindowOnDefaultBoard();

}  // namespace app
