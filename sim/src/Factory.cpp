// Entry points through which the platform layer creates the default virtual
// PC without linking against the simulator.
#include <cstdio>
#include <stdexcept>
#include <string>

#include "sim/Machine.h"
#include "sim/MachineOptions.h"
#include "sim/Process.h"

extern "C" {

__attribute__((visibility("default"))) platform::Process* qts_sim_create_process(const char* options, char* error,
                                                                                  std::size_t errorSize) {
  try {
    return new sim::Process(sim::Machine::Create(sim::MachineOptions::Parse(options ? options : "")), "program");
  } catch (const std::exception& failure) {
    if (error && errorSize) std::snprintf(error, errorSize, "%s", failure.what());
    return nullptr;
  }
}

__attribute__((visibility("default"))) void qts_sim_destroy_process(platform::Process* process) { delete process; }

__attribute__((visibility("default"))) const char* qts_sim_option_help() {
  static const std::string help = [] {
    std::string text;
    for (const auto& line : sim::MachineOptions::Help()) text += line + "\n";
    return text;
  }();
  return help.c_str();
}
}
