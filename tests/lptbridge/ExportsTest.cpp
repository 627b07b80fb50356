// The exported functions, acting for whichever virtual process runs.
#include <gtest/gtest.h>

#include "LptBridge.h"
#include "platform/Current.h"
#include "sim/Machine.h"
#include "sim/Process.h"

namespace {

std::shared_ptr<sim::Machine> RunOn(const char* options) {
  auto machine = sim::Machine::Create(sim::MachineOptions::Parse(options));
  platform::StartProcess(machine->StartProcess("test"));
  return machine;
}

TEST(LptBridgeExports, DefaultMachineHasTwoPortsAt378And278) {
  RunOn("");
  ASSERT_EQ(GetParallelPortCount(), 2);
  ParallelPortInfo record{12, 0, 0};
  ASSERT_EQ(GetParallelPortInfo(1, &record), 1);
  EXPECT_EQ(record.portAddress, 0x378u);
  ASSERT_EQ(GetParallelPortInfo(2, &record), 1);
  EXPECT_EQ(record.portAddress, 0x278u);
}

TEST(LptBridgeExports, InFunctionsExtendAsSpecifiedAndOutFunctionsWriteTheirWidth) {
  auto machine = RunOn("personality=98se");
  EXPECT_EQ(InByte(0x2F8), -1);  // nothing there: the bus floats high
  EXPECT_EQ(InByte(0x2F8) & 0xFF, 0xFF);
  EXPECT_EQ(InWord(0x2F8), 65535);
  EXPECT_EQ(InDWord(0x2F8), -1);

  OutByte(0x10378, 0x1A5);  // only the low 16 address bits and 8 value bits count
  EXPECT_EQ(machine->ParallelPortNumber(1).Data(), 0xA5);
  EXPECT_EQ(InByte(0x378), static_cast<int8_t>(0xA5));
  OutWord(0x378, 0x0C42);
  EXPECT_EQ(machine->ParallelPortNumber(1).Data(), 0x42);
  EXPECT_EQ(InWord(0x378) & 0xFF, 0x42);
  OutDWord(0x378, 0x11223344);
  EXPECT_EQ(machine->ParallelPortNumber(1).Control(), 0x22);
}

TEST(LptBridgeExports, ANewProcessStartsWithItsOwnAttachment) {
  auto xp = RunOn("personality=xp");
  ASSERT_EQ(ClaimParallelPort(2, -1), 1);
  EXPECT_EQ(InByte(0x279) & 0xFF, sim::ParallelPort::kOpenStatus);
  EXPECT_NE(xp->Services().Find("LptBridge"), nullptr);

  RunOn("personality=xp,ports=0");
  EXPECT_EQ(xp->Services().Find("LptBridge"), nullptr);  // the last process removed it
  EXPECT_EQ(GetParallelPortCount(), 0);
  EXPECT_EQ(ClaimParallelPort(1, -1), 0);
  EXPECT_EQ(platform::Current().GetLastError(), 0x00200002u);
}

TEST(LptBridgeExports, ClaimExAndReleaseThroughTheExports) {
  RunOn("personality=2000");
  EXPECT_EQ(ClaimParallelPortEx(0, 2, -1), 1);
  EXPECT_EQ(ReleaseParallelPort(2), 1);
  EXPECT_EQ(ReleaseParallelPort(2), 0);
  EXPECT_EQ(EnableIOPortRange(0, 0x3BC, 0x3BE), 1);
}

TEST(LptBridgeExports, UnloadableLibraryAnswersZeroEverywhere) {
  RunOn("personality=xp,driver-image-missing");
  EXPECT_EQ(GetParallelPortCount(), 0);
  EXPECT_EQ(ClaimParallelPort(1, -1), 0);
  ParallelPortInfo record{12, 0, 0};
  EXPECT_EQ(GetParallelPortInfo(1, &record), 0);
}

}  // namespace
