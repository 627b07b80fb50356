#pragma once

#include <string>
#include <vector>

#include "cli/MachineCommandLine.h"
#include "qtsctl/Commands.h"
#include "qtsctl/Device.h"

namespace CLI {
class App;
}

namespace qtsctl {

// Everything the command line can hold; texts are checked after parsing so
// that each refusal names the argument in the tool's own words.
struct Arguments {
  qtscli::MachineChoice machine;
  std::string traceFile;
  bool json = false;
  std::vector<std::string> media;  // empty: every medium the machine has
  MediumChoice medium;
  std::string address;
  std::string code;                 // REGISTER (the byte itself for a send byte)
  std::vector<std::string> values;  // VALUE...
  bool word = false;
  bool receive = false;
  bool send = false;
  bool block = false;
  bool pec = false;
  bool confirmed = false;
  bool readBack = false;
  bool force = false;
  bool all = false;
  std::string interval = "1";
  long count = 0;
  std::string logFile;
  DecodeRequest decode;
};

// The tool's command line: the options of the tool and of every command,
// with their help texts.
void DefineCommandLine(CLI::App& app, Arguments& arguments);

}  // namespace qtsctl
