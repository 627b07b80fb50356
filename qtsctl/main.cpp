// qtsctl: the command-line face of the communications component.
#include <csignal>
#include <iostream>

#include "qtsctl/CommandLine.h"

namespace {
extern "C" void StopOnSignal(int) { qtsctl::RequestStop(); }
}  // namespace

int main(int argc, char** argv) {
  // An interrupted monitor ends normally, so the trace file is still written.
  std::signal(SIGINT, StopOnSignal);
  std::signal(SIGTERM, StopOnSignal);
  return qtsctl::Run(argc, argv, std::cin, std::cout, std::cerr);
}
