#pragma once

// Ctrl-C and SIGTERM ask the running command to stop; every command looks at
// the request between two bus transfers, so the bus is left idle, the port
// released and the trace written. A second Ctrl-C ends the process at once.
namespace qtsctl {

// Installs the handlers without SA_RESTART, so that a read blocked at a
// prompt returns (the prompt takes it as no).
void InstallStopHandlers();

// What the handlers call; safe in a signal handler.
void RequestStop(int signal);
bool StopRequested();
// The exit status for the signal that asked to stop: 128 + its number.
int InterruptedStatus();
// Throws Interrupted when a stop was asked for.
void ThrowIfStopped();

}  // namespace qtsctl
