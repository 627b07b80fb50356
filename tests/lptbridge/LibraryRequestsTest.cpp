// What the library sends its drivers, byte for byte, and how it reads their
// answers, against a recording process.
#include <gtest/gtest.h>

#include <cstring>

#include "FakeProcess.h"
#include "lptbridge/Library.h"

namespace {

using testsupport::FakeProcess;
using Words = std::vector<std::uint8_t>;

constexpr std::uint32_t kDeviceHandle = 0x44;

class NtRequests : public ::testing::Test {
 protected:
  void SetUp() override {
    fake.attachCount = 1;  // another process has the driver installed
    ASSERT_TRUE(library.Attach());
    fake.log.clear();
    fake.requests.clear();
  }
  FakeProcess fake;
  lptbridge::Library library{fake};
};

TEST_F(NtRequests, ClaimSendsPortValueAndDuplicatedHandleThenPausesAndClosesIt) {
  fake.answers.push_back(FakeProcess::Status(0));
  EXPECT_EQ(library.ClaimParallelPort(1, -1), 1);

  ASSERT_EQ(fake.requests.size(), 1u);
  const auto& request = fake.requests[0];
  EXPECT_EQ(request.device, kDeviceHandle);
  EXPECT_EQ(request.code, 0x83012400u);
  EXPECT_EQ(request.in, FakeProcess::Words({1, 0xFFFFFFFFu, 0x100}));
  EXPECT_EQ(request.outSize, 4u);
  EXPECT_EQ(fake.log, (std::vector<std::string>{
                          "DuplicateHandle 0xFFFFFFFF 0xFFFFFFFF 0xFFFFFFFF 0x1F0FFF no-inherit 0",
                          "Sleep 2",
                          "CloseHandle 0x100",
                      }));
}

TEST_F(NtRequests, ClaimStatusOneAndTwoRefuseWithTheirLastErrors) {
  fake.answers.push_back(FakeProcess::Status(1));
  EXPECT_EQ(library.ClaimParallelPort(1, -1), 0);
  EXPECT_EQ(fake.lastError, 0x00200001u);

  fake.answers.push_back(FakeProcess::Status(2));
  EXPECT_EQ(library.ClaimParallelPort(1, -1), 0);
  EXPECT_EQ(fake.lastError, 0x00200002u);

  EXPECT_FALSE(fake.Logged("Sleep 2"));
  EXPECT_TRUE(fake.Logged("CloseHandle 0x100"));
  EXPECT_TRUE(fake.Logged("CloseHandle 0x104"));
}

TEST_F(NtRequests, AnyOtherClaimStatusGrants) {
  fake.answers.push_back(FakeProcess::Status(3));
  EXPECT_EQ(library.ClaimParallelPort(2, 7), 1);
  EXPECT_TRUE(fake.Logged("Sleep 2"));
  EXPECT_EQ(fake.requests[0].in, FakeProcess::Words({2, 7, 0x100}));
}

TEST_F(NtRequests, FailedClaimRequestKeepsTheDriversLastErrorAndClosesTheDuplicate) {
  fake.answers.push_back({false, {}, 31});
  EXPECT_EQ(library.ClaimParallelPort(1, -1), 0);
  EXPECT_EQ(fake.lastError, 31u);
  EXPECT_TRUE(fake.Logged("CloseHandle 0x100"));
}

TEST_F(NtRequests, FailedDuplicationSendsNothing) {
  fake.duplicateFails = true;
  EXPECT_EQ(library.ClaimParallelPortEx(0x88, 1, -1), 0);
  EXPECT_EQ(library.EnableIOPortRange(0, 0x378, 0x37A), 0);
  EXPECT_TRUE(fake.requests.empty());
  EXPECT_EQ(fake.lastError, platform::ErrorAccessDenied);
}

TEST_F(NtRequests, ClaimExDuplicatesTheNamedProcess) {
  fake.answers.push_back(FakeProcess::Status(0));
  EXPECT_EQ(library.ClaimParallelPortEx(0x88, 1, -1), 1);
  EXPECT_EQ(fake.log.front(), "DuplicateHandle 0xFFFFFFFF 0x88 0xFFFFFFFF 0x1F0FFF no-inherit 0");
}

TEST_F(NtRequests, EnableRangeForwardsBothValuesUnchanged) {
  fake.answers.push_back(FakeProcess::Status(0));
  EXPECT_EQ(library.EnableIOPortRange(0, -5, 0x12345678), 1);
  EXPECT_EQ(fake.requests[0].code, 0x8301240Cu);
  EXPECT_EQ(fake.requests[0].in, FakeProcess::Words({0xFFFFFFFBu, 0x12345678, 0x100}));
  EXPECT_TRUE(fake.Logged("Sleep 2"));
}

TEST_F(NtRequests, ReleaseSendsThePortOnlyAndReturnsTheRequestResult) {
  EXPECT_EQ(library.ReleaseParallelPort(3), 1);
  EXPECT_EQ(fake.requests[0].code, 0x83012404u);
  EXPECT_EQ(fake.requests[0].in, FakeProcess::Words({3}));
  EXPECT_EQ(fake.requests[0].outSize, 4u);

  fake.answers.push_back({false, {}, 87});
  EXPECT_EQ(library.ReleaseParallelPort(3), 0);
}

TEST_F(NtRequests, CountQueriesIndexZeroAndReadsZeroWhenTheRequestFails) {
  fake.answers.push_back({true, FakeProcess::Words({3}), 0});
  EXPECT_EQ(library.GetParallelPortCount(), 3);
  EXPECT_EQ(fake.requests[0].code, 0x83012408u);
  EXPECT_EQ(fake.requests[0].in, FakeProcess::Words({0}));
  EXPECT_EQ(fake.requests[0].outSize, 4u);

  fake.answers.push_back({false, {}, 31});
  EXPECT_EQ(library.GetParallelPortCount(), 0);
}

TEST_F(NtRequests, InfoChecksTheRecordSizeBeforeAnyRequest) {
  ParallelPortInfo record{};
  record.structSize = 0;
  EXPECT_EQ(library.GetParallelPortInfo(1, &record), 0);
  record.structSize = 4096;
  EXPECT_EQ(library.GetParallelPortInfo(1, &record), 0);
  EXPECT_EQ(library.GetParallelPortInfo(1, nullptr), 0);
  EXPECT_TRUE(fake.requests.empty());

  std::vector<std::uint8_t> large(4095, 0);
  const std::uint32_t size = 4095;
  std::memcpy(large.data(), &size, 4);
  EXPECT_EQ(library.GetParallelPortInfo(2, reinterpret_cast<ParallelPortInfo*>(large.data())), 1);
  ASSERT_EQ(fake.requests.size(), 1u);
  EXPECT_EQ(fake.requests[0].in, FakeProcess::Words({2}));
  EXPECT_EQ(fake.requests[0].outSize, 4095u);
}

TEST(LptBridgeLoading, FirstNtAttachInstallsAndStartsTheServiceWhenTheDeviceIsAbsent) {
  FakeProcess fake;
  fake.absentDevices = {"\\\\.\\LptBridge"};
  lptbridge::Library library(fake);
  EXPECT_FALSE(library.Attach());  // the device never appears
  EXPECT_EQ(fake.log, (std::vector<std::string>{
                          "GetVersion",
                          "GetVersionExA",
                          "GetSystemDirectoryA 516",
                          "CreateFileA \\\\.\\LptBridge 0xC0000000 0x0 3 0x80",
                          "OpenSCManagerA 0xF003F",
                          "CreateServiceA LptBridge LptBridge 0xF01FF 1 3 1 "
                          "C:\\WINDOWS\\system32\\Drivers\\LptBridge.sys",
                          "CloseServiceHandle 0x504",
                          "OpenServiceA LptBridge 0xF01FF",
                          "StartServiceA 0x508",
                          "CloseServiceHandle 0x508",
                          "CreateFileA \\\\.\\LptBridge 0xC0000000 0x0 3 0x80",
                          "CloseServiceHandle 0x500",
                      }));
  EXPECT_TRUE(library.RemoveAtEnd());

  fake.log.clear();
  library.Detach();
  EXPECT_EQ(fake.attachCount, 0);
  EXPECT_EQ(fake.log, (std::vector<std::string>{
                          "GetVersion",
                          "GetVersionExA",
                          "CloseHandle 0xFFFFFFFF",
                          "OpenSCManagerA 0xF003F",
                          "OpenServiceA LptBridge 0xF01FF",
                          "ControlService 0x508 1",
                          "CloseServiceHandle 0x508",
                          "OpenServiceA LptBridge 0xF01FF",
                          "DeleteService 0x508",
                          "CloseServiceHandle 0x508",
                          "CloseServiceHandle 0x500",
                      }));
}

TEST(LptBridgeLoading, FirstAttachThatFindsTheDeviceClearsTheRemoveMarkAndKeepsTheService) {
  FakeProcess fake;
  lptbridge::Library library(fake);
  EXPECT_TRUE(library.Attach());
  EXPECT_FALSE(library.RemoveAtEnd());
  EXPECT_EQ(library.DeviceHandle(), kDeviceHandle);
  fake.log.clear();
  library.Detach();
  EXPECT_FALSE(fake.Logged("OpenSCManagerA 0xF003F"));
}

TEST(LptBridgeLoading, LaterAttachOpensTheSharedDeviceWithoutInstalling) {
  FakeProcess fake;
  fake.attachCount = 1;
  lptbridge::Library library(fake);
  EXPECT_TRUE(library.Attach());
  EXPECT_EQ(fake.attachCount, 2);
  EXPECT_EQ(fake.log.back(), "CreateFileA \\\\.\\LptBridge 0xC0000000 0x3 3 0x0");
  EXPECT_FALSE(fake.Logged("OpenSCManagerA 0xF003F"));
}

TEST(LptBridgeLoading, HighBitOfThePackedVersionMeansThe95FamilyWithoutFurtherQuestions) {
  FakeProcess fake;
  fake.packedVersion = 0xC0000A04;
  lptbridge::Library library(fake);
  EXPECT_TRUE(library.Attach());
  EXPECT_EQ(library.CurrentMode(), lptbridge::Mode::Win9x);
  EXPECT_FALSE(fake.Logged("GetVersionExA"));
  EXPECT_EQ(fake.log.back(), "CreateFileA \\\\.\\LBridge.vxd 0xC0000000 0x3 3 0x4000000");
}

TEST(LptBridgeLoading, Nt351IsInactive) {
  FakeProcess fake;
  fake.version.dwMajorVersion = 3;
  fake.version.dwMinorVersion = 51;
  lptbridge::Library library(fake);
  EXPECT_TRUE(library.Attach());
  EXPECT_EQ(library.CurrentMode(), lptbridge::Mode::Inactive);
  EXPECT_EQ(fake.log, (std::vector<std::string>{"GetVersion", "GetVersionExA"}));
  EXPECT_EQ(library.GetParallelPortCount(), 0);
  EXPECT_EQ(library.ClaimParallelPort(1, -1), 0);
  EXPECT_EQ(library.EnableIOPortRange(0, 1, 2), 0);
  EXPECT_TRUE(fake.requests.empty());
}

TEST(LptBridgeLoading, InvalidDeviceHandleMakesEveryExportAnswerZeroWithoutARequest) {
  FakeProcess fake;
  fake.attachCount = 1;
  fake.absentDevices = {"\\\\.\\LptBridge"};
  lptbridge::Library library(fake);
  EXPECT_TRUE(library.Attach());
  fake.lastError = 1234;
  ParallelPortInfo record{12, 0, 0};
  EXPECT_EQ(library.ClaimParallelPort(1, -1), 0);
  EXPECT_EQ(library.ReleaseParallelPort(1), 0);
  EXPECT_EQ(library.GetParallelPortCount(), 0);
  EXPECT_EQ(library.GetParallelPortInfo(1, &record), 0);
  EXPECT_EQ(library.EnableIOPortRange(0, 1, 2), 0);
  EXPECT_TRUE(fake.requests.empty());
  EXPECT_EQ(fake.lastError, 1234u);
}

class Win9xRequests : public ::testing::Test {
 protected:
  void SetUp() override {
    fake.packedVersion = 0xC0000A04;
    fake.prtenu32Present = true;
    fake.prtenu32Count = [] { return 2; };
    fake.prtenu32Info = [](std::int32_t port, void* record) {
      static_cast<ParallelPortInfo*>(record)->portAddress = port == 1 ? 0x378 : 0x278;
      return 1;
    };
    ASSERT_TRUE(library.Attach());
    fake.requests.clear();
    fake.log.clear();
  }
  static std::vector<std::uint8_t> Name(const char* text) { return {text, text + 4}; }

