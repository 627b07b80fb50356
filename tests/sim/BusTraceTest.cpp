// The bus trace: bounded recording, and a VCD that an independent I2C
// decoder reads back as the transfer that was made.
#include "sim/BusTrace.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "BitBangMaster.h"
#include "sim/Machine.h"
#include "sim/Process.h"

namespace {

TEST(BusTraceTest, KeepsTheNewestChangesWithinItsCapacity) {
  sim::BusTrace trace(3);
  trace.Record(10, {true, true});
  trace.Record(20, {true, false});
  trace.Record(20, {false, false});  // same clock reading: kept in order, 1 ns later
  trace.Record(40, {false, true});
  const auto events = trace.Events();
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].time, 20u);
  EXPECT_EQ(events[1].time, 21u);
  EXPECT_EQ(events[2].time, 40u);
  EXPECT_EQ(events[2].levels, (sim::LineLevels{false, true}));
  EXPECT_EQ(trace.Dropped(), 1u);

  std::ostringstream vcd;
  trace.WriteVcd(vcd);
  const std::string text = vcd.str();
  EXPECT_NE(text.find("$timescale 1 ns $end"), std::string::npos);
  EXPECT_NE(text.find("$var wire 1 ! SCL $end"), std::string::npos);
  EXPECT_NE(text.find("$var wire 1 \" SDA $end"), std::string::npos);
  EXPECT_NE(text.find("1 earlier line changes were dropped"), std::string::npos);
  EXPECT_NE(text.find("#20\n$dumpvars\n1!\n0\"\n$end\n#21\n0!\n#40\n1\"\n#1040\n"), std::string::npos) << text;
}

std::string RunCommand(const std::string& command) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return output;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
  pclose(pipe);
  return output;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(BusTraceTest, RegisterReadDecodesInAnIndependentI2cDecoder) {
  if (std::system("command -v sigrok-cli >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "sigrok-cli is not installed; install the Debian package sigrok-cli to run this test";

  auto machine = sim::Machine::Create(sim::MachineOptions::Parse("clock=manual"));
  auto process = machine->StartProcess("test");
  sim::BusTrace& trace = machine->Board()->StartTrace();
  machine->Board()->Chip().SetLocalTemperature(25.0);
  machine->GetClock().Advance(sim::Qts5460::kConversionNanoseconds);

  simtest::BitBangMaster master(*process, 0x378, simtest::kInvertedMaster);
  ASSERT_EQ(master.ReadRegister(0x4C, 0x00), 25);

  const auto path = std::filesystem::temp_directory_path() /
                    ("qts-bus-trace-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                     std::to_string(reinterpret_cast<std::uintptr_t>(&trace)) + ".vcd");
  ASSERT_TRUE(trace.WriteVcdFile(path.string()));
  const std::string decoded =
      RunCommand("sigrok-cli -I vcd -i '" + path.string() + "' -P i2c:scl=SCL:sda=SDA -A i2c=address-read:address-write:"
          "data-read:data-write:start:repeat-start:stop:ack:nack 2>&1");
  std::filesystem::remove(path);

  // "Write" and "Read" are the decoder's notes on the direction bit.
  const std::vector<std::string> expected{
      "i2c-1: Start", "i2c-1: Write", "i2c-1: Address write: 4C", "i2c-1: ACK", "i2c-1: Data write: 00",
      "i2c-1: ACK",   "i2c-1: Stop",  "i2c-1: Start",             "i2c-1: Read", "i2c-1: Address read: 4C",
      "i2c-1: ACK",   "i2c-1: Data read: 19", "i2c-1: NACK",      "i2c-1: Stop"};
  EXPECT_EQ(Lines(decoded), expected) << decoded;
}

}  // namespace
