#pragma once

#include <iosfwd>

namespace qtsctl {

// The whole tool: parses the command line, starts the chosen machine, checks
// the arguments against it and runs the command. Returns the exit status:
// 0 done (search: found), 1 failed (search: nothing found), 2 bad input.
int Run(int argc, const char* const* argv, std::istream& in, std::ostream& out, std::ostream& err);

// Asks a running monitor to stop after its current sample (for SIGINT).
void RequestStop();

}  // namespace qtsctl
