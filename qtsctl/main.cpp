// qtsctl: the command-line face of the communications component.
#include <iostream>

#include "qtsctl/CommandLine.h"
#include "qtsctl/Interrupt.h"

int main(int argc, char** argv) {
  // An interrupted command ends between two transfers, so the port is
  // released and the trace file still written.
  qtsctl::InstallStopHandlers();
  return qtsctl::Run(argc, argv, std::cin, std::cout, std::cerr);
}
