// What tests that start real programs (qtsctl, qtsvpc) share: the child's
// environment, its argument vector, and reading what it wrote.
#pragma once

#include <string>
#include <vector>

namespace testsupport {

// The test's environment with its machine choice replaced by a virtual PC of
// the child's own (QTS_MACHINE=sim, no QTS_SIM), so a child runs there
// unless its arguments name another machine, never on one by default.
std::vector<std::string> ChildEnvironment();

// The null-terminated pointer vector exec and posix_spawn take; valid while
// `texts` lives unchanged.
std::vector<char*> Pointers(std::vector<std::string>& texts);

// A file's whole content; empty when it cannot be read.
std::string ReadFile(const std::string& path);

// Lines of a text, without their line ends.
std::vector<std::string> Lines(const std::string& text);

}  // namespace testsupport
