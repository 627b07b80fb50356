#include "ChildProcesses.h"

#include <fstream>
#include <sstream>

extern char** environ;

namespace testsupport {

std::vector<std::string> ChildEnvironment() {
  std::vector<std::string> entries;
  for (char** entry = environ; *entry; ++entry) {
    const std::string text = *entry;
    if (text.starts_with("QTS_MACHINE=") || text.starts_with("QTS_SIM=")) continue;
    entries.push_back(text);
  }
  entries.emplace_back("QTS_MACHINE=sim");
  return entries;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (auto& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

}  // namespace testsupport
