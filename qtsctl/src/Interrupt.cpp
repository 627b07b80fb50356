#include "qtsctl/Interrupt.h"

#include <csignal>

#include "qtsctl/BadInput.h"

namespace qtsctl {

namespace {

volatile std::sig_atomic_t stopSignal = 0;

extern "C" void StopOnSignal(int signal) { RequestStop(signal); }

}  // namespace

void InstallStopHandlers() {
  struct sigaction action {};
  action.sa_handler = StopOnSignal;
  sigemptyset(&action.sa_mask);
  // No SA_RESTART: a blocked read returns. SA_RESETHAND: a second signal
  // takes its default action and ends the process.
  action.sa_flags = SA_RESETHAND;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

void RequestStop(int signal) { stopSignal = signal; }

bool StopRequested() { return stopSignal != 0; }

int InterruptedStatus() { return 128 + (stopSignal != 0 ? stopSignal : SIGINT); }

void ThrowIfStopped() {
  if (StopRequested()) throw Interrupted();
}

}  // namespace qtsctl
