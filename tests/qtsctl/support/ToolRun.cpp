#include "ToolRun.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace qtsctltest {

namespace {

std::vector<std::string> CleanEnvironment() {
  std::vector<std::string> entries;
  for (char** entry = environ; *entry; ++entry) {
    const std::string text = *entry;
    if (text.starts_with("QTS_MACHINE=") || text.starts_with("QTS_SIM=")) continue;
    entries.push_back(text);
  }
  return entries;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (auto& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

std::string TempPath(const std::string& name) {
  static int counter = 0;
  const auto path = std::filesystem::path(testing::TempDir()) /
                    (std::to_string(::getpid()) + "-" + std::to_string(++counter) + "-" + name);
  std::filesystem::remove(path);
  return path.string();
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

ToolResult RunTool(const std::vector<std::string>& arguments, const std::string& input,
                   const std::vector<std::string>& prefix) {
  const std::string inPath = TempPath("stdin");
  const std::string outPath = TempPath("stdout");
  const std::string errPath = TempPath("stderr");
  std::ofstream(inPath, std::ios::binary) << input;

  std::vector<std::string> argv = prefix;
  argv.push_back(QTSCTL_PATH);
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  std::vector<std::string> environment = CleanEnvironment();
  auto argvPointers = Pointers(argv);
  auto environmentPointers = Pointers(environment);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, inPath.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t child = 0;
  const int failure = posix_spawnp(&child, argvPointers[0], &actions, nullptr, argvPointers.data(),
                                   environmentPointers.data());
  posix_spawn_file_actions_destroy(&actions);
  if (failure != 0) throw std::runtime_error(std::string("cannot start qtsctl: ") + std::strerror(failure));
  int waitStatus = 0;
  ::waitpid(child, &waitStatus, 0);

  ToolResult result;
  result.status = WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : -1;
  result.out = ReadFile(outPath);
  result.err = ReadFile(errPath);
  for (const auto& path : {inPath, outPath, errPath}) std::filesystem::remove(path);
  return result;
}

}  // namespace qtsctltest
