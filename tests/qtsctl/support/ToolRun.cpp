#include "ToolRun.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace qtsctltest {

namespace {


}  // namespace

std::string TempPath(const std::string& name) {
  static int counter = 0;
  const auto path = std::filesystem::path(testing::TempDir()) /
                    (std::to_string(::getpid()) + "-" + std::to_string(++counter) + "-" + name);
  std::filesystem::remove(path);
  return path.string();
}

namespace {

// Starts `prefix... qtsctl arguments...` with the three standard files given.
pid_t Spawn(const std::vector<std::string>& arguments, const std::vector<std::string>& prefix, int inFd,
            const std::string& inPath, const std::string& outPath, const std::string& errPath) {
  std::vector<std::string> argv = prefix;
  argv.push_back(QTSCTL_PATH);
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  std::vector<std::string> environment = testsupport::ChildEnvironment();
  auto argvPointers = testsupport::Pointers(argv);
  auto environmentPointers = testsupport::Pointers(environment);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (inFd >= 0)
    posix_spawn_file_actions_adddup2(&actions, inFd, 0);
  else
    posix_spawn_file_actions_addopen(&actions, 0, inPath.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t child = 0;
  const int failure = posix_spawnp(&child, argvPointers[0], &actions, nullptr, argvPointers.data(),
                                   environmentPointers.data());
  posix_spawn_file_actions_destroy(&actions);
  if (failure != 0) throw std::runtime_error(std::string("cannot start qtsctl: ") + std::strerror(failure));
  return child;
}

int ExitStatus(int waitStatus) { return WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : -1; }

}  // namespace

ToolResult RunTool(const std::vector<std::string>& arguments, const std::string& input,
                   const std::vector<std::string>& prefix) {
  const std::string inPath = TempPath("stdin");
  const std::string outPath = TempPath("stdout");
  const std::string errPath = TempPath("stderr");
  std::ofstream(inPath, std::ios::binary) << input;
  const pid_t child = Spawn(arguments, prefix, -1, inPath, outPath, errPath);
  int waitStatus = 0;
  ::waitpid(child, &waitStatus, 0);

  ToolResult result;
  result.status = ExitStatus(waitStatus);
  result.out = ReadFile(outPath);
  result.err = ReadFile(errPath);
  for (const auto& path : {inPath, outPath, errPath}) std::filesystem::remove(path);
  return result;
}

RunningTool::RunningTool(const std::vector<std::string>& arguments)
    : outPath_(TempPath("stdout")), errPath_(TempPath("stderr")) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("cannot make a pipe");
  pid_ = Spawn(arguments, {}, fds[0], "", outPath_, errPath_);
  ::close(fds[0]);
  input_ = fds[1];
}

RunningTool::~RunningTool() {
  if (!exited_) Finish();
}

bool RunningTool::Exited() {
  if (!exited_ && ::waitpid(pid_, &waitStatus_, WNOHANG) == pid_) exited_ = true;
  return exited_;
}

// Polls without a deadline: the test's own time-out ends a tool that hangs.
bool RunningTool::WaitForFile(const std::string& path) {
  while (!std::filesystem::exists(path)) {
    if (Exited()) return false;
    ::usleep(1000);
  }
  return true;
}

bool RunningTool::WaitForError(const std::string& text) {
  while (ReadFile(errPath_).find(text) == std::string::npos) {
    if (Exited()) return false;
    ::usleep(1000);
  }
  return true;
}

// A tool that ended early makes the write fail instead of ending the test.
void RunningTool::Write(const std::string& text) {
  struct sigaction ignore {}, previous {};
  ignore.sa_handler = SIG_IGN;
  ::sigaction(SIGPIPE, &ignore, &previous);
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t written = ::write(input_, text.data() + done, text.size() - done);
    if (written <= 0) break;
    done += static_cast<std::size_t>(written);
  }
  ::sigaction(SIGPIPE, &previous, nullptr);
  if (done < text.size()) throw std::runtime_error("cannot write to the tool's standard input");
}

bool RunningTool::WaitUntilReading() {
  const std::string stat = "/proc/" + std::to_string(pid_) + "/stat";
  for (;;) {
    if (Exited()) return false;
    int unread = 0;
    ::ioctl(input_, FIONREAD, &unread);
    // The state follows the command name, which is in parentheses.
    const std::string status = ReadFile(stat);
    const auto close = status.rfind(')');
    if (unread == 0 && close != std::string::npos && status.compare(close, 3, ") S") == 0) return true;
    ::usleep(1000);
  }
}

void RunningTool::Signal(int signal) { ::kill(pid_, signal); }

ToolResult RunningTool::Finish() {
  if (input_ >= 0) ::close(input_);
  input_ = -1;
  if (!exited_) ::waitpid(pid_, &waitStatus_, 0);
  exited_ = true;
  ToolResult result{ExitStatus(waitStatus_), ReadFile(outPath_), ReadFile(errPath_)};
  for (const auto& path : {outPath_, errPath_}) std::filesystem::remove(path);
  return result;
}

}  // namespace qtsctltest
