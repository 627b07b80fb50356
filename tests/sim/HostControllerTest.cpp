// The on-board SMBus host controllers driven register by register through the
// port library, on a driven clock.
#include <gtest/gtest.h>

#include <numeric>

#include "sim/HostController10B9.h"
#include "sim/HostController8086.h"
#include "sim/Machine.h"
#include "sim/PciFunction.h"
#include "sim/Process.h"

namespace {

using sim::HostController10B9;
using sim::HostController8086;

struct Pc {
  explicit Pc(const std::string& options)
      : machine(sim::Machine::Create(sim::MachineOptions::Parse("clock=manual," + options))),
        process(machine->StartProcess()) {
    base = machine->OnBoard().Controller() ? machine->OnBoard().Controller()->IoBase() : 0;
    process->AddMultiPort(base, 16);
  }
  std::uint16_t In(int offset) { return static_cast<std::uint16_t>(process->CanInpw(base + offset)); }
  void Out(int offset, int value) { process->CanOutp(base + offset, value); }
  void OutWord(int offset, int value) { process->CanOutpw(base + offset, value); }
  void Wait(std::uint64_t nanoseconds = 2'000'000) { machine->GetClock().Advance(nanoseconds); }

  // Byte-data transactions as the component runs them, one byte write per register.
  std::uint8_t Read8086(int address, int command) {
    Out(HostController8086::kCommand, command);
    Out(HostController8086::kAddress, address * 2 + 1);
    Out(HostController8086::kStatus, 0x1F);
    Out(HostController8086::kControl, 0x48);
    Wait();
    return static_cast<std::uint8_t>(In(HostController8086::kData0));
  }
  void Write8086(int address, int command, int data) {
    Out(HostController8086::kCommand, command);
    Out(HostController8086::kAddress, address * 2);
    Out(HostController8086::kData0, data);
    Out(HostController8086::kStatus, 0x1F);
    Out(HostController8086::kControl, 0x48);
    Wait();
  }
  std::uint8_t Read10B9(int address, int command) {
    Out(HostController10B9::kStatus, 0xF0);
    Out(HostController10B9::kCommand, command);
    Out(HostController10B9::kAddress, address * 2 + 1);
    Out(HostController10B9::kProtocol, 0x20);
    Out(HostController10B9::kStart, 0);
    Wait();
    return static_cast<std::uint8_t>(In(HostController10B9::kDataA));
  }