  FakeProcess fake;
  lptbridge::Library library{fake};
};

TEST_F(Win9xRequests, ClaimSendsThePortNameWithoutOutputBufferAndRecordsIt) {
  EXPECT_EQ(library.ClaimParallelPort(1, -1), 1);
  ASSERT_EQ(fake.requests.size(), 1u);
  EXPECT_EQ(fake.requests[0].code, 1u);
  EXPECT_EQ(fake.requests[0].in, Name("LPT1"));
  EXPECT_TRUE(fake.requests[0].outNull);
  EXPECT_EQ(fake.requests[0].outSize, 0u);
  EXPECT_EQ(library.ClaimedPorts()[0], 1u);
  EXPECT_FALSE(fake.Logged("Sleep 2"));
}

TEST_F(Win9xRequests, PortTenIsNamedWithAColon) {
  library.ClaimParallelPort(10, -1);
  EXPECT_EQ(fake.requests[0].in, Name("LPT:"));
}

TEST_F(Win9xRequests, RefusedClaimSetsTheLastErrorAndIsRecordedAnyway) {
  fake.answers.push_back({false, {}, 170});
  EXPECT_EQ(library.ClaimParallelPort(2, -1), 0);
  EXPECT_EQ(fake.lastError, 0x00200002u);
  EXPECT_EQ(library.ClaimedPorts()[0], 2u);
}

TEST_F(Win9xRequests, EleventhClaimIsSentButNotRecordedAndDetachReleasesTheRecordedOnes) {
  for (int i = 0; i < 11; ++i) library.ClaimParallelPort(i + 1, -1);
  EXPECT_EQ(fake.requests.size(), 11u);
  EXPECT_EQ(library.ClaimedPorts().back(), 10u);

  fake.requests.clear();
  library.Detach();
  ASSERT_EQ(fake.requests.size(), 10u);
  for (std::size_t i = 0; i < 10; ++i) {
    EXPECT_EQ(fake.requests[i].code, 2u);
    EXPECT_EQ(fake.requests[i].in[3], static_cast<std::uint8_t>('1' + i));
  }
  EXPECT_TRUE(fake.Logged("FreeLibrary 0x7000"));
  EXPECT_EQ(fake.log.back(), "CloseHandle 0x44");
}

TEST_F(Win9xRequests, ReleaseClearsOnlyTheFirstSlotHoldingThePort) {
  library.ClaimParallelPort(1, -1);
  library.ClaimParallelPort(1, -1);
  EXPECT_EQ(library.ReleaseParallelPort(1), 1);
  EXPECT_EQ(library.ClaimedPorts()[0], 0u);
  EXPECT_EQ(library.ClaimedPorts()[1], 1u);
  EXPECT_EQ(fake.requests.back().code, 2u);
  EXPECT_EQ(fake.requests.back().in, Name("LPT1"));
}

TEST_F(Win9xRequests, EnumerationGoesToPrtenu32AndEnableRangeSendsNothing) {
  EXPECT_EQ(library.GetParallelPortCount(), 2);
  ParallelPortInfo record{12, 0, 0};
  EXPECT_EQ(library.GetParallelPortInfo(2, &record), 1);
  EXPECT_EQ(record.portAddress, 0x278u);
  EXPECT_EQ(library.EnableIOPortRange(0, 0x378, 0x37A), 1);
  EXPECT_TRUE(fake.requests.empty());
}

TEST(LptBridge9xLoading, MissingEntryPointFailsTheAttachAndFreesTheLibrary) {
  FakeProcess fake;
  fake.packedVersion = 0xC0000A04;
  fake.prtenu32Present = true;
  fake.prtenu32Count = [] { return 1; };
  lptbridge::Library library(fake);
  EXPECT_FALSE(library.Attach());
  EXPECT_TRUE(fake.Logged("FreeLibrary 0x7000"));
  EXPECT_FALSE(fake.Logged("CreateFileA \\\\.\\LBridge.vxd 0xC0000000 0x3 3 0x4000000"));
}

TEST(LptBridge9xLoading, WithoutPrtenu32TheLibraryLoadsAndEnumeratesNothing) {
  FakeProcess fake;
  fake.packedVersion = 0xC0000A04;
  lptbridge::Library library(fake);
  EXPECT_TRUE(library.Attach());
  EXPECT_EQ(library.DeviceHandle(), kDeviceHandle);
  EXPECT_EQ(library.GetParallelPortCount(), 0);
  ParallelPortInfo record{12, 0, 0};
  EXPECT_EQ(library.GetParallelPortInfo(1, &record), 0);
}

}  // namespace
