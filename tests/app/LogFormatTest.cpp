// The log file's bytes, which QtsEval and qtsctl both write.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "logging/LogFile.h"
#include "logging/LogFormat.h"

namespace {

std::string Contents(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

TEST(LogFormat, LinesAreTabSeparatedAndEndInCrLf) {
  EXPECT_EQ(logging::LogHeaderLine(), "Time\tRTemp\tLTemp\r\n");
  EXPECT_EQ(logging::LogRestartLine(), "\r\t\t\tRestart\r\n");
  // 14:05:09 is 50709 seconds after midnight.
  EXPECT_EQ(logging::LogSampleLine(50709, 25.125f, 23.5f), "\r14:05:09\t 25.125 \t 23.5 \r\n");
}

TEST(LogFormat, NumbersTakeTheShortestTextOfTheSingle) {
  EXPECT_EQ(logging::LogNumber(127.875f), " 127.875 ");
  EXPECT_EQ(logging::LogNumber(0.0f), " 0 ");
  EXPECT_EQ(logging::LogNumber(-0.0f), " 0 ");
  // The minus sign takes the sign position.
  EXPECT_EQ(logging::LogNumber(-3.5f), "-3.5 ");
  // 25.1 is not exact in binary; seven digits hide that.
  EXPECT_EQ(logging::LogNumber(25.1f), " 25.1 ");
  EXPECT_EQ(logging::NumberText(1.0f / 3.0f), "0.3333333");
}

TEST(LogFormat, TimeOfDayWrapsAtMidnight) {
  EXPECT_EQ(logging::TimeOfDayText(0), "00:00:00");
  EXPECT_EQ(logging::TimeOfDayText(86'399), "23:59:59");
  EXPECT_EQ(logging::TimeOfDayText(86'400 + 61), "00:01:01");
}

TEST(LogFile, NewFileGetsTheHeaderAndAnOldOneTheRestartLine) {
  const auto path = std::filesystem::path(testing::TempDir()) / "logformat-test.xls";
  std::filesystem::remove(path);
  ASSERT_TRUE(logging::StartLogFile(path.string()));
  ASSERT_TRUE(logging::AppendToLogFile(path.string(), logging::LogSampleLine(1, 30, 20)));
  ASSERT_TRUE(logging::StartLogFile(path.string()));
  EXPECT_EQ(Contents(path), "Time\tRTemp\tLTemp\r\n\r00:00:01\t 30 \t 20 \r\n\r\t\t\tRestart\r\n");

  // An empty file counts as new.
  std::ofstream(path, std::ios::trunc).close();
  ASSERT_TRUE(logging::StartLogFile(path.string()));
  EXPECT_EQ(Contents(path), "Time\tRTemp\tLTemp\r\n");
  std::filesystem::remove(path);
}

TEST(LogFile, UnwritablePathIsReported) {
  EXPECT_FALSE(logging::StartLogFile("/nonexistent-directory/log.xls"));
}

}  // namespace
