// qtsctl on the PC's on-board SMBus: the virtual PC's PIIX4-style controller
// with a second QTS5460 at 0x4E.
#include <gtest/gtest.h>

#include <regex>

#include "ToolRun.h"

namespace {

using qtsctltest::Lines;
using qtsctltest::RunTool;

TEST(QtsctlOnBoard, SearchFindsTheChipOnBothMedia) {
  const auto result = RunTool({"search"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(Lines(result.out), (std::vector<std::string>{"lpt1   0x378  inverted  0x4C", "smbus  -      -         0x4E"}));
}

TEST(QtsctlOnBoard, SearchOfTheOnBoardBusAlone) {
  const auto result = RunTool({"search", "--media", "smbus"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(Lines(result.out), std::vector<std::string>{"smbus  -      -         0x4E"});
}

// The virtual PC's USB bridge is a kernel adapter: search covers it by
// default and names it; adapters lists it as i2cdetect -l would.
TEST(QtsctlOnBoard, TheUsbBridgesAdapterIsSearchedAndListed) {
  auto result = RunTool({"--sim", "usb-bridge", "search"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(Lines(result.out), (std::vector<std::string>{"lpt1   0x378  inverted  0x4C", "smbus  -      -         0x4E",
                                                         "i2c-9  usb    -         0x4C  CP2112 SMBus Bridge"}));
  result = RunTool({"--sim", "usb-bridge", "--json", "search", "--media", "usb"});
  EXPECT_EQ(result.out,
            "{\"found\":[{\"medium\":\"i2c\",\"adapter\":9,\"name\":\"CP2112 SMBus Bridge\",\"bus\":\"USB\","
            "\"address\":\"0x4C\"}],\"diagnosis\":[]}\n");
  result = RunTool({"--sim", "usb-bridge", "adapters"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "i2c-9  \tUSB      \tyes                     \tCP2112 SMBus Bridge\n");
  // Without the bridge the virtual PC has no adapter, and says how to get one.
  result = RunTool({"adapters"});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("--sim usb-bridge"), std::string::npos) << result.err;
}

TEST(QtsctlOnBoard, ReadsTheManufacturerId) {
  const auto result = RunTool({"read", "--smbus", "0x4E", "0xFE"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "0x41\n");
}

TEST(QtsctlOnBoard, WriteAsksFirstAndWritesOnlyOnYes) {
  // No answer (end of input) and any answer but yes write nothing.
  for (const std::string answer : {"", "n\n", "maybe\n"}) {
    const auto result = RunTool({"write", "--smbus", "0x4E", "0x0B", "90"}, answer);
    EXPECT_EQ(result.status, 1) << answer;
    EXPECT_NE(result.err.find("[y/N]"), std::string::npos);
    EXPECT_NE(result.err.find("Nothing written."), std::string::npos);
  }
  for (const std::string answer : {"y\n", "YES\n"}) {
    const auto result = RunTool({"write", "--smbus", "0x4E", "0x0B", "90"}, answer);
    EXPECT_EQ(result.status, 0) << result.err;
  }
  const auto confirmed = RunTool({"write", "--smbus", "-y", "0x4E", "0x0B", "90"});
  EXPECT_EQ(confirmed.status, 0) << confirmed.err;
  EXPECT_EQ(confirmed.err, "");
}

TEST(QtsctlOnBoard, DumpOverTheOnBoardBus) {
  const auto result = RunTool({"dump", "--smbus", "0x4E"});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(Lines(result.out).front(), "Registers of 0x4E on the on-board SMBus:");
  EXPECT_NE(result.out.find("Manufacturers ID"), std::string::npos);
  EXPECT_TRUE(std::regex_search(result.out, std::regex("0xFE +Manufacturers ID +0x41 +65\n"))) << result.out;
}

TEST(QtsctlOnBoard, MissingControllerIsBadInput) {
  const auto result = RunTool({"read", "--sim", "smbus=none", "--smbus", "0x4E", "0xFE"});
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.err.find("no supported on-board SMBus host controller"), std::string::npos) << result.err;
}

}  // namespace
