// The virtual PC's core: options, Windows personalities, clock, I/O space.
#include <gtest/gtest.h>

#include "platform/WinTypes.h"
#include "sim/Machine.h"
#include "sim/Process.h"
#include "sim/Qts5460Registers.h"

namespace {

TEST(MachineOptions, ParsesKnownItemsAndNamesTheFirstBadOne) {
  auto options = sim::MachineOptions::Parse("personality=nt4,ports=3,clock=manual,claimed-by-other=2,driver-present");
  EXPECT_EQ(options.personality, "nt4");
  EXPECT_EQ(options.parallelPorts, 3);
  EXPECT_EQ(options.clock, sim::Clock::Mode::Manual);
  EXPECT_EQ(options.portClaimedByOther, 2);
  EXPECT_TRUE(options.driverPresentAtStart);

  const auto message = [](const char* text) {
    try {
      sim::MachineOptions::Parse(text);
    } catch (const std::invalid_argument& bad) {
      return std::string(bad.what());
    }
    return std::string("accepted");
  };
  EXPECT_EQ(message("ports=4"), "machine option \"ports=4\": out of range 0 to 3");
  EXPECT_EQ(message("personality=vista"), "machine option \"personality=vista\": unknown Windows version");
  EXPECT_EQ(message("ports"), "machine option \"ports\": needs a value");
  EXPECT_EQ(message("driver-present=1"), "machine option \"driver-present=1\": takes no value");
  EXPECT_EQ(message("colour=red"), "machine option \"colour=red\": unknown option");
  EXPECT_EQ(message("ports=x"), "machine option \"ports=x\": not a number");
}

// A program that starts finds the chips measuring already, on the board and
// on the PC's own SMBus, unless the machine switches them on with itself.
TEST(MachineStart, ChipsHaveFinishedAConversionUnlessSwitchedOnWithTheMachine) {
  using namespace sim::qts5460;
  for (const bool powerOn : {false, true}) {
    auto machine = sim::Machine::Create(
        sim::MachineOptions::Parse(std::string("clock=manual,scenario=constant:95") + (powerOn ? ",power-on" : "")));
    for (sim::Qts5460* chip : {&machine->Board()->Chip(), &machine->OnBoard().Chip()}) {
      const std::uint8_t status = chip->ReadRegister(kStatus);
      EXPECT_EQ(chip->ReadRegister(kRemoteTemperature), powerOn ? 0 : 95) << "power-on " << powerOn;
      EXPECT_EQ(status & kStatusBusy, powerOn ? kStatusBusy : 0) << "power-on " << powerOn;
      EXPECT_EQ(status & kStatusRemoteHigh, powerOn ? 0 : kStatusRemoteHigh) << "power-on " << powerOn;
    }
  }
}

struct VersionRow {
  const char* key;
  std::uint32_t platformId, major, minor, recordBuild;
  bool highBit;
  const char* buildText;
};

class Personalities : public ::testing::TestWithParam<VersionRow> {};

TEST_P(Personalities, ReportTheirVersionAsThatWindowsDoes) {
  const VersionRow row = GetParam();
  auto options = sim::MachineOptions::Parse(std::string("personality=") + row.key);
  auto process = sim::Machine::Create(options)->StartProcess();
  platform::OsVersionInfoA info;
  ASSERT_TRUE(process->GetVersionExA(info));
  EXPECT_EQ(info.dwPlatformId, row.platformId);
  EXPECT_EQ(info.dwMajorVersion, row.major);
  EXPECT_EQ(info.dwMinorVersion, row.minor);
  EXPECT_EQ(info.dwBuildNumber, row.recordBuild);
  EXPECT_EQ((process->GetVersion() & 0x80000000u) != 0, row.highBit);
  EXPECT_EQ(process->BuildNumberText(), row.buildText);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Personalities,
    ::testing::Values(VersionRow{"95", 1, 4, 0, 0x040003B6, true, "950"},
                      VersionRow{"98", 1, 4, 10, 0x040A07CE, true, "1998"},
                      VersionRow{"98se", 1, 4, 10, 0x040A08AE, true, "2222"},
                      VersionRow{"me", 1, 4, 90, 0x045A0BB8, true, "3000"},
                      VersionRow{"nt351", 2, 3, 51, 1057, false, "1057"},
                      VersionRow{"nt4", 2, 4, 0, 1381, false, "1381"},
                      VersionRow{"2000", 2, 5, 0, 2195, false, "2195"},
                      VersionRow{"xp", 2, 5, 1, 2600, false, "2600"}),
    [](const auto& info) { return std::string("v") + info.param.key; });

TEST(Personalities, WrongRecordSizeIsRefused) {
  auto process = sim::Machine::Create()->StartProcess();
  platform::OsVersionInfoA info;
  info.dwOSVersionInfoSize = 156;
  EXPECT_FALSE(process->GetVersionExA(info));
  EXPECT_EQ(process->GetLastError(), platform::ErrorInsufficientBuffer);
}

TEST(Personalities, SystemDirectoryFitsOrAsksForRoom) {
  auto process = sim::Machine::Create(sim::MachineOptions::Parse("personality=2000"))->StartProcess();
  char small[4];
  EXPECT_EQ(process->GetSystemDirectoryA(small, sizeof small), 18u);
  char buffer[516];
  EXPECT_EQ(process->GetSystemDirectoryA(buffer, sizeof buffer), 17u);
  EXPECT_STREQ(buffer, "C:\\WINNT\\system32");
}

TEST(Clock, TimeOfDayRestartsAtMidnightAndTheTickCountWraps) {
  sim::Clock clock(sim::Clock::Mode::Manual);
  clock.SetStartTimeOfDay(86399.5);
  clock.SetStartTickCount(0xFFFFFFFFu - 100);
  EXPECT_DOUBLE_EQ(clock.SecondsSinceMidnight(), 86399.5);
  clock.Advance(750'000'000);
  EXPECT_NEAR(clock.SecondsSinceMidnight(), 0.25, 1e-9);
  EXPECT_EQ(clock.TickCount(), 649u);
}

TEST(Clock, ManualClockMovesWithTheMachinesWork) {
  auto machine = sim::Machine::Create(sim::MachineOptions::Parse("clock=manual"));
  auto process = machine->StartProcess();
  auto& clock = machine->GetClock();
  const auto start = clock.Now();
  process->In8(0x379);
  EXPECT_EQ(clock.Now() - start, 1'000u);
  process->DoEvents();
  EXPECT_EQ(clock.Now() - start, 11'000u);
  process->Sleep(5);
  EXPECT_EQ(clock.Now() - start, 5'011'000u);
}

TEST(Clock, InstalledPumpRunsOnEveryIteration) {
  auto process = sim::Machine::Create()->StartProcess();
  int pumped = 0;
  process->SetMessagePump([&] { ++pumped; });
  process->DoEvents();
  process->DoEvents();
  EXPECT_EQ(pumped, 2);
}

class Recorder : public sim::PortObserver {
 public:
  void Accessed(const sim::PortAccess& access) override { seen.push_back(access); }
  std::vector<sim::PortAccess> seen;
};

TEST(PortSpace, UnclaimedPortsFloatHighAndEveryAccessIsObserved) {
  auto machine = sim::Machine::Create(sim::MachineOptions::Parse("ports=1"));
  auto process = machine->StartProcess();
  Recorder recorder;
  machine->Ports().SetObserver(&recorder);
  EXPECT_EQ(process->In8(0x278), 0xFF);  // no second port on this machine
  EXPECT_EQ(process->In32(0x100), 0xFFFFFFFFu);
  process->Out8(0x378, 0x5A);
  EXPECT_EQ(process->In8(0x378), 0x5A);
  ASSERT_EQ(recorder.seen.size(), 4u);
  EXPECT_EQ(recorder.seen[2].direction, sim::PortAccess::Direction::Out);
  EXPECT_EQ(recorder.seen[2].port, 0x378);
  EXPECT_EQ(recorder.seen[2].value, 0x5Au);
  EXPECT_EQ(recorder.seen[1].width, 32);
  machine->Ports().SetObserver(nullptr);
}

TEST(ServiceManager, DeletedServiceGoesWhenItsLastHandleCloses) {
  auto machine = sim::Machine::Create(sim::MachineOptions::Parse("personality=xp"));
  auto process = machine->StartProcess();
  auto manager = process->OpenSCManagerA(nullptr, nullptr, platform::ScManagerAllAccess);
  auto created = process->CreateServiceA(manager, "Other", "Other", platform::ServiceAllAccess,
                                         platform::ServiceKernelDriver, platform::ServiceDemandStart,
                                         platform::ServiceErrorNormal, "C:\\nothing.sys");
  ASSERT_NE(created, platform::NullScHandle);
  EXPECT_EQ(process->CreateServiceA(manager, "other", "x", 0, 1, 3, 1, "y"), platform::NullScHandle);
  EXPECT_EQ(process->GetLastError(), platform::ErrorServiceExists);
  EXPECT_FALSE(process->StartServiceA(created));
  EXPECT_EQ(process->GetLastError(), platform::ErrorFileNotFound);

  auto opened = process->OpenServiceA(manager, "OTHER", platform::ServiceAllAccess);
  EXPECT_TRUE(process->DeleteService(opened));
  process->CloseServiceHandle(opened);
  EXPECT_TRUE(machine->Services().Exists("Other"));  // `created` still holds it
  process->CloseServiceHandle(created);
  EXPECT_FALSE(machine->Services().Exists("Other"));
  EXPECT_EQ(process->OpenServiceA(manager, "Other", 0), platform::NullScHandle);
  EXPECT_EQ(process->GetLastError(), platform::ErrorServiceDoesNotExist);
}

}  // namespace
