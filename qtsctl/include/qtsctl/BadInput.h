#pragma once

#include <stdexcept>

namespace qtsctl {

// Input the tool refuses before anything reaches the bus: a bad number, an
// unknown name, a port the machine does not have. Ends the run with status 2.
class BadInput : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A failure while the command runs (a bus error the component reports, a
// file that cannot be written any more). Ends the run with status 1.
class CommandFailed : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace qtsctl
