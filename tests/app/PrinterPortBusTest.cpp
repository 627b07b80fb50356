// Transfers on the printer port against the virtual PC's evaluation board:
// what a transfer reads, how it leaves the bus and the port, and a bus that
// a vanished master left in the middle of a byte.
#include <gtest/gtest.h>

#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "comport/KORComPort.h"
#include "platform/Current.h"
#include "sim/Machine.h"
#include "sim/MachineOptions.h"
#include "sim/Process.h"
#include "transfers/PrinterPortBus.h"

namespace {

using transfers::Cause;
using transfers::TransferFailed;

constexpr std::uint8_t kChip = 0x4C;
constexpr std::uint8_t kEeprom = 0x50;
constexpr std::uint8_t kConfiguration = 0x03;  // reads 0x00 at power-on
constexpr std::uint8_t kManufacturerId = 0xFE;

class PrinterPortBusTest : public testing::Test {
 protected:
  void Start(const std::string& options) {
    machine_ = sim::Machine::Create(sim::MachineOptions::Parse("clock=manual," + options));
    platform::StartProcess(machine_->StartProcess("transfers"));
    comPort_ = std::make_unique<comport::KORComPort>();
    bus_ = std::make_unique<transfers::PrinterPortBus>(*comPort_, 0, true);
  }
  void SetUp() override { Start(""); }
  void TearDown() override {
    bus_.reset();
    comPort_.reset();
  }

  comport::PrinterPort& Port() { return *comPort_->PrinterPort(); }
  comport::SMBusProtocall& Protocall() { return *Port().SMBusProtocall(); }

  // The EEPROM's memory from 0x0100 on, where a transfer with command 0x01
  // reads (the command is the high byte of its 16-bit address).
  void EepromHolds(const std::vector<std::uint8_t>& bytes) {
    std::vector<std::uint8_t> memory(sim::Eeprom16::kSize, 0xFF);
    std::copy(bytes.begin(), bytes.end(), memory.begin() + 0x100);
    ASSERT_TRUE(machine_->Board()->Eeprom().Restore(memory));
  }

  // Start and stop conditions on the recorded wire, in order: "S" a start,
  // "P" a stop.
  std::string Conditions() {
    std::string conditions;
    const auto events = machine_->Board()->Trace()->Events();
    for (std::size_t i = 1; i < events.size(); ++i) {
      const auto& before = events[i - 1].levels;
      const auto& after = events[i].levels;
      if (!before.scl || !after.scl || before.sda == after.sda) continue;
      conditions += after.sda ? "P" : "S";
    }
    return conditions;
  }

  std::shared_ptr<sim::Machine> machine_;
  std::unique_ptr<comport::KORComPort> comPort_;
  std::unique_ptr<transfers::PrinterPortBus> bus_;
};

TEST_F(PrinterPortBusTest, AWordIsReadLowByteFirst) {
  EepromHolds({0x34, 0x12});
  EXPECT_EQ(bus_->ReadWord(kEeprom, 0x01), 0x1234);
}

TEST_F(PrinterPortBusTest, ABlockHoldsOneToThirtyTwoBytes) {
  for (const std::size_t count : {1u, 32u}) {
    std::vector<std::uint8_t> data(count);
    std::iota(data.begin(), data.end(), std::uint8_t{0x40});
    std::vector<std::uint8_t> memory{static_cast<std::uint8_t>(count)};
    memory.insert(memory.end(), data.begin(), data.end());
    EepromHolds(memory);
    EXPECT_EQ(bus_->BlockRead(kEeprom, 0x01), data) << count << " bytes";
  }
  for (const std::uint8_t count : {0, 33}) {
    EepromHolds({count});
    try {
      bus_->BlockRead(kEeprom, 0x01);
      ADD_FAILURE() << "a count of " << int(count) << " was taken";
    } catch (const TransferFailed& failure) {
      EXPECT_EQ(failure.WhatCause(), Cause::ByteCount) << failure.what();
    }
  }
}

// A master that went away after the address of a read leaves the chip
// acknowledging it, with a byte of zeros to follow: SDA stays low through
// the acknowledge and all eight bits. The first look at the lines gives the
// acknowledge its clock; the eight bits and the master's not-acknowledge
// take nine more.
TEST_F(PrinterPortBusTest, ADeviceLeftInTheMiddleOfAReadIsClearedAndTheBusLeftIdle) {
  bus_->SendByte(kChip, kConfiguration);
  Protocall().StartBit();
  Protocall().WriteData(static_cast<float>(kChip << 1 | 1));
  ASSERT_FALSE(Protocall().ReadLineLevels()->sdaHigh);

  machine_->Board()->StartTrace();
  EXPECT_EQ(bus_->ReadByte(kChip, kManufacturerId), 0x41);
  // The clearing ends with a stop before the read's start, repeated start and stop.
  EXPECT_EQ(Conditions(), "PSSP");
}

TEST_F(PrinterPortBusTest, ALineHeldForGoodIsNamed) {
  Start("hold=sda");
  try {
    bus_->ReadByte(kChip, kManufacturerId);
    FAIL() << "the read went through";
  } catch (const TransferFailed& failure) {
    EXPECT_EQ(failure.WhatCause(), Cause::SdaHeld) << failure.what();
  }
}

// On a Windows that needs claims: each transfer holds the port and gives it
// back, even when it fails, unless the caller held it before.
TEST_F(PrinterPortBusTest, ThePortIsGivenBackUnlessTheCallerHeldIt) {
  Start("personality=xp");
  EXPECT_EQ(bus_->ReadByte(kChip, kManufacturerId), 0x41);
  EXPECT_EQ(Port().LockPortOpen(), comport::kFalse);
  EXPECT_EQ(machine_->Arbiter().Holder(1), 0u);
  EXPECT_THROW(bus_->ReadByte(0x4D, kManufacturerId), TransferFailed);
  EXPECT_EQ(machine_->Arbiter().Holder(1), 0u);

  Port().LockPortOpen(comport::kTrue);
  const auto holder = machine_->Arbiter().Holder(1);
  ASSERT_NE(holder, 0u);
  EXPECT_EQ(bus_->ReadByte(kChip, kManufacturerId), 0x41);
  EXPECT_THROW(bus_->ReadByte(0x4D, kManufacturerId), TransferFailed);
  EXPECT_EQ(Port().LockPortOpen(), comport::kTrue);
  EXPECT_EQ(machine_->Arbiter().Holder(1), holder);
  Port().LockPortOpen(comport::kFalse);
}

}  // namespace
