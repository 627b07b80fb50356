#pragma once

#include <string>
#include <vector>

#include "ChildProcesses.h"

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

// qtsctl running in the background, with its standard input a pipe that
// stays open until Finish (so a prompt waits for an answer).
class RunningTool {
 public:
  explicit RunningTool(const std::vector<std::string>& arguments);
  ~RunningTool();
  RunningTool(const RunningTool&) = delete;
  RunningTool& operator=(const RunningTool&) = delete;

  // Wait until the file at `path` exists, or until `text` shows on the
  // tool's stderr; false when the tool ended first.
  bool WaitForFile(const std::string& path);
  bool WaitForError(const std::string& text);
  // Writes to the tool's standard input.
  void Write(const std::string& text);
  // Waits until the tool has taken everything written and sleeps in a read
  // of its standard input; false when it ended first.
  bool WaitUntilReading();
  void Signal(int signal);
  // Closes standard input, waits for the exit and collects the output.
  ToolResult Finish();

 private:
  bool Exited();
  int pid_ = -1;
  int input_ = -1;
  int waitStatus_ = 0;
  bool exited_ = false;
  std::string outPath_;
  std::string errPath_;
};

// A fresh path in the test's temporary directory (the file does not exist).
std::string TempPath(const std::string& name);

using testsupport::Lines;
using testsupport::ReadFile;

}  // namespace qtsctltest
