#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "ChildProcesses.h"

// Tests of the shared virtual PC with real processes. Each test gets a
// runtime and a state directory of its own, so that it has a machine of its
// own and never touches the user's; the test process adopts the machine's
// server (it is a child subreaper) and ends it at the end of the test.
namespace vpctest {

struct Finished {
  int status = -1;  // exit status; -1 when it did not exit normally
  std::string out;
  std::string err;
};

// A program started by a test, killed if it still runs when the object goes.
class Child {
 public:
  Child(const std::vector<std::string>& argv, const std::filesystem::path& outputs, const std::string& input = "");
  ~Child();
  Child(Child&& other) noexcept;
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  pid_t Pid() const { return pid_; }
  bool Running();
  // Waits for the end (killing the program after `patience`).
  Finished Wait(std::chrono::milliseconds patience = std::chrono::seconds(20));
  std::string OutputSoFar() const;
  void Kill(int signal);

 private:
  pid_t pid_ = -1;
  std::filesystem::path out_, err_;
  int status_ = 0;
  bool reaped_ = false;
};

class SharedMachineTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // qtsctl with --machine shared and `arguments`.
  Child StartQtsctl(const std::vector<std::string>& arguments, const std::string& input = "");
  Finished Qtsctl(const std::vector<std::string>& arguments, const std::string& input = "");
  // qtsctl as a user types it: no --machine, no QTS_MACHINE.
  Finished QtsctlByDefault(const std::vector<std::string>& arguments);
  // A program that holds LPT1 claimed and transfers without pause; it prints
  // "held" once it has the port.
  Child StartPortHolder();
  // qtsvpc with `arguments`.
  Finished Qtsvpc(const std::vector<std::string>& arguments);
  // Any program, with its arguments.
  Child Start(const std::vector<std::string>& argv);
  Finished Run(const std::vector<std::string>& argv) { return Start(argv).Wait(); }
  // Runs `command` as the user nobody (the test must run as root).
  Finished AsAnotherUser(const std::vector<std::string>& command);

  // Makes this test process a program of the shared machine, with `options`.
  void Attach(const std::string& options = "");
  // Ends this test process's part in it (back to a virtual PC of its own).
  void Detach();
  // Ends the machine and waits until its server has gone.
  void StopMachine();

  const std::filesystem::path& RuntimeDirectory() const { return runtime_; }
  std::filesystem::path StateFile() const { return state_ / "qtseval" / "virtual-pc.state"; }

 private:
  std::filesystem::path home_, runtime_, state_;
  int outputs_ = 0;
};

using testsupport::Lines;

}  // namespace vpctest
