#include "SharedMachine.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/Current.h"
#include "platform/SharedBackend.h"

namespace vpctest {

namespace {

using namespace std::chrono_literals;

// Children that are not waited for any more: the machine's server, whose
// first process a program waited for, ends up here (see SetUp).
void ReapOrphans(std::chrono::milliseconds patience) {
  const auto until = std::chrono::steady_clock::now() + patience;
  while (true) {
    int status = 0;
    const pid_t pid = ::waitpid(-1, &status, WNOHANG);
    if (pid < 0) return;  // no children left
    if (pid == 0) {
      if (std::chrono::steady_clock::now() >= until) {
        ADD_FAILURE() << "a process that the test started is still running at its end";
        return;
      }
      std::this_thread::sleep_for(10ms);
    }
  }
}

}  // namespace

Child::Child(const std::vector<std::string>& argv, const std::filesystem::path& outputs, const std::string& input)
    : out_(outputs.string() + ".out"), err_(outputs.string() + ".err") {
  const std::string inPath = outputs.string() + ".in";
  std::ofstream(inPath, std::ios::binary) << input;
  std::vector<std::string> arguments = argv;
  std::vector<std::string> environment = testsupport::ChildEnvironment();
  auto argvPointers = testsupport::Pointers(arguments);
  auto environmentPointers = testsupport::Pointers(environment);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, inPath.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int failure =
      posix_spawnp(&pid_, argvPointers[0], &actions, nullptr, argvPointers.data(), environmentPointers.data());
  posix_spawn_file_actions_destroy(&actions);
  if (failure != 0) ADD_FAILURE() << "cannot start " << argv[0];
}

Child::Child(Child&& other) noexcept
    : pid_(std::exchange(other.pid_, -1)),
      out_(std::move(other.out_)),
      err_(std::move(other.err_)),
      status_(other.status_),
      reaped_(other.reaped_) {}

Child::~Child() {
  if (pid_ > 0 && !reaped_) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, &status_, 0);
  }
}

bool Child::Running() {
  if (reaped_ || pid_ <= 0) return false;
  if (::waitpid(pid_, &status_, WNOHANG) == pid_) reaped_ = true;
  return !reaped_;
}

void Child::Kill(int signal) {
  if (Running()) ::kill(pid_, signal);
}

std::string Child::OutputSoFar() const { return testsupport::ReadFile(out_); }

Finished Child::Wait(std::chrono::milliseconds patience) {
  const auto until = std::chrono::steady_clock::now() + patience;
  while (Running()) {
    if (std::chrono::steady_clock::now() >= until) {
      ADD_FAILURE() << "pid " << pid_ << " did not end in time";
      ::kill(pid_, SIGKILL);
    }
    std::this_thread::sleep_for(5ms);
  }
  Finished finished;
  finished.status = reaped_ && WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
  finished.out = testsupport::ReadFile(out_);
  finished.err = testsupport::ReadFile(err_);
  return finished;
}

void SharedMachineTest::SetUp() {
  // The server leaves the process that started it; as a subreaper, this
  // process adopts it and can make sure it has ended with the test.
  if (::prctl(PR_SET_CHILD_SUBREAPER, 1) != 0) {
    // Every kernel since 3.4 takes it; Debian's user-mode emulator refuses it.
    if (errno == EINVAL) GTEST_SKIP() << "prctl(PR_SET_CHILD_SUBREAPER) is refused here (a user-mode emulator)";
    FAIL() << "prctl(PR_SET_CHILD_SUBREAPER): " << std::strerror(errno);
  }
  static int counter = 0;
  home_ = std::filesystem::path(::testing::TempDir()) /
          ("vpc-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
  runtime_ = home_ / "run";
  state_ = home_ / "state";
  std::filesystem::remove_all(home_);
  std::filesystem::create_directories(runtime_);
  std::filesystem::create_directories(state_);
  std::filesystem::permissions(runtime_, std::filesystem::perms::owner_all);
  ::setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
  ::setenv("XDG_STATE_HOME", state_.c_str(), 1);
}

void SharedMachineTest::TearDown() {
  Detach();
  StopMachine();
  ReapOrphans(5s);
  std::filesystem::remove_all(home_);
}

Child SharedMachineTest::StartQtsctl(const std::vector<std::string>& arguments, const std::string& input) {
  std::vector<std::string> argv{QTSCTL_PATH, "--machine", "shared"};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return Child(argv, home_ / ("output-" + std::to_string(++outputs_)), input);
}

Finished SharedMachineTest::Qtsctl(const std::vector<std::string>& arguments, const std::string& input) {
  return StartQtsctl(arguments, input).Wait();
}

Finished SharedMachineTest::QtsctlByDefault(const std::vector<std::string>& arguments) {
  std::vector<std::string> argv{"env", "-u", "QTS_MACHINE", QTSCTL_PATH};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return Child(argv, home_ / ("output-" + std::to_string(++outputs_))).Wait();
}

Child SharedMachineTest::StartPortHolder() {
  return Child({PORT_HOLDER_PATH}, home_ / ("output-" + std::to_string(++outputs_)));
}

Finished SharedMachineTest::Qtsvpc(const std::vector<std::string>& arguments) {
  std::vector<std::string> argv{QTSVPC_PATH};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return Run(argv);
}

Child SharedMachineTest::Start(const std::vector<std::string>& argv) {
  return Child(argv, home_ / ("output-" + std::to_string(++outputs_)));
}

Finished SharedMachineTest::AsAnotherUser(const std::vector<std::string>& command) {
  std::vector<std::string> argv{"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--"};
  argv.insert(argv.end(), command.begin(), command.end());
  return Run(argv);
}

void SharedMachineTest::Attach(const std::string& options) {
  platform::StartProcess(platform::CreateSharedProcess(options));
}

void SharedMachineTest::Detach() { platform::StartProcess(platform::CreateBackendProcess("sim", "")); }

void SharedMachineTest::StopMachine() {
  const Finished stopped = Qtsvpc({"stop"});
  EXPECT_EQ(stopped.status, 0) << stopped.err;
}

}  // namespace vpctest
