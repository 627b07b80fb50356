#pragma once

#include <iosfwd>

namespace qtsctl {

// The whole tool: parses the command line, starts the chosen machine, checks
// the arguments against it and runs the command. Returns the exit status:
// 0 done, 1 failed, 2 bad input, 128 + the signal's number when interrupted
// (see the help text's exit statuses).
int Run(int argc, const char* const* argv, std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace qtsctl