  std::shared_ptr<sim::Machine> machine;
  std::shared_ptr<sim::Process> process;
  int base = 0;
};

TEST(HostController, EachChipsetDecodesItsControllerAtTheBaseItsConfigurationGives) {
  EXPECT_EQ(Pc("smbus=piix4").base, 0x5000);
  EXPECT_EQ(Pc("smbus=ich").base, 0xEFA0);
  EXPECT_EQ(Pc("smbus=ali").base, 0xE800);
  EXPECT_EQ(Pc("smbus=none").machine->OnBoard().Controller(), nullptr);
}

TEST(HostController, Layout8086ReadsTheChipAndIsBusyForTheTransfersTime) {
  for (const char* chipset : {"smbus=piix4", "smbus=ich"}) {
    SCOPED_TRACE(chipset);
    Pc pc(chipset);
    pc.Out(HostController8086::kCommand, 0xFE);
    pc.Out(HostController8086::kAddress, 0x4E * 2 + 1);
    pc.Out(HostController8086::kControl, 0x48);
    EXPECT_EQ(pc.In(HostController8086::kStatus) & 0xFF, HostController8086::kBusy);
    pc.Wait(100'000);  // a byte-data read takes about 0.4 ms at 100 kHz
    EXPECT_EQ(pc.In(HostController8086::kStatus) & 0xFF, HostController8086::kBusy);
    pc.Wait(400'000);
    EXPECT_EQ(pc.In(HostController8086::kStatus), HostController8086::kCompleted);
    EXPECT_EQ(pc.In(HostController8086::kData0), 0x41);  // data 1 above it is still 0
    // The flags clear when written with ones; the busy bit cannot be written.
    pc.Out(HostController8086::kStatus, 0x1F);
    EXPECT_EQ(pc.In(HostController8086::kStatus), 0);
  }
}

TEST(HostController, Layout8086WritesAndFlagsAnAbsentDevice) {
  Pc pc("smbus=piix4");
  pc.Write8086(0x4E, 0x0D, 0x4A);  // remote high limit
  EXPECT_EQ(pc.In(HostController8086::kStatus), HostController8086::kCompleted);
  EXPECT_EQ(pc.machine->OnBoard().Chip().ReadRegister(0x07), 0x4A);
  EXPECT_EQ(pc.Read8086(0x4E, 0x07), 0x4A);

  pc.Read8086(0x2A, 0x00);
  EXPECT_EQ(pc.In(HostController8086::kStatus), HostController8086::kDeviceError);
  pc.Out(HostController8086::kStatus, HostController8086::kCompleted);  // a one clears only its own flag
  EXPECT_EQ(pc.In(HostController8086::kStatus), HostController8086::kDeviceError);
  pc.Out(HostController8086::kStatus, HostController8086::kDeviceError);
  EXPECT_EQ(pc.In(HostController8086::kStatus), 0);
}

TEST(HostController, WordWritesReachTheRegisterAboveToo) {
  Pc pc("smbus=piix4");
  pc.Out(HostController8086::kData1, 0x77);
  pc.OutWord(HostController8086::kData0, 0x12);
  EXPECT_EQ(pc.In(HostController8086::kData0), 0x0012);
  // The control word starts the transaction with the command it finds, then
  // its high byte lands in the command register.
  pc.Out(HostController8086::kCommand, 0xFE);
  pc.Out(HostController8086::kAddress, 0x4E * 2 + 1);
  pc.OutWord(HostController8086::kControl, 0x0048);
  pc.Wait();
  EXPECT_EQ(pc.In(HostController8086::kData0), 0x41);
  EXPECT_EQ(pc.In(HostController8086::kCommand) & 0xFF, 0);
}

TEST(HostController, InUseFlagIsSetByAStatusReadAndClearedOnlyByAOne) {
  Pc plain("smbus=ich");
  plain.In(HostController8086::kStatus);
  EXPECT_EQ(plain.In(HostController8086::kStatus), 0);
  Pc pc("smbus=ich,smbus-inuse");
  EXPECT_EQ(pc.In(HostController8086::kStatus), 0);  // the read that sets it shows it clear
  EXPECT_EQ(pc.In(HostController8086::kStatus), HostController8086::kInUse);
  pc.Out(HostController8086::kStatus, 0x1F);
  EXPECT_EQ(pc.In(HostController8086::kStatus), HostController8086::kInUse);
  pc.Out(HostController8086::kStatus, HostController8086::kInUse);
  EXPECT_EQ(pc.In(HostController8086::kStatus), 0);
}

TEST(HostController, Layout10B9ReadsTheChipAndFlagsAnAbsentDevice) {
  Pc pc("smbus=ali");
  // A word read of the status carries the protocol register above it.
  pc.Out(HostController10B9::kProtocol, 0x20);
  EXPECT_EQ(pc.In(HostController10B9::kStatus), 0x2000 | HostController10B9::kIdle);
  pc.Out(HostController10B9::kCommand, 0xFE);
  pc.Out(HostController10B9::kAddress, 0x4E * 2 + 1);
  pc.Out(HostController10B9::kProtocol, 0x20);
  pc.Out(HostController10B9::kStart, 0);
  EXPECT_EQ((pc.In(HostController10B9::kStatus) & 0xFF), HostController10B9::kBusy);
  pc.Wait();
  EXPECT_EQ((pc.In(HostController10B9::kStatus) & 0xFF), HostController10B9::kIdle | HostController10B9::kCompleted);
  EXPECT_EQ(pc.In(HostController10B9::kDataA), 0x41);

  pc.Read10B9(0x2A, 0);
  EXPECT_EQ((pc.In(HostController10B9::kStatus) & 0xFF), HostController10B9::kIdle | HostController10B9::kDeviceError);
  pc.Out(HostController10B9::kStatus, 0xF0);
  EXPECT_EQ((pc.In(HostController10B9::kStatus) & 0xFF), HostController10B9::kIdle);
}

TEST(HostController, QuickCommandAnswersWithTheAcknowledgeOnly) {
  Pc pc("smbus=piix4");
  for (const auto& [address, error] :
       {std::pair<int, int>{0x50, 0}, std::pair<int, int>{0x2A, HostController8086::kDeviceError}}) {
    pc.Out(HostController8086::kStatus, 0x1F);
    pc.Out(HostController8086::kAddress, address * 2);
    pc.Out(HostController8086::kControl, 0x40);
    pc.Wait();
    EXPECT_EQ(pc.In(HostController8086::kStatus) & HostController8086::kDeviceError, error) << address;
  }
}

TEST(HostController, DisabledControllerLeavesItsRangeAndFollowsANewBase) {
  Pc pc("smbus=piix4");
  sim::PciFunction& function = *pc.machine->GetChipset().ControllerFunction();
  auto& controller = *pc.machine->OnBoard().Controller();
  function.Write(0xD0, 0);  // host enable off
  EXPECT_EQ(controller.IoBase(), 0);
  EXPECT_EQ(pc.In(HostController8086::kStatus), 0xFFFF);
  function.Write(0xD0, 0x00010000);
  function.Write(0x90, 0x6001);
  EXPECT_EQ(controller.IoBase(), 0x6000);
  EXPECT_EQ(pc.machine->Ports().DeviceAt(0x5000), nullptr);
  EXPECT_EQ(pc.machine->Ports().DeviceAt(0x6000), &controller);

  Pc ali("smbus=ali");
  sim::PciFunction& aliFunction = *ali.machine->GetChipset().ControllerFunction();
  aliFunction.Write(0xF0, 0);
  EXPECT_EQ(ali.machine->OnBoard().Controller()->IoBase(), 0);
  aliFunction.Write(0xF0, 1);
  EXPECT_EQ(ali.machine->OnBoard().Controller()->IoBase(), 0xE800);
}

TEST(HostController, StaysBusyFaultIgnoresEveryStart) {
  Pc pc("smbus=piix4,smbus-busy");
  EXPECT_EQ(pc.Read8086(0x4E, 0xFE), 0);
  EXPECT_EQ(pc.In(HostController8086::kStatus), HostController8086::kBusy);
  EXPECT_EQ(pc.machine->OnBoard().Controller()->Transactions(), 0u);

  Pc ali("smbus=ali,smbus-busy");
  EXPECT_EQ(ali.Read10B9(0x4E, 0xFE), 0);
  EXPECT_EQ((ali.In(HostController10B9::kStatus) & 0xFF), HostController10B9::kBusy);
}

TEST(OnBoardSmbus, NeverAcknowledgeFaultSilencesTheChip) {
  Pc pc("onboard-never-ack=0x4E");
  pc.Read8086(0x4E, 0xFE);
  EXPECT_EQ(pc.In(HostController8086::kStatus) & HostController8086::kDeviceError, HostController8086::kDeviceError);
}

TEST(OnBoardSmbus, MemoryModulesAnswerWithPresenceDetectDataAndKeepItWriteProtected) {
  Pc pc("smbus=piix4");
  EXPECT_EQ(pc.Read8086(0x50, 2), 0x04);  // SDRAM
  EXPECT_EQ(pc.Read8086(0x51, 1), 0x08);  // a 256-byte EEPROM
  std::uint32_t sum = 0;
  for (int i = 0; i < sim::SpdEeprom::kChecksumByte; ++i) sum += pc.Read8086(0x50, i);
  EXPECT_EQ(pc.Read8086(0x50, sim::SpdEeprom::kChecksumByte), sum & 0xFF);
  pc.Write8086(0x50, 2, 0x55);
  EXPECT_EQ(pc.In(HostController8086::kStatus), HostController8086::kCompleted);        // acknowledged
  EXPECT_EQ(pc.Read8086(0x50, 2), 0x04);                                                // not stored
  EXPECT_NE(pc.machine->OnBoard().Spd(0).At(95), pc.machine->OnBoard().Spd(1).At(95));  // serial numbers
}

}  // namespace
