// The machine options that configure the evaluation board.
#include <gtest/gtest.h>

#include "sim/MachineOptions.h"

namespace {

TEST(BoardOptionsTest, EveryBoardOptionIsRead) {
  const sim::BoardOptions board =
      sim::MachineOptions::Parse(
          "board-port=2,chip-address=0x4E,wiring=status3,scenario=step:30:90:5,no-pullups,hold=scl:20,"
          "never-ack=0x50,never-ack-read=0x4C,trace=/tmp/bus.vcd")
          .board;
  EXPECT_EQ(board.port, 2);
  EXPECT_EQ(board.chipAddress, 0x4E);
  EXPECT_EQ(board.wiring, "status3");
  EXPECT_EQ(board.scenario.kind, sim::TemperatureScenario::Kind::Step);
  EXPECT_FALSE(board.pullUps);
  ASSERT_TRUE(board.heldLine);
  EXPECT_EQ(board.heldLine->wire, sim::Wire::Scl);
  EXPECT_EQ(board.heldLine->forNanoseconds, 20'000'000u);
  EXPECT_EQ(board.neverAcknowledges, 0x50);
  EXPECT_EQ(board.refusesReads, 0x4C);
  EXPECT_EQ(board.traceFile, "/tmp/bus.vcd");

  const auto forGood = sim::MachineOptions::Parse("hold=sda").board.heldLine;
  ASSERT_TRUE(forGood);
  EXPECT_EQ(forGood->wire, sim::Wire::Sda);
  EXPECT_FALSE(forGood->forNanoseconds);
}

TEST(BoardOptionsTest, SeveralBoardsAndChipsAreJoinedWithPlus) {
  const sim::BoardOptions board = sim::MachineOptions::Parse("board-port=2+1+3,chip-address=0x18+0x4D").board;
  EXPECT_EQ(board.port, 2);
  EXPECT_EQ(board.morePorts, (std::vector<int>{1, 3}));
  EXPECT_EQ(board.chipAddress, 0x18);
  EXPECT_EQ(board.moreChipAddresses, (std::vector<std::uint8_t>{0x4D}));
  // A later item replaces the whole list.
  EXPECT_TRUE(sim::MachineOptions::Parse("chip-address=0x18+0x19,chip-address=0x4C").board.moreChipAddresses.empty());
}

TEST(BoardOptionsTest, BadValuesAreRefused) {
  for (const char* bad : {"board-port=4", "board-port=1+0", "board-port=1+", "chip-address=0x18+0x80",
                          "chip-address=0x18+", "chip-address=0x80", "chip-address=x", "wiring=crossed",
                          "scenario=warm", "hold=both", "hold=sda:0", "never-ack", "trace=", "no-pullups=1"})
    EXPECT_THROW(sim::MachineOptions::Parse(bad), std::invalid_argument) << bad;
}

}  // namespace
