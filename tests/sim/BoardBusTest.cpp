// The evaluation board through the printer port's registers, as a program
// reaches it: adapter wirings, register transfers, the EEPROM and bus faults.
#include <gtest/gtest.h>

#include <memory>

#include "BitBangMaster.h"
#include "sim/Machine.h"
#include "sim/Process.h"
#include "sim/Qts5460Registers.h"

namespace {

using namespace sim::qts5460;

constexpr std::uint16_t kLpt1 = 0x378;
constexpr std::uint16_t kLpt2 = 0x278;
constexpr std::uint8_t kChip = 0x4C;
constexpr std::uint8_t kEeprom = 0x50;

struct Board {
  explicit Board(const std::string& options)
      : machine(sim::Machine::Create(sim::MachineOptions::Parse("clock=manual," + options))),
        process(machine->StartProcess("test")) {}

  sim::Qts5460& Chip() { return machine->Board()->Chip(); }
  void Advance(std::uint64_t ns) { machine->GetClock().Advance(ns); }

  std::shared_ptr<sim::Machine> machine;
  std::shared_ptr<sim::Process> process;
};

struct WiringCase {
  const char* name;
  simtest::MasterWiring master;
};

class WiringTest : public ::testing::TestWithParam<WiringCase> {};

TEST_P(WiringTest, RegistersReadAndWriteThroughThePort) {
  // Switched on with the machine, so the test's temperatures are the first conversion's.
  Board board(std::string("power-on,wiring=") + GetParam().name);
  simtest::BitBangMaster master(*board.process, kLpt1, GetParam().master);
  master.Lines(true, true);

  board.Chip().SetLocalTemperature(25.125);
  board.Chip().SetRemoteTemperature(91.5);
  board.Advance(sim::Qts5460::kConversionNanoseconds);

  EXPECT_EQ(master.ReadRegister(kChip, kManufacturerId), 0x41);
  EXPECT_EQ(master.ReadRegister(kChip, kLocalTemperature), 25);
  EXPECT_EQ(master.ReadRegister(kChip, kLocalTemperatureLow), 0x20);
  EXPECT_EQ(master.ReadRegister(kChip, kRemoteTemperature), 91);
  EXPECT_EQ(master.ReadRegister(kChip, kRemoteTemperatureLow), 0x80);
  EXPECT_EQ(master.ReadRegister(kChip, kStatus).value_or(0) & kStatusRemoteHigh, kStatusRemoteHigh);

  EXPECT_TRUE(master.WriteBytes(kChip, {kRemoteHighWrite, 0x5A}));
  EXPECT_EQ(master.ReadRegister(kChip, kRemoteHighRead), 0x5A);
  EXPECT_TRUE(master.WriteBytes(kChip, {kRemoteOffsetLow, 0xE0}));
  EXPECT_EQ(master.ReadRegister(kChip, kRemoteOffsetLow), 0xE0);

  // Send byte, then two receive bytes: the pointer stays where it was set.
  EXPECT_TRUE(master.WriteBytes(kChip, {kConversionRateRead}));
  EXPECT_EQ(master.Receive(kChip), 0x07);
  EXPECT_EQ(master.Receive(kChip), 0x07);
}

INSTANTIATE_TEST_SUITE_P(Adapters, WiringTest,
                         ::testing::Values(WiringCase{"inverted", simtest::kInvertedMaster},
                                           WiringCase{"direct", simtest::kDirectMaster},
                                           WiringCase{"status3", simtest::kStatus3Master}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BoardTest, DefaultMachineHasTheBoardOnLpt1AndNothingOnLpt2) {
  Board board("");
  ASSERT_NE(board.machine->Board(), nullptr);
  EXPECT_EQ(board.machine->ParallelPortNumber(1).Attached(), &board.machine->Board()->Adapter());
  EXPECT_EQ(board.machine->ParallelPortNumber(2).Attached(), nullptr);
  EXPECT_EQ(board.process->In8(kLpt2 + 1), sim::ParallelPort::kOpenStatus);

  // Idle inverted adapter: data 0 releases both lines, which read back as 0.
  board.process->Out8(kLpt1, 0xF0);
  EXPECT_EQ(board.process->In8(kLpt1), 0xF0) << "unused data bits read back as written";
  EXPECT_EQ(board.process->In8(kLpt1 + 1), sim::ParallelPort::kOpenStatus & ~0x30);
  board.process->Out8(kLpt1, 0xF3);  // both lines pulled low
  EXPECT_EQ(board.process->In8(kLpt1 + 1), sim::ParallelPort::kOpenStatus);
}

TEST(BoardTest, Status3WiringLeavesStatusBit4Open) {
  Board board("wiring=status3");
  board.process->Out8(kLpt1, 0x00);
  EXPECT_EQ(board.process->In8(kLpt1 + 1), sim::ParallelPort::kOpenStatus & ~0x28);
  board.process->Out8(kLpt1, 0x02);  // SDA low
  EXPECT_EQ(board.process->In8(kLpt1 + 1), sim::ParallelPort::kOpenStatus & ~0x20);
}

TEST(BoardTest, BoardOnAnotherPortAndAddress) {
  Board board("board-port=2,chip-address=0x4E");
  simtest::BitBangMaster master(*board.process, kLpt2, simtest::kInvertedMaster);
  EXPECT_EQ(master.ReadRegister(0x4E, kManufacturerId), 0x41);
  EXPECT_EQ(master.ReadRegister(kChip, kManufacturerId), std::nullopt);
  EXPECT_EQ(board.machine->ParallelPortNumber(1).Attached(), nullptr);
}

TEST(BoardTest, AbsentDeviceGivesNoAcknowledgeAndReadsAllOnes) {
  Board board("");
  simtest::BitBangMaster master(*board.process, kLpt1, simtest::kInvertedMaster);
  EXPECT_EQ(master.ReadRegister(0x30, 0x00), std::nullopt);
  EXPECT_EQ(master.Receive(0x30), std::nullopt);
  master.Start();
  EXPECT_FALSE(master.Write(0x31 << 1 | 1));
  EXPECT_EQ(master.Read(false), 0xFF) << "nobody pulls the data line";
  master.Stop();
}

TEST(BoardTest, DeviceThatNeverAcknowledges) {
  Board board("never-ack=0x4C");
  simtest::BitBangMaster master(*board.process, kLpt1, simtest::kInvertedMaster);
  EXPECT_EQ(master.ReadRegister(kChip, kManufacturerId), std::nullopt);
  EXPECT_TRUE(master.ReadRegister(kEeprom, 0x00).has_value()) << "the other devices still answer";
}

TEST(BoardTest, DeviceThatRefusesReads) {
  Board board("never-ack-read=0x4C");
  simtest::BitBangMaster master(*board.process, kLpt1, simtest::kInvertedMaster);
  ASSERT_TRUE(master.WriteBytes(kChip, {0x0B, 0x3C})) << "writes are acknowledged";
  EXPECT_EQ(master.Receive(kChip), std::nullopt);
  EXPECT_EQ(master.ReadRegister(kChip, 0x05), std::nullopt) << "the read half is not";
  EXPECT_EQ(board.machine->Board()->Chip().ReadRegister(0x05), 0x3C);
}

TEST(BoardTest, EepromPageWriteThenSequentialRead) {
  Board board("");
  simtest::BitBangMaster master(*board.process, kLpt1, simtest::kInvertedMaster);
  ASSERT_TRUE(master.WriteBytes(kEeprom, {0x01, 0x20, 0x11, 0x22, 0x33, 0x44}));
  // Three bytes from the last byte of a page wrap to the page's start.
  ASSERT_TRUE(master.WriteBytes(kEeprom, {0x00, 0x3F, 0xA1, 0xA2, 0xA3}));

  master.Start();
  ASSERT_TRUE(master.Write(kEeprom << 1));
  ASSERT_TRUE(master.Write(0x01));
  ASSERT_TRUE(master.Write(0x1F));
  master.Start();
  ASSERT_TRUE(master.Write(kEeprom << 1 | 1));
  std::vector<std::uint8_t> read;
  for (int i = 0; i < 6; ++i) read.push_back(master.Read(i < 5));
  master.Stop();
  EXPECT_EQ(read, (std::vector<std::uint8_t>{0xFF, 0x11, 0x22, 0x33, 0x44, 0xFF}));

  const sim::Eeprom16& eeprom = board.machine->Board()->Eeprom();
  EXPECT_EQ(eeprom.At(0x3F), 0xA1);
  EXPECT_EQ(eeprom.At(0x20), 0xA2);
  EXPECT_EQ(eeprom.At(0x21), 0xA3);
  EXPECT_EQ(eeprom.At(0x40), 0xFF);
}

TEST(BoardTest, EepromWriteAbandonedByARepeatedStartProgramsNothing) {
  Board board("");
  simtest::BitBangMaster master(*board.process, kLpt1, simtest::kInvertedMaster);
  master.Start();
  ASSERT_TRUE(master.Write(kEeprom << 1));
  ASSERT_TRUE(master.Write(0x00));
  ASSERT_TRUE(master.Write(0x10));
  ASSERT_TRUE(master.Write(0x55));
  master.Start();
  ASSERT_TRUE(master.Write(kEeprom << 1 | 1));
  master.Read(false);
  master.Stop();
  EXPECT_EQ(board.machine->Board()->Eeprom().At(0x10), 0xFF);
}

TEST(BoardTest, AlertResponseOverTheWire) {
  Board board("scenario=constant:95");
  simtest::BitBangMaster master(*board.process, kLpt1, simtest::kInvertedMaster);
  board.Advance(sim::Qts5460::kConversionNanoseconds);
  EXPECT_TRUE(board.machine->Board()->Alerts().AlertLine());
  EXPECT_EQ(master.Receive(0x0C), 0x98);
  EXPECT_FALSE(board.machine->Board()->Alerts().AlertLine());
  EXPECT_EQ(master.Receive(0x0C), std::nullopt);
}

TEST(BoardTest, AnotherMasterHoldingDataLowForAWhile) {
  Board board("hold=sda:5");
  simtest::BitBangMaster master(*board.process, kLpt1, simtest::kInvertedMaster);
  master.Lines(true, true);
  EXPECT_FALSE(master.Sda());
  board.Advance(5'000'000);
  master.Lines(true, true);  // a write after the hold has ended sees the line free
  EXPECT_EQ(board.machine->Board()->Lines().Levels(), (sim::LineLevels{true, true}));
  EXPECT_TRUE(master.Sda());
  EXPECT_EQ(master.ReadRegister(kChip, kManufacturerId), 0x41);
}

TEST(BoardTest, HeldClockAndMissingPullUps) {
  Board held("hold=scl");
  held.process->Out8(kLpt1, 0x00);
  held.Advance(60'000'000'000ull);
  EXPECT_EQ(held.process->In8(kLpt1 + 1) & 0x30, 0x20) << "SCL low, SDA high";

  Board bare("no-pullups");
  bare.process->Out8(kLpt1, 0x00);
  EXPECT_EQ(bare.process->In8(kLpt1 + 1) & 0x30, 0x30) << "nothing drives either line high";
  simtest::BitBangMaster master(*bare.process, kLpt1, simtest::kInvertedMaster);
  // An undriven data line that reads low looks like acknowledges and zeros.
  EXPECT_EQ(master.ReadRegister(kChip, kManufacturerId), 0x00);
}

}  // namespace
