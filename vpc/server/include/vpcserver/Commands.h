#pragma once

#include <ostream>
#include <string>

namespace vpcserver {

// Runs the user's shared virtual PC with `options` until it ends. With a
// report descriptor (a program starting the machine) it reports on it, one
// line each: "note: ..." for what the user should know, then "ready",
// "running" (another server has the machine already) or "error: ...", and
// goes on in the background with its output in the log file. Without one it
// stays in the foreground and writes to stderr.
int Serve(const std::string& options, int reportFd);

// Ends the running machine (saving its board) and returns once it has gone.
int StopServer(std::ostream& out, std::ostream& err);

// Says whether the machine runs, with which options, and which programs use it.
int ShowStatus(std::ostream& out, std::ostream& err);

}  // namespace vpcserver
