// Ctrl-C (SIGINT) while qtsctl works: at the on-board write prompt it
// answers no; in the middle of a command it ends it with status 130, the
// trace written and the machine free for the next run.
#include <gtest/gtest.h>

#include <csignal>

#include "ToolRun.h"

namespace {

using qtsctltest::ReadFile;
using qtsctltest::RunningTool;
using qtsctltest::RunTool;
using qtsctltest::TempPath;

TEST(QtsctlInterrupt, AtTheWritePromptCountsAsNo) {
  RunningTool tool({"write", "--smbus", "0x4E", "0x0B", "90"});
  ASSERT_TRUE(tool.WaitForError("[y/N] "));
  tool.Signal(SIGINT);
  const auto result = tool.Finish();
  EXPECT_EQ(result.status, 1) << result.err;
  EXPECT_TRUE(result.err.ends_with("\nNothing written.\n")) << result.err;
  EXPECT_EQ(result.err.find("interrupted"), std::string::npos) << result.err;
}

TEST(QtsctlInterrupt, DecodeWaitingForMoreOfTheTraceEndsInterrupted) {
  const std::string trace = TempPath("live.vcd");
  ASSERT_EQ(RunTool({"--trace", trace, "read", "0x4C", "0xFE"}).status, 0);
  RunningTool tool({"decode", "-"});
  tool.Write(ReadFile(trace));
  // Decode has read the whole trace and waits for more, as on a live capture.
  ASSERT_TRUE(tool.WaitUntilReading());
  tool.Signal(SIGINT);
  const auto result = tool.Finish();
  EXPECT_EQ(result.status, 130) << result.err;
  EXPECT_EQ(result.err, "qtsctl: interrupted\n");
}

// Commands that run long enough on real time for the signal to land while
// they work: on Windows XP each register read waits on the port driver's
// claim; a busy on-board controller makes every presence check wait out its
// time-out. The signal handler is in place before the trace file is first
// created, so the signal is never the process's end by default.
struct InterruptCase {
  std::string name;
  std::vector<std::string> arguments;
  std::string machine;  // --sim options
};

void PrintTo(const InterruptCase& interrupt, std::ostream* out) { *out << interrupt.name; }

class QtsctlInterruptMidCommand : public testing::TestWithParam<InterruptCase> {};

TEST_P(QtsctlInterruptMidCommand, EndsWith130AndWritesTheTrace) {
  const std::string trace = TempPath("interrupted.vcd");
  std::vector<std::string> arguments{"--trace", trace, "--sim", GetParam().machine};
  arguments.insert(arguments.end(), GetParam().arguments.begin(), GetParam().arguments.end());
  RunningTool tool(arguments);
  ASSERT_TRUE(tool.WaitForFile(trace));
  tool.Signal(SIGINT);
  const auto result = tool.Finish();
  EXPECT_EQ(result.status, 130) << result.err;
  EXPECT_EQ(result.out, "");
  EXPECT_TRUE(result.err.ends_with("qtsctl: interrupted\n")) << result.err;
  // The trace is written, and every transfer on it ended with its stop.
  ASSERT_NE(ReadFile(trace).find("$enddefinitions"), std::string::npos) << "the trace was not written";
  const auto decoded = RunTool({"decode", trace});
  EXPECT_EQ(decoded.status, 0) << decoded.out << decoded.err;

  // Nothing is left claimed: the next run on such a machine works.
  const auto again = RunTool({"read", "--sim", GetParam().machine, "0x4C", "0xFE"});
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(again.out, "0x41\n");
}

INSTANTIATE_TEST_SUITE_P(
    Commands, QtsctlInterruptMidCommand,
    testing::Values(InterruptCase{"Dump", {"dump", "--all", "0x4C"}, "personality=xp"},
                    InterruptCase{"SearchOfABusyController", {"search"}, "smbus-busy"}),
    [](const testing::TestParamInfo<InterruptCase>& info) { return info.param.name; });

}  // namespace
