// The board against the exact port-write sequences of the program's bus
// master: its idle sequence before a start, acknowledge clocks whose level it
// never reads, a read that begins by pulling the data line low, and both
// stop-and-start and repeated-start register reads.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "sim/Machine.h"
#include "sim/Process.h"

namespace {

enum State { BothHigh, ClockHigh, BothLow, DataHigh };

class ScriptedMaster {
 public:
  ScriptedMaster(platform::Process& process, bool inverted) : process_(process), inverted_(inverted) {}

  void Out(State state) {
    static constexpr std::uint8_t kDirect[] = {3, 1, 0, 2};
    process_.Out8(kBase, static_cast<std::uint8_t>(inverted_ ? kDirect[state] ^ 3 : kDirect[state]));
  }

  void StartBit() { Out(BothHigh), Out(ClockHigh), Out(BothLow); }
  void StopBit() { Out(BothLow), Out(ClockHigh), Out(BothHigh); }
  void PreStart() { Out(BothLow), Out(DataHigh), Out(DataHigh), Out(BothHigh); }
  void Ack() { Out(DataHigh), Out(BothHigh), Out(DataHigh), Out(BothLow); }
  void NAck() { Out(DataHigh), Out(BothHigh), Out(DataHigh), Out(BothLow); }
  void MAck() { Out(BothLow), Out(ClockHigh), Out(BothLow); }
  void RepeatedStartPosition() { Out(DataHigh), Out(BothHigh); }

  void WriteData(std::uint8_t byte) {
    for (int bit = 7; bit >= 0; --bit) {
      if ((byte >> bit) & 1)
        Out(DataHigh), Out(BothHigh), Out(DataHigh), Out(BothLow);
      else
        Out(BothLow), Out(ClockHigh), Out(BothLow), Out(BothLow);
    }
  }

  std::uint8_t ReadData() {
    std::uint8_t byte = 0;
    Out(BothLow);
    for (int bit = 0; bit < 8; ++bit) {
      Out(DataHigh);
      Out(BothHigh);
      const bool sdaHigh = ((process_.In8(kBase + 1) & 0x10) != 0) != inverted_;
      Out(DataHigh);
      byte = static_cast<std::uint8_t>(byte << 1 | (sdaHigh ? 1 : 0));
    }
    return byte;
  }

  std::uint8_t PortRead(std::uint8_t address, std::uint8_t code, bool repeatedStart) {
    StartBit();
    WriteData(address), Ack();
    WriteData(code), Ack();
    if (repeatedStart)
      RepeatedStartPosition();
    else
      StopBit();
    StartBit();
    WriteData(address | 1), Ack();
    const std::uint8_t value = ReadData();
    NAck();
    StopBit();
    return value;
  }

  void PortWrite(std::uint8_t address, std::uint8_t code, std::uint8_t value) {
    StartBit();
    WriteData(address), Ack();
    WriteData(code), Ack();
    WriteData(value), Ack();
    StopBit();
  }

  std::uint16_t ReadWord(std::uint8_t address, std::uint8_t code) {
    StartBit();
    WriteData(address), Ack();
    WriteData(code), Ack();
    StopBit();
    StartBit();
    WriteData(address | 1), Ack();
    const std::uint8_t high = ReadData();
    MAck();
    const std::uint8_t low = ReadData();
    NAck();
    StopBit();
    return static_cast<std::uint16_t>(high << 8 | low);
  }

 private:
  static constexpr std::uint16_t kBase = 0x378;
  platform::Process& process_;
  bool inverted_;
};

class MasterSequenceTest : public ::testing::TestWithParam<bool> {
 protected:
  MasterSequenceTest()
      : machine_(sim::Machine::Create(
            sim::MachineOptions::Parse(GetParam() ? "clock=manual" : "clock=manual,wiring=direct"))),
        process_(machine_->StartProcess("test")),
        master_(*process_, GetParam()) {
    master_.Out(BothHigh);
  }

  std::shared_ptr<sim::Machine> machine_;
  std::shared_ptr<sim::Process> process_;
  ScriptedMaster master_;
};

TEST_P(MasterSequenceTest, RegisterWritesAndBothKindsOfRead) {
  master_.PortWrite(0x98, 0x0D, 0x64);
  master_.PortWrite(0x98, 0x0E, 0x0A);
  EXPECT_EQ(master_.PortRead(0x98, 0x07, false), 0x64);
  EXPECT_EQ(master_.PortRead(0x98, 0x08, true), 0x0A);
  EXPECT_EQ(master_.PortRead(0x98, 0xFE, true), 0x41);
  EXPECT_EQ(master_.ReadWord(0x98, 0x07), 0x6464) << "the pointer does not move";
}

TEST_P(MasterSequenceTest, IdleSequenceBeforeAStartAndAbsentDevices) {
  master_.PreStart();
  master_.StartBit();
  master_.WriteData(0x98), master_.Ack();
  master_.WriteData(0x0B), master_.Ack();
  master_.WriteData(0x50), master_.Ack();
  master_.StopBit();
  master_.StartBit();
  master_.WriteData(0x98), master_.Ack();
  master_.WriteData(0x05), master_.Ack();
  master_.PreStart();  // in the middle of a transfer, as before a repeated start
  master_.StartBit();
  master_.WriteData(0x99), master_.Ack();
  EXPECT_EQ(master_.ReadData(), 0x50);
  master_.NAck();
  master_.StopBit();

  EXPECT_EQ(master_.PortRead(0x60, 0x00, false), 0xFF);
  EXPECT_EQ(master_.PortRead(0x98, 0x05, false), 0x50) << "nothing wedged";
}

INSTANTIATE_TEST_SUITE_P(Wirings, MasterSequenceTest, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "inverted" : "direct"; });

}  // namespace
