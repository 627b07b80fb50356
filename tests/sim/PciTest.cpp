// PCI configuration mechanism 1 and the chipsets' SMBus controller functions,
// seen through the word port library as the on-board SMBus code sees them.
#include <gtest/gtest.h>

#include "sim/Machine.h"
#include "sim/Process.h"

namespace {

std::uint32_t Address(int bus, int device, int function, int offset) {
  return 0x80000000u | (bus << 16) | (device << 11) | (function << 8) | offset;
}

struct Pc {
  explicit Pc(const char* options = "")
      : machine(sim::Machine::Create(sim::MachineOptions::Parse(options))), process(machine->StartProcess()) {}
  std::uint32_t Config(int bus, int device, int function, int offset) {
    process->CanOutpd(0xCF8, static_cast<std::int32_t>(Address(bus, device, function, offset)));
    return static_cast<std::uint32_t>(process->CanInpd(0xCFC));
  }
  std::shared_ptr<sim::Machine> machine;
  std::shared_ptr<sim::Process> process;
};

TEST(PciMechanism, DefaultMachineHasThePowerManagementFunctionAt0_7_3WithItsSmbusBase) {
  Pc pc;
  EXPECT_EQ(pc.Config(0, 7, 3, 0), 0x71138086u);
  EXPECT_EQ(pc.Config(0, 7, 3, 0x90), 0x5001u);
  EXPECT_EQ(pc.Config(0, 0, 0, 0) & 0xFFFF, 0x8086u);
  EXPECT_EQ(pc.Config(0, 8, 0, 0), 0xFFFFFFFFu);  // nothing there
  EXPECT_EQ(pc.Config(1, 7, 3, 0), 0xFFFFFFFFu);  // no second bus
}

TEST(PciMechanism, UnalignedRegisterReachesTheAlignedDwordAndTheAddressKeepsOnlyItsImplementedBits) {
  Pc pc;
  pc.process->CanOutpd(0xCF8, static_cast<std::int32_t>(Address(0, 7, 3, 0xD2) | 0x7F000000u));
  EXPECT_EQ(static_cast<std::uint32_t>(pc.process->CanInpd(0xCF8)), Address(0, 7, 3, 0xD0));
  EXPECT_EQ(static_cast<std::uint32_t>(pc.process->CanInpd(0xCFC)), pc.Config(0, 7, 3, 0xD0));
}

TEST(PciMechanism, WindowIsClosedWithoutTheEnableBitAndWritesKeepReadOnlyBits) {
  Pc pc;
  pc.process->CanOutpd(0xCF8, static_cast<std::int32_t>(Address(0, 7, 3, 0) & 0x7FFFFFFFu));
  EXPECT_EQ(pc.process->CanInpd(0xCFC), -1);

  pc.process->CanOutpd(0xCF8, static_cast<std::int32_t>(Address(0, 7, 3, 0x90)));
  pc.process->CanOutpd(0xCFC, static_cast<std::int32_t>(0xFFFFFFFFu));
  EXPECT_EQ(pc.Config(0, 7, 3, 0x90), 0xFFF1u);  // base bits change, the I/O indicator stays
  pc.process->CanOutpd(0xCF8, static_cast<std::int32_t>(Address(0, 7, 3, 0)));
  pc.process->CanOutpd(0xCFC, 0);
  EXPECT_EQ(pc.Config(0, 7, 3, 0), 0x71138086u);  // identification is read-only
}

TEST(PciMechanism, FieldsBeyondTheirWidthSpillIntoTheNextField) {
  Pc pc;
  // Function 8 on device 6 is device 7 function 0 once the parts are OR-ed.
  pc.process->CanOutpd(0xCF8, static_cast<std::int32_t>(0x80000000u | (6 << 11) | (8 << 8)));
  EXPECT_EQ(static_cast<std::uint32_t>(pc.process->CanInpd(0xCFC)), 0x71108086u);
}

TEST(PciMechanism, WindowBytesComeFromTheirLane) {
  Pc pc;
  pc.Config(0, 7, 3, 0);
  EXPECT_EQ(pc.machine->Ports().Read8(0xCFE), 0x13);
  EXPECT_EQ(pc.machine->Ports().Read16(0xCFE), 0x7113);
  EXPECT_EQ(pc.machine->Ports().Read8(0xCF9), 0xFF);  // not the address register
}

struct ControllerRow {
  const char* option;
  int bus, device, function;
  std::uint32_t id;
  int baseOffset;
  std::uint32_t baseValue;
};

class Controllers : public ::testing::TestWithParam<ControllerRow> {};

TEST_P(Controllers, SitWhereTheirChipsetPutsThem) {
  const auto row = GetParam();
  Pc pc((std::string("smbus=") + row.option).c_str());
  EXPECT_EQ(pc.Config(row.bus, row.device, row.function, 0), row.id);
  EXPECT_EQ(pc.Config(row.bus, row.device, row.function, row.baseOffset), row.baseValue);
  EXPECT_EQ(pc.Config(0, 7, 3, 0) == 0x71138086u, std::string(row.option) == "piix4");
}

INSTANTIATE_TEST_SUITE_P(Table, Controllers,
                         ::testing::Values(ControllerRow{"piix4", 0, 7, 3, 0x71138086, 0x90, 0x5001},
                                           ControllerRow{"ich", 0, 31, 3, 0x24438086, 0x20, 0xEFA1},
                                           ControllerRow{"ali", 0, 17, 0, 0x710110B9, 0xE0, 0xE8000000}),
                         [](const auto& info) { return std::string(info.param.option); });

TEST(Controllers, TheOtherLayoutsBaseRuleGivesItsRealBase) {
  Pc pc("smbus=ali");
  const auto w = static_cast<std::int32_t>(pc.Config(0, 17, 0, 0xE0) & 0xFFFF0000u);
  EXPECT_EQ(w / 65536 + 65536, pc.machine->GetChipset().Model().ioBase);
}

TEST(Controllers, MachineWithoutAControllerHasNoSmbusFunction) {
  Pc pc("smbus=none");
  EXPECT_EQ(pc.machine->GetChipset().ControllerFunction(), nullptr);
  EXPECT_EQ(pc.Config(0, 7, 3, 0), 0xFFFFFFFFu);
  EXPECT_EQ(pc.Config(0, 0, 0, 0) & 0xFFFF, 0x8086u);
}

}  // namespace
