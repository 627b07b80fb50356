#pragma once

#include <string>
#include <vector>

// Runs the built qtsctl as a separate program, as a user's script would.
namespace qtsctltest {

struct ToolResult {
  int status = -1;  // exit status; -1 when it did not exit normally
  std::string out;
  std::string err;
};

// Runs qtsctl with `arguments` and `input` on its standard input, without the
// QTS_MACHINE and QTS_SIM of the test's environment. With `prefix`, runs
// `prefix... qtsctl arguments...` instead (for a privilege-dropping wrapper).
ToolResult RunTool(const std::vector<std::string>& arguments, const std::string& input = "",
                   const std::vector<std::string>& prefix = {});

// A fresh path in the test's temporary directory (the file does not exist).
std::string TempPath(const std::string& name);

std::string ReadFile(const std::string& path);

// Lines of a text, without their line ends.
std::vector<std::string> Lines(const std::string& text);

}  // namespace qtsctltest
