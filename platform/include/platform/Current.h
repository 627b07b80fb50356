#pragma once

#include <memory>
#include <stdexcept>
#include <string>

#include "platform/Process.h"

namespace platform {

// The process that the libraries loaded in this address space act for.
// Without a configured one, the first call picks the backend: QTS_MACHINE=host
// selects this Linux machine (with the options in QTS_HOST, if any),
// QTS_MACHINE=shared the user's shared virtual PC, unset or QTS_MACHINE=sim a
// virtual PC of this program's own (both with the options in QTS_SIM, if
// any). A backend that cannot be had ends the program with a message saying
// why.
Process& Current();

// Ends the current process and goes on as `next`, as if a new program had
// started on the same or another machine. Observers see the old process end
// and the new one start, which is where libraries drop and rebuild their
// per-process state.
void StartProcess(std::shared_ptr<Process> next);

// A backend, created but not made current: "host" with the host backend's
// options, "sim" or empty with the virtual PC's. Throws BackendUnavailable
// with the reason.
std::shared_ptr<Process> CreateBackendProcess(const std::string& machine, const std::string& options);

// The virtual PC's options, one "key[=VALUE]  meaning" line each.
// Throws BackendUnavailable when the virtual PC cannot be loaded.
std::string VirtualPcOptionHelp();

class BackendUnavailable : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Libraries with per-process state (the loader notifications of the original
// platform) register here.
class ProcessObserver {
 public:
  virtual ~ProcessObserver() = default;
  virtual void ProcessStarted(Process& process) = 0;
  virtual void ProcessEnding(Process& process) = 0;
};

// Registers and tells the observer about the current process at once.
void AddObserver(ProcessObserver& observer);
// Unregisters and tells the observer that the current process ends for it.
void RemoveObserver(ProcessObserver& observer);

}  // namespace platform
