// The communications link against the virtual PC's evaluation board.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "comport/RuntimeError.h"
#include "link/LinkNewComPort.h"
#include "platform/Current.h"
#include "registers/RegisterMap.h"
#include "sim/Machine.h"
#include "sim/MachineOptions.h"
#include "sim/Process.h"
#include "support/BusDecode.h"

namespace {

using namespace LinkNewComPort;

constexpr std::uint16_t kLpt1 = 0x378;
constexpr std::uint16_t kLpt2 = 0x278;
constexpr std::uint8_t kChipAddressByte = 0x98;  // the board's chip at 0x4C
constexpr std::uint8_t kOnBoardChip = 0x4E;      // the chip on the on-board SMBus

// Counts the accesses to one parallel port's three registers.
class PortCounter : public sim::PortObserver {
 public:
  explicit PortCounter(std::uint16_t base) : base_(base) {}
  void Accessed(const sim::PortAccess& access) override {
    if (access.port >= base_ && access.port < base_ + 3) ++count;
  }
  int count = 0;

 private:
  std::uint16_t base_;
};

class Link : public ::testing::Test {
 protected:
  // A fresh run of the program on a machine built from `options`.
  void StartOn(const std::string& options) {
    if (machine_) machine_->Ports().SetObserver(nullptr);
    machine_ = sim::Machine::Create(sim::MachineOptions::Parse(options));
    platform::StartProcess(machine_->StartProcess("test"));
  }
  ~Link() override {
    if (machine_) machine_->Ports().SetObserver(nullptr);
  }
  sim::Qts5460& Chip() { return machine_->Board()->Chip(); }
  void Read(int code) {
    RegisterPointer = static_cast<std::int16_t>(code);
    ReadDeviceRegister();
  }
  void Write(int code, std::int32_t value) {
    RegisterPointer = static_cast<std::int16_t>(code);
    WriteValue = value;
    WriteDeviceRegister();
  }
  // Lets the chip finish conversions of what its side door was told.
  void Convert() { machine_->GetClock().Advance(1'000'000'000); }

  std::shared_ptr<sim::Machine> machine_;
};

TEST_F(Link, ReadsAndWritesReachTheChipOverThePrinterPort) {
  StartOn("");
  LinkPrinterPort(0, comport::kTrue, kChipAddressByte);
  Read(registers::kManufacturerId);
  EXPECT_EQ(ReadValue, 0x41);
  EXPECT_EQ(RegisterPointer, registers::kManufacturerId);

  // A limit goes out at its write code and comes back at its read code; the
  // write leaves ReadValue alone.
  ReadValue = 3;
  Write(registers::ToWriteCode(registers::kRemoteHighLimit), 0xFF);
  EXPECT_EQ(ReadValue, 3);
  EXPECT_EQ(Chip().ReadRegister(registers::kRemoteHighLimit), 0xFF);
  Write(registers::ToWriteCode(registers::kLocalLowLimit), 0x17);
  Read(registers::kLocalLowLimit);
  EXPECT_EQ(ReadValue, 0x17);
  Read(registers::kRemoteHighLimit);
  EXPECT_EQ(ReadValue, 0xFF);

  Read(registers::kStatus);
  EXPECT_EQ(RegisterPointer, registers::kStatus);
}

TEST_F(Link, TemperaturesSetOnTheChipAreReadBack) {
  StartOn("clock=manual");
  LinkPrinterPort(0, comport::kTrue, kChipAddressByte);
  Chip().SetLocalTemperature(42.5);
  Chip().SetRemoteTemperature(71.25);
  Convert();
  Read(registers::kLocalTemperature);
  EXPECT_EQ(ReadValue, 42);
  Read(registers::kLocalTemperatureLow);
  EXPECT_EQ(registers::TemperatureFraction(static_cast<std::uint8_t>(ReadValue)), 0.5);
  Read(registers::kRemoteTemperature);
  EXPECT_EQ(ReadValue, 71);
  Read(registers::kRemoteTemperatureLow);
  EXPECT_EQ(registers::TemperatureFraction(static_cast<std::uint8_t>(ReadValue)), 0.25);
}

TEST_F(Link, ADeviceThatDoesNotAnswerIsNoFailure) {
  StartOn("clock=manual");
  LinkPrinterPort(0, comport::kTrue, kChipAddressByte);
  CurrentDeviceAddress = 0x90;
  EXPECT_NO_THROW(Read(registers::kManufacturerId));
  EXPECT_NE(ReadValue, 0x41);
}

struct OverflowCase {
  const char* name;
  std::int16_t device;
  std::int16_t pointer;
  std::int32_t value;
  friend void PrintTo(const OverflowCase& overflow, std::ostream* out) { *out << overflow.name; }
};

class LinkOverflow : public Link, public ::testing::WithParamInterface<OverflowCase> {};

TEST_P(LinkOverflow, FailsBeforeAnythingIsSent) {
  StartOn("clock=manual");
  LinkPrinterPort(0, comport::kTrue, kChipAddressByte);
  const std::uint8_t limitBefore = Chip().ReadRegister(registers::kRemoteHighLimit);
  PortCounter lpt1(kLpt1);
  machine_->Ports().SetObserver(&lpt1);
  CurrentDeviceAddress = GetParam().device;
  RegisterPointer = GetParam().pointer;
  WriteValue = GetParam().value;
  ReadValue = 12;

  try {
    WriteDeviceRegister();
    FAIL() << "the write was accepted";
  } catch (const comport::RuntimeError& error) {
    EXPECT_EQ(error.Number(), comport::RuntimeError::kOverflow);
  }
  // Only the address and the pointer matter to a read.
  if (GetParam().value == 0) {
    EXPECT_THROW(ReadDeviceRegister(), comport::RuntimeError);
    EXPECT_EQ(ReadValue, 12);
  }
  EXPECT_EQ(lpt1.count, 0);
  EXPECT_EQ(Chip().ReadRegister(registers::kRemoteHighLimit), limitBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LinkOverflow,
    ::testing::Values(OverflowCase{"ValueAboveAByte", kChipAddressByte, 0x0D, 0x1FF},
                      OverflowCase{"NegativeValue", kChipAddressByte, 0x0D, -1},
                      OverflowCase{"PointerAboveAByte", kChipAddressByte, 0x10D, 0},
                      OverflowCase{"NegativePointer", kChipAddressByte, -1, 0},
                      OverflowCase{"AddressAboveAByte", 0x198, 0x0D, 0}),
    [](const auto& info) { return std::string(info.param.name); });

class LinkOtherMedium : public Link, public ::testing::WithParamInterface<std::int16_t> {};

TEST_P(LinkOtherMedium, EveryValueButOneGoesToTheOnBoardSMBus) {
  StartOn("clock=manual");
  LinkPrinterPort(0, comport::kTrue, kChipAddressByte);
  const std::uint8_t limitBefore = Chip().ReadRegister(registers::kRemoteHighLimit);
  PortCounter lpt1(kLpt1);
  machine_->Ports().SetObserver(&lpt1);
  UsePrinterPort = GetParam();
  CurrentDeviceAddress = kOnBoardChip;

  Read(registers::kManufacturerId);
  Write(registers::ToWriteCode(registers::kRemoteHighLimit), 0x21);
  // The printer-port chip's own address goes nowhere near it either.
  CurrentDeviceAddress = kChipAddressByte;
  Write(registers::ToWriteCode(registers::kRemoteHighLimit), 0x22);

  EXPECT_EQ(lpt1.count, 0);
  EXPECT_EQ(Chip().ReadRegister(registers::kRemoteHighLimit), limitBefore);
  EXPECT_EQ(ReadValue, 0x41);
  EXPECT_EQ(machine_->OnBoard().Chip().ReadRegister(registers::kRemoteHighLimit), 0x21);
}

INSTANTIATE_TEST_SUITE_P(Values, LinkOtherMedium, ::testing::Values(0, 2, -1));

TEST_F(Link, AlertResponseOnTheWire) {
  StartOn("clock=manual");
  LinkPrinterPort(0, comport::kTrue, kChipAddressByte);
  Chip().SetRemoteTemperature(100);
  Convert();
  // Standby keeps a later conversion from raising ALERT again.
  Write(registers::ToWriteCode(registers::kConfiguration), registers::kConfigStandby);
  auto* board = machine_->Board();
  ASSERT_TRUE(board->Alerts().AlertLine());

  board->StartTrace();
  ReadAlertResponse();
  // The address byte 0x19, then the chip's own address byte, not acknowledged.
  EXPECT_EQ(support::Decode(board->Trace()->Events()), "S 19a 98n P");
  EXPECT_FALSE(board->Alerts().AlertLine());
}

TEST_F(Link, StateAWizardLeavesForThePrinterPort) {
  StartOn("clock=manual,ports=2,board-port=2,wiring=direct");
  ComPort().PortType(1);
  LinkPrinterPort(1, comport::kFalse, kChipAddressByte);
  EXPECT_EQ(ComPort().PortType(), 0);
  EXPECT_EQ(ComPort().PrinterPort()->PortAddressIndex(), 1);
  EXPECT_EQ(ComPort().PrinterPort()->SMBusProtocall()->DataInverted(), comport::kFalse);
  EXPECT_EQ(ComPort().PrinterPort()->SMBusProtocall()->DeviceAddress(), kChipAddressByte);
  EXPECT_EQ(UsePrinterPort, 1);
  EXPECT_EQ(PrinterPortAddress, kLpt2);
  EXPECT_EQ(CurrentDeviceAddress, kChipAddressByte);
  Read(registers::kManufacturerId);
  EXPECT_EQ(ReadValue, 0x41);
}

TEST_F(Link, StateAWizardLeavesForTheOnBoardSMBus) {
  StartOn("clock=manual");
  UsePrinterPort = 1;
  LinkOnBoardSMBus(kOnBoardChip);
  EXPECT_EQ(ComPort().PortType(), 1);
  EXPECT_EQ(ComPort().SMBus()->DeviceAddress(), kOnBoardChip);
  EXPECT_EQ(UsePrinterPort, 0);
  EXPECT_EQ(CurrentDeviceAddress, kOnBoardChip);
  Write(registers::ToWriteCode(registers::kLocalLowLimit), 0x0A);
  Read(registers::kLocalLowLimit);
  EXPECT_EQ(ReadValue, 0x0A);
}

TEST_F(Link, EveryRunOfTheProgramStartsAfresh) {
  StartOn("clock=manual");
  LinkOnBoardSMBus(kOnBoardChip);
  RegisterPointer = 5;
  WriteValue = 6;
  ReadValue = 7;
  StartOn("clock=manual");
  EXPECT_EQ(ComPort().PortType(), 0);
  EXPECT_EQ(ComPort().SMBus()->DeviceAddress(), 0);
  EXPECT_EQ(CurrentDeviceAddress, 0);
  EXPECT_EQ(RegisterPointer, 0);
  EXPECT_EQ(WriteValue, 0);
  EXPECT_EQ(ReadValue, 0);
}

}  // namespace
