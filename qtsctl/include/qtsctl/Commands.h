#pragma once

#include <csignal>
#include <cstdint>
#include <iosfwd>
#include <string>

#include "search/DeviceSearch.h"

namespace comport {
class KORComPort;
}

// The tool's commands, once the command line has been checked. Each returns
// the process's exit status.
namespace qtsctl {

class Device;

// Exit statuses: 2 (bad input) comes from BadInput before a command runs.
inline constexpr int kSuccess = 0;
inline constexpr int kFailure = 1;
inline constexpr int kBadInput = 2;

// One line per find: medium, port base address, wiring, 7-bit address.
// Success when something was found; failure when nothing was, after the
// search's diagnosis of each medium on `err`.
int Search(comport::KORComPort& comPort, const devicesearch::Media& media, std::ostream& out, std::ostream& err);

// Prints the byte as 0xNN.
int Read(Device& device, std::uint8_t code, std::ostream& out);

// An on-board write asks first, unless `confirmed`: the on-board SMBus also
// carries the memory modules' SPD EEPROMs. Only "y" or "yes" on the input
// counts as consent; anything else, or no input at all, writes nothing.
int Write(Device& device, std::uint8_t code, std::uint8_t value, bool confirmed, std::istream& in,
          std::ostream& err);

// Every register of the register map with code, name, value and meaning.
int Dump(Device& device, std::ostream& out);

struct MonitorSettings {
  double intervalSeconds = 1;
  long count = 0;       // 0: until interrupted
  std::string logFile;  // empty: no log
};

// Reads status, remote and local temperature once per interval, as the
// program's monitoring loop does, and prints one line each. With a log file
// it appends the program's log lines. Stops after `count` samples or once
// `stop` is set (by a signal handler).
int Monitor(Device& device, const MonitorSettings& settings, std::ostream& out,
            const volatile std::sig_atomic_t& stop);

}  // namespace qtsctl
