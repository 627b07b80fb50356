// The library in several virtual processes on one virtual PC: installing and
// removing the driver, arbitrating the ports and opening their registers.
#include <gtest/gtest.h>

#include <memory>

#include "lptbridge/Library.h"
#include "platform/PortAccessFault.h"
#include "sim/Machine.h"
#include "sim/Process.h"

namespace {

struct Program {
  std::shared_ptr<sim::Process> process;
  lptbridge::Library library;
  bool loaded;

  explicit Program(const std::shared_ptr<sim::Machine>& machine)
      : process(machine->StartProcess("program")), library(*process), loaded(library.Attach()) {
    if (!loaded) library.Detach();
  }
  ~Program() {
    if (loaded) library.Detach();
  }
};

std::shared_ptr<sim::Machine> MachineWith(const char* options) {
  return sim::Machine::Create(sim::MachineOptions::Parse(options));
}

const sim::Service* DriverService(sim::Machine& machine) { return machine.Services().Find("LptBridge"); }

TEST(LptBridgeProcesses, FirstProcessInstallsTheDriverAndTheLastOneRemovesIt) {
  auto machine = MachineWith("personality=xp");
  auto first = std::make_unique<Program>(machine);
  ASSERT_TRUE(first->loaded);
  const sim::Service* service = DriverService(*machine);
  ASSERT_NE(service, nullptr);
  EXPECT_TRUE(service->running);
  EXPECT_EQ(service->type, platform::ServiceKernelDriver);
  EXPECT_EQ(service->startType, platform::ServiceDemandStart);
  EXPECT_EQ(service->errorControl, platform::ServiceErrorNormal);
  EXPECT_EQ(service->imagePath, "C:\\WINDOWS\\system32\\Drivers\\LptBridge.sys");

  auto second = std::make_unique<Program>(machine);
  EXPECT_NE(second->library.DeviceHandle(), platform::InvalidHandleValue);
  EXPECT_EQ(second->library.GetParallelPortCount(), 2);

  first.reset();
  EXPECT_TRUE(machine->DriverRunning());  // the second process still uses it
  second.reset();
  EXPECT_FALSE(machine->DriverRunning());
  EXPECT_EQ(DriverService(*machine), nullptr);
}

TEST(LptBridgeProcesses, DriverFoundRunningAtFirstAttachStaysInstalled) {
  auto machine = MachineWith("personality=2000,driver-present");
  {
    Program program(machine);
    ASSERT_TRUE(program.loaded);
    EXPECT_FALSE(program.library.RemoveAtEnd());
  }
  EXPECT_TRUE(machine->DriverRunning());
  EXPECT_NE(DriverService(*machine), nullptr);
}

TEST(LptBridgeProcesses, MissingDriverImageFailsTheFirstAttachAndLeavesNothingBehind) {
  auto machine = MachineWith("personality=xp,driver-image-missing");
  Program program(machine);
  EXPECT_FALSE(program.loaded);
  EXPECT_EQ(machine->GetPersonality().key, "xp");
  EXPECT_EQ(program.process->SharedCounter("LptBridge.AttachCount").load(), 0);
  EXPECT_EQ(DriverService(*machine), nullptr);
}

TEST(LptBridgeProcesses, RestrictedUserCannotInstallTheDriver) {
  auto machine = MachineWith("personality=xp,user=restricted");
  Program program(machine);
  EXPECT_FALSE(program.loaded);
}

TEST(LptBridgeProcesses, LaterProcessLoadsWithoutADeviceWhenTheDriverIsGone) {
  auto machine = MachineWith("personality=xp");
  Program first(machine);
  machine->Services().Stop("LptBridge");
  Program second(machine);
  EXPECT_TRUE(second.loaded);
  EXPECT_EQ(second.library.DeviceHandle(), platform::InvalidHandleValue);
  EXPECT_EQ(second.library.GetParallelPortCount(), 0);
  EXPECT_EQ(second.library.ClaimParallelPort(1, -1), 0);
}

TEST(LptBridgeProcesses, APortHeldByOneProcessIsRefusedToAnotherUntilReleased) {
  auto machine = MachineWith("personality=xp");
  Program a(machine), b(machine);
  EXPECT_EQ(a.library.ClaimParallelPort(1, -1), 1);
  EXPECT_EQ(b.library.ClaimParallelPort(1, -1), 0);
  EXPECT_EQ(b.process->GetLastError(), 0x00200001u);
  EXPECT_EQ(b.library.ClaimParallelPort(2, -1), 1);  // the other port is free

  EXPECT_EQ(a.library.ReleaseParallelPort(1), 1);
  EXPECT_EQ(b.library.ClaimParallelPort(1, -1), 1);
}

TEST(LptBridgeProcesses, ClaimOpensThePortRegistersAndReleaseClosesThem) {
  auto machine = MachineWith("personality=nt4,clock=manual");
  Program program(machine);
  EXPECT_THROW(program.process->In8(0x279), platform::PortAccessFault);

  const auto before = machine->GetClock().Now();
  ASSERT_EQ(program.library.ClaimParallelPort(2, -1), 1);
  EXPECT_GE(machine->GetClock().Now() - before, 2'000'000u);  // the pause after a claim
  EXPECT_EQ(program.process->In8(0x279), sim::ParallelPort::kOpenStatus);
  program.process->Out8(0x27A, 0x04);
  EXPECT_EQ(machine->ParallelPortNumber(2).Control(), 0x04);
  EXPECT_THROW(program.process->In8(0x27B), platform::PortAccessFault);
  EXPECT_THROW(program.process->In8(0x379), platform::PortAccessFault);

  EXPECT_EQ(program.library.ReleaseParallelPort(2), 1);
  EXPECT_THROW(program.process->In8(0x279), platform::PortAccessFault);
}

TEST(LptBridgeProcesses, EnableRangeOpensFirstToLastInclusive) {
  auto machine = MachineWith("personality=xp");
  Program program(machine);
  EXPECT_EQ(program.library.EnableIOPortRange(0, 0x300, 0x301), 1);
  EXPECT_EQ(program.process->In8(0x301), 0xFF);
  EXPECT_THROW(program.process->In8(0x302), platform::PortAccessFault);
  EXPECT_EQ(program.library.EnableIOPortRange(0, 0x302, 0x300), 0);
  EXPECT_EQ(program.process->GetLastError(), 0x00200002u);
}

// Grants are counted, not flags: one release ends a repeated claim, and a
// released claim leaves open what an enabled range still covers.
TEST(LptBridgeProcesses, ReleaseEndsARepeatedClaimAndKeepsAnOverlappingRangeOpen) {
  auto machine = MachineWith("personality=xp");
  Program program(machine);
  Program other(machine);
  ASSERT_EQ(program.library.ClaimParallelPort(1, -1), 1);
  ASSERT_EQ(program.library.ClaimParallelPort(1, -1), 1);
  EXPECT_EQ(program.library.ReleaseParallelPort(1), 1);
  EXPECT_EQ(program.library.ReleaseParallelPort(1), 0);  // nothing left to release
  EXPECT_THROW(program.process->In8(0x379), platform::PortAccessFault);
  EXPECT_EQ(other.library.ClaimParallelPort(1, -1), 1);
  EXPECT_EQ(other.library.ReleaseParallelPort(1), 1);

  ASSERT_EQ(program.library.EnableIOPortRange(0, 0x378, 0x37F), 1);
  ASSERT_EQ(program.library.ClaimParallelPort(1, -1), 1);
  EXPECT_EQ(program.library.ReleaseParallelPort(1), 1);
  EXPECT_NO_THROW(program.process->In8(0x379));
  EXPECT_NO_THROW(program.process->Out8(0x37A, 0));
}

// The record's size field is the caller's word; the driver must not read
// that many bytes from it. Under the address sanitizer a read past the
// 12-byte record fails this test.
TEST(LptBridgeProcesses, ARecordClaimingMoreRoomThanItHasIsNotReadPastItsEnd) {
  auto machine = MachineWith("personality=xp");
  Program program(machine);
  auto record = std::make_unique<ParallelPortInfo>(ParallelPortInfo{4095, 0, 0});
  EXPECT_EQ(program.library.GetParallelPortInfo(1, record.get()), 1);
  EXPECT_EQ(record->portAddress, 0x378u);
}

TEST(LptBridgeProcesses, ClosingTheProcessGivesItsClaimsBack) {
  auto machine = MachineWith("personality=xp");
  Program keeper(machine);
  {
    Program leaver(machine);
    ASSERT_EQ(leaver.library.ClaimParallelPort(1, -1), 1);
  }
  EXPECT_EQ(keeper.library.ClaimParallelPort(1, -1), 1);
}

TEST(LptBridgeProcesses, PortHeldByAnotherProgramIsRefused) {
  auto machine = MachineWith("personality=xp,claimed-by-other=1");
  Program program(machine);
  EXPECT_EQ(program.library.ClaimParallelPort(1, -1), 0);
  EXPECT_EQ(program.process->GetLastError(), 0x00200001u);
}

TEST(LptBridgeProcesses, BadPortNumbersAndRecordsAreRefusedAndTheLibraryStaysUsable) {
  auto machine = MachineWith("personality=xp");
  Program program(machine);
  ParallelPortInfo record{12, 0, 0};
  EXPECT_EQ(program.library.GetParallelPortInfo(0, &record), 0);
  EXPECT_EQ(program.library.GetParallelPortInfo(3, &record), 0);
  EXPECT_EQ(program.library.GetParallelPortInfo(1, nullptr), 0);
  record.structSize = 4;  // too small for the address
  EXPECT_EQ(program.library.GetParallelPortInfo(1, &record), 0);
  EXPECT_EQ(program.library.ClaimParallelPort(0, -1), 0);
  EXPECT_EQ(program.process->GetLastError(), 0x00200002u);
  EXPECT_EQ(program.library.ClaimParallelPort(9, -1), 0);
  EXPECT_EQ(program.library.ReleaseParallelPort(1), 0);  // not held

  EXPECT_EQ(program.library.ClaimParallelPort(1, -1), 1);
  EXPECT_EQ(program.library.ClaimParallelPort(1, -1), 1);  // holding it already
  record.structSize = 12;
  EXPECT_EQ(program.library.GetParallelPortInfo(2, &record), 1);
  EXPECT_EQ(record.portAddress, 0x278u);
  EXPECT_EQ(record.structSize, 12u);
}

TEST(LptBridgeProcesses, Win9xArbitratesThroughTheVirtualDeviceDriverAndReleasesAtDetach) {
  auto machine = MachineWith("personality=98");
  auto a = std::make_unique<Program>(machine);
  Program b(machine);
  ASSERT_TRUE(a->loaded);
  EXPECT_EQ(a->library.GetParallelPortCount(), 2);
  EXPECT_EQ(a->library.ClaimParallelPort(1, -1), 1);
  EXPECT_EQ(b.library.ClaimParallelPort(1, -1), 0);
  EXPECT_EQ(b.process->GetLastError(), 0x00200002u);
  EXPECT_EQ(a->process->In8(0x279), sim::ParallelPort::kOpenStatus);  // no protection on this family

  a.reset();
  EXPECT_EQ(b.library.ReleaseParallelPort(1), 0);  // b never held it
  EXPECT_EQ(b.library.ClaimParallelPort(1, -1), 1);
}

TEST(LptBridgeProcesses, Win9xWithoutPrtenu32StillOpensTheVirtualDeviceDriver) {
  auto machine = MachineWith("personality=me,prtenu32=missing");
  Program program(machine);
  EXPECT_TRUE(program.loaded);
  EXPECT_NE(program.library.DeviceHandle(), platform::InvalidHandleValue);
  EXPECT_EQ(program.library.GetParallelPortCount(), 0);
  EXPECT_EQ(program.library.ClaimParallelPort(1, -1), 1);
}

TEST(LptBridgeProcesses, Win9xPrtenu32WithoutAnEntryPointFailsTheAttach) {
  EXPECT_FALSE(Program(MachineWith("personality=95,prtenu32=no-info")).loaded);
  EXPECT_FALSE(Program(MachineWith("personality=95,prtenu32=no-count")).loaded);
}

TEST(LptBridgeProcesses, Nt351DoesNothing) {
  auto machine = MachineWith("personality=nt351");
  Program program(machine);
  EXPECT_TRUE(program.loaded);
  EXPECT_EQ(program.library.CurrentMode(), lptbridge::Mode::Inactive);
  EXPECT_EQ(DriverService(*machine), nullptr);
  EXPECT_EQ(program.library.GetParallelPortCount(), 0);
}

}  // namespace
