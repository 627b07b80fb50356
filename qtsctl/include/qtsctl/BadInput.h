#pragma once

#include <stdexcept>

namespace qtsctl {

// Input the tool refuses before anything reaches the bus: a bad number, an
// unknown name, a port the machine does not have, a transfer the medium
// does not carry, a trace that cannot be read. Ends the run with status 2.
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

// Ctrl-C (or SIGTERM) between two bus transfers: the command ends there,
// with the bus idle and the port released. Ends the run with 128 + the
// signal's number.
class Interrupted : public std::runtime_error {
 public:
  Interrupted() : std::runtime_error("interrupted") {}
};

}  // namespace qtsctl
